#!/usr/bin/env bash
# kobanu --check (the first argument) against the stand-in mall (the second): what it prints and
# returns for an answer, a refusal and no network; that it shows no key, writes no log, saves
# nothing and runs beside a running Kobanu.
# shellcheck disable=SC2317  # functions called through check and trap
set -uo pipefail
program=$1 standin=$2
# shellcheck source=tests/support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
use_scratch

"$standin" </dev/null >"$tmp/mall" 2>&1 &
pids+=($!)
wait_for 10 test -s "$tmp/mall"
port=$(head -n 1 "$tmp/mall")
mkdir "$tmp/app" "$tmp/run" && chmod 700 "$tmp/run"
cp "$program" "$tmp/app/kobanu"
export XDG_RUNTIME_DIR=$tmp/run

key=pk_StandInMallAccessKey0123456789abcdef
settings() {  # ENDPOINT KEY [MORE]: setting.ini for 福袋, in stock only, with [SERVICE] (and MORE)
  printf '[PARAM]\r\nSCAN_FLAG=1\r\nSCAN_KEYWORD=\x95\x9f\x91\xdc\r\nSCAN_ZAIKO=1\r\n%b[SERVICE]\r\n' \
    "${3:+SCAN_PRICE=3000\r\n}"
  printf 'APPLICATION_ID=0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0\r\nACCESS_KEY=%s\r\nENDPOINT=%s\r\n%b' \
    "$2" "$1" "${3:-}"
}
endpoint=http://127.0.0.1:$port/ichibams/api/IchibaItem/Search/20260701
settings "$endpoint" "$key" >"$tmp/app/setting.ini"
chmod 600 "$tmp/app/setting.ini"
before=$(md5sum <"$tmp/app/setting.ini")
check_now() { env -u DISPLAY -u WAYLAND_DISPLAY "$tmp/app/kobanu" --check >"$tmp/out" 2>&1; }

check_now
check "an answered check ends with status 0" test $? -eq 0
check "... prints the address with the key masked" \
  grep -qF "request  $endpoint?applicationId=0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0&accessKey=****&" \
  "$tmp/out"
check "... the answer" grep -q '^answer   200 {"Items":\[{.*}\],"count":3}$' "$tmp/out"
check "... the outcome" grep -q '^outcome  count 3 — 該当 3件 最安 2,160円$' "$tmp/out"
check "... and the cheapest match on a line of its own" grep -qF \
  "cheapest 2,160円 送料込 福袋市場 — 福袋 コーヒー豆 お試し 4種 — http://127.0.0.1:$port/item/fukubukuro-ichiba:20000003" \
  "$tmp/out"

# Beside a running Kobanu (no tray on the offscreen platform: it waits, holding its lock).
QT_QPA_PLATFORM=offscreen "$tmp/app/kobanu" >/dev/null 2>&1 &
pids+=($!)
wait_for 10 compgen -G "$tmp/run/kobanu-*.lock" >/dev/null
settings "$endpoint" pk_wrong >"$tmp/app/setting.ini"
check_now
check "a refused check ends with status 1, beside a running Kobanu" test $? -eq 1
check "... with the cause in Japanese" grep -q '^cause    アプリID（APPLICATION_ID）か' "$tmp/out"
check "... and the fix" grep -q '^fix      楽天ウェブサービスのアプリ情報から' "$tmp/out"

settings "http://127.0.0.1:1/ichibams/api/IchibaItem/Search/20260701" "$key" >"$tmp/app/setting.ini"
check_now
check "without a network it ends with status 1" test $? -eq 1
check "... and says so" grep -q '^outcome  network error: .* — 確認できません: 接続できません$' \
  "$tmp/out"
check "the key is never printed" not_grep -r -e "$key" -e pk_wrong "$tmp/out"

settings "$endpoint" "$key" 'MIN_PRICE=3000\r\n' >"$tmp/app/setting.ini"
asked=$(wc -l <"$tmp/mall")
check_now
check "a floor at the ceiling ends with status 1" test $? -eq 1
check "... says so" grep -q '^outcome  settings error: MIN_PRICE 3000, price 3000 — 確認できません: 下限価格が設定価格以上です$' \
  "$tmp/out"
check "... and why" grep -q '^cause    下限価格（MIN_PRICE）が設定価格' "$tmp/out"
check "... and asks nothing" test "$(wc -l <"$tmp/mall")" -eq "$asked"

settings "$endpoint" "$key" >"$tmp/app/setting.ini"
check_now
check "no log is written" test ! -e "$tmp/app/kobanu.log"
check "the settings are not saved" test "$(md5sum <"$tmp/app/setting.ini")" = "$before"
check "--help lists --check" grep -q -- "--check" <("$tmp/app/kobanu" --help)

# The server's words and answer reach the terminal as one line each, every control visible: OSC 52
# (the clipboard), OSC 8 (a link), CSI (clear the screen), BEL, a CR that would overwrite the
# line with "OK", C1, bidi overrides, a line separator; then the same as raw bytes in a body.
answer() {  # STATUS BODY: the stand-in's next answer
  curl -sfG "http://127.0.0.1:$port/control/fault" --data-urlencode mode=answer \
    --data-urlencode "status=$1" --data-urlencode "body=$2" >/dev/null
}
controls='\u001b]52;c;SGk=\u0007\u001b]8;;http://x.example\u001b\\link\u001b[2J\u0007\rOK \u009b1m\u202egnp.exe\u2066\u2028x'
answer 403 "{\"errors\":{\"errorCode\":403,\"errorMessage\":\"$controls\"}}"
check_now
check "a refusal with controls still ends with status 1" test $? -eq 1
cp "$tmp/out" "$tmp/words"
check "... and says so on one line, every control visible" grep -qF \
  'outcome  service error 403: \x1b]52;c;SGk=\x07\x1b]8;;http://x.example\x1b\link\x1b[2J\x07\x0dOK \u009b1m\u202egnp.exe\u2066\u2028x — 確認できません: サービスのエラーです' \
  "$tmp/words"
answer 200 "$(printf 'raw \e]52;c;SGk=\a \e[2J\r\xc2\x9b \xe2\x80\xae \xff end')"
check_now
check "an answer of raw controls is unreadable: status 1" test $? -eq 1
check "... its bytes shown visible" grep -qF \
  'answer   200 raw \x1b]52;c;SGk=\x07 \x1b[2J\x0d\u009b \u202e \xff end' "$tmp/out"
no_controls() {  # FILE: no C0 but TAB and LF, DEL, C1, separators or bidi controls
  ! LC_ALL=C grep -aqP \
    '[\x00-\x08\x0b-\x1f\x7f]|\xc2[\x80-\x9f]|\xd8\x9c|\xe2\x80[\x8e\x8f\xa8-\xae]|\xe2\x81[\xa6-\xa9]' "$1"
}
check "no control reaches the terminal from the words" no_controls "$tmp/words"
check "... nor from the answer" no_controls "$tmp/out"

checks_done check-command
