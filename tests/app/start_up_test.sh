#!/usr/bin/env bash
# The program (the argument) at start-up, before any window system: --help and --version without
# a display, --autostart on and off, and one instance per settings file, a crashed one's lock
# taken over.
# shellcheck disable=SC2317  # functions called through check, wait_for and trap
set -uo pipefail
program=$1
tmp=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do { kill -9 "$pid" && wait "$pid"; } 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT
# shellcheck source=tests/support/checks.sh
source "$(dirname "$0")/../support/checks.sh"

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

entry=$tmp/config/autostart/kobanu.desktop
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

kill -9 "$first"
wait "$first" 2>/dev/null
start "$one"
sleep 2
check "a crashed instance's lock is taken over" kill -0 "$pid"
check "... without a word of it" not_grep "already running" "$tmp/out"

checks_done start-up
