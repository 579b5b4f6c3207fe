#!/usr/bin/env bash
# The program (the argument) at start-up, before any window system: --help and --version without
# a display, --export-history, --autostart on and off, and one instance per settings file, a
# crashed one's lock taken over.
# shellcheck disable=SC2317  # functions called through check, wait_for and trap
set -uo pipefail
program=$1
# shellcheck source=tests/support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
use_scratch

# Two install folders, each with its own setting.ini; one has a space and a quote in its name.
one="$tmp/one" two="$tmp/my \"apps\""
mkdir -p "$one" "$two" "$tmp/run" "$tmp/config"
chmod 700 "$tmp/run"
cp "$program" "$one/kobanu" && ln "$one/kobanu" "$two/kobanu"
export XDG_RUNTIME_DIR=$tmp/run XDG_CONFIG_HOME=$tmp/config

# Qt would abort on the missing display, were it asked for one.
without_display() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$@"; }
check "--version without a display" \
  test "$(without_display "$one/kobanu" --version 2>&1)" = "Kobanu 1.00"
check "--help without a display" grep -q -- "--autostart on" <(without_display "$one/kobanu" --help)
without_display "$one/kobanu" --autostart maybe >/dev/null 2>&1
check "--autostart with neither on nor off fails" test $? -eq 2

without_display "$one/kobanu" --version >/dev/full 2>/dev/null
check "an option that cannot print fails" test $? -eq 1
check "... and says why" grep -q "kobanu: cannot write the output" \
  <(without_display "$one/kobanu" --help 2>&1 >/dev/full)
for unknown in --autostart=on --chek -chek extra; do
  without_display "$one/kobanu" "$unknown" >/dev/null 2>"$tmp/err"
  check "$unknown is a usage error" test $? -eq 2
  check "... named on stderr" grep -qx -- "kobanu: unknown option $unknown" "$tmp/err"
done
check "the toolkit's own options are let be" \
  test "$(without_display "$one/kobanu" -style fusion --reverse -session=x --version)" = "Kobanu 1.00"

# --export-history: the rows beside setting.ini, for scripts; one line and status 1 without.
without_display "$one/kobanu" --export-history >"$tmp/out" 2>"$tmp/err"
check "--export-history without a history fails" test $? -eq 1
check "... in one line naming the file" \
  grep -qx "kobanu: no price history in $one/kobanu-history.csv" "$tmp/err"
check "... and prints nothing" test ! -s "$tmp/out"
header='日時,キーワード,該当件数,最安値(円),商品名,商品URL,結果'
row='2026-12-08 10:00,腕時計,6,9800,"時計, ""限定""",https://item.rakuten.co.jp/x/1/,count 6'
printf '\xEF\xBB\xBF%s\r\n%s\r\nhalf a row\r\n2026-12-08 11:00,腕時計,,,,,network error: x\r\n' \
  "$header" "$row" >"$one/kobanu-history.csv"
check "--export-history prints the rows without the mark, half rows left out" \
  same "$(without_display "$one/kobanu" --export-history | od -c)" \
  "$(printf '%s\n%s\n2026-12-08 11:00,腕時計,,,,,network error: x\n' "$header" "$row" | od -c)"
without_display "$one/kobanu" --export-history >/dev/full 2>/dev/null
check "--export-history that cannot print fails" test $? -eq 1
rm "$one/kobanu-history.csv"

entry=$tmp/config/autostart/kobanu.desktop
for odd in $'\xff\xfe' $'tab\there' $'esc\e'; do
  mkdir "$tmp/$odd" && cp "$program" "$tmp/$odd/kobanu"
  without_display "$tmp/$odd/kobanu" --autostart on >/dev/null 2>"$tmp/err"
  check "--autostart on from an odd folder name fails" test $? -eq 1
  check "... saying why" grep -q "kobanu: cannot set up the start at login: the program's path" \
    "$tmp/err"
  check "... and writes nothing" test ! -e "$entry"
done
check "--autostart on" without_display "$two/kobanu" --autostart on >/dev/null
check "the autostart entry is valid" desktop-file-validate "$entry"
check "the autostart entry quotes the path" \
  grep -qxF 'Exec="'"$tmp"'/my \\"apps\\"/kobanu"' "$entry"
check "the autostart entry starts nothing once the program is gone" \
  grep -qxF 'TryExec='"$tmp"'/my "apps"/kobanu' "$entry"
check "--autostart off" without_display "$two/kobanu" --autostart off >/dev/null
check "--autostart off removes the entry" test ! -e "$entry"
check "--autostart off twice" without_display "$two/kobanu" --autostart off >/dev/null

# On Qt's offscreen platform there is no tray: the first instance waits for one, holding its lock.
start() {  # FOLDER: starts its kobanu in the background; sets pid
  QT_QPA_PLATFORM=offscreen "$1/kobanu" >"$tmp/out" 2>&1 &
  pid=$!
  pids+=("$pid")
}
locks() { (($(compgen -G "$tmp/run/kobanu-*.lock" | wc -l) == $1)); }
start "$one"
first=$pid
check "the first instance takes its lock" wait_for 10 locks 1
second_err=$(QT_QPA_PLATFORM=offscreen timeout 10 "$one/kobanu" 2>&1 >/dev/null)
check "a second instance on the same settings ends with status 0" test $? -eq 0
check "... and says so in one line" \
  test "$second_err" = "kobanu: already running with $one/setting.ini"
start "$two"
check "an instance on other settings runs beside it" wait_for 10 locks 2
sleep 1
check "... and stays" kill -0 "$pid"

{ kill -9 "$first" && wait "$first"; } 2>/dev/null
start "$one"
sleep 2
check "a crashed instance's lock is taken over" kill -0 "$pid"
check "... without a word of it" not_grep "already running" "$tmp/out"

# The same settings file under four spellings of its folder, and a runtime folder of another
# user's: one instance each time. Settings go to the user's folder only where the program's own
# cannot be written, which root's can always be; root tries it as nobody.
as_user=()
[[ $(id -u) -eq 0 ]] && as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
user_dir() {  # PATH: a folder of the user's own
  mkdir -p "$1" && { [[ ${#as_user[@]} -eq 0 ]] || chown nobody:nogroup "$1"; }
}
chmod 755 "$tmp"
fixed=$tmp/fixed home=$tmp/home
mkdir -p "$fixed" && cp "$program" "$fixed/kobanu" && chmod 555 "$fixed"
user_dir "$home" && user_dir "$tmp/user-run" && chmod 700 "$tmp/user-run"
# env ENV... kobanu: the fixed folder's program as the user, with nothing but ENV around it.
as_user_env=(env -i PATH="$PATH" QT_QPA_PLATFORM=offscreen)
as_user_program=("${as_user[@]}" "$fixed/kobanu")
spellings=("HOME=$home" "HOME=$home XDG_CONFIG_HOME=$home/.config/"
           "HOME=$home XDG_CONFIG_HOME=$home/.config//" "HOME=$home/")
# shellcheck disable=SC2086  # each spelling is a list of assignments
"${as_user_env[@]}" XDG_RUNTIME_DIR="$tmp/user-run" ${spellings[0]} "${as_user_program[@]}" \
  >"$tmp/first-out" 2>&1 &
first=$!
pids+=("$first")
second_instance() {  # ENV...: the user's program, which should end at once
  timeout 10 "${as_user_env[@]}" "$@" "${as_user_program[@]}" >"$tmp/out" 2>&1
}
user_locked() {  # a lock file there, and held
  local file
  file=$(compgen -G "$tmp/user-run/kobanu-*.lock") && ! flock -n "$file" true
}
check "an instance on the user's settings takes its lock" wait_for 10 user_locked
for spelling in "${spellings[@]:1}"; do
  # shellcheck disable=SC2086
  check "a second instance with $spelling ends with status 0" \
    second_instance XDG_RUNTIME_DIR="$tmp/user-run" $spelling
  check "... saying it runs already" grep -q "already running with" "$tmp/out"
done
check "... and the first runs on" kill -0 "$first"
{ kill -9 "$first" && wait "$first"; } 2>/dev/null

# Without XDG_RUNTIME_DIR, with the folder Qt would take made by someone else.
mkdir -p "$tmp/temp" && chmod 1777 "$tmp/temp"
user=$("${as_user[@]}" id -un)
mkdir -m 777 "$tmp/temp/runtime-$user"
[[ ${#as_user[@]} -eq 0 ]] || chmod 700 "$tmp/temp/runtime-$user"  # root's, not the user's
"${as_user_env[@]}" TMPDIR="$tmp/temp" HOME="$home" "${as_user_program[@]}" >"$tmp/first-out" 2>&1 &
first=$!
pids+=("$first")
sleep 2
check "without a private runtime folder an instance still runs" kill -0 "$first"
check "... and a second one on the same settings ends with status 0" \
  second_instance TMPDIR="$tmp/temp" HOME="$home"
check "... saying it runs already" grep -q "already running with" "$tmp/out"
{ kill -9 "$first" && wait "$first"; } 2>/dev/null

# ... and with no folder of the user's for the lock either: none starts, and it says why.
mkdir -m 555 "$tmp/closed-home"
second_instance TMPDIR="$tmp/temp" HOME="$tmp/closed-home"
check "with no place for the lock at all it ends with status 1" test $? -eq 1
check "... in one line" \
  grep -qx "kobanu: no private folder for the lock that keeps one Kobanu on .*" "$tmp/out"

checks_done start-up
