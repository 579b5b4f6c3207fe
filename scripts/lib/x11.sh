# shellcheck shell=bash
# A display of the script's own: Xvfb and trayer's panel, windows found by title, their place on
# the screen, screenshots (into the folder $shots). Needs common.sh.
# shellcheck disable=SC2154  # spawned (common.sh), shots (the script)

# start_xvfb DIR: Xvfb on a free display, 1024x768, its number and log in DIR; exports DISPLAY and
# sets xvfb_pid. False when it did not come up.
start_xvfb() {
  : >"$1/display"
  spawn "$1/xvfb.log" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display"
  xvfb_pid=$spawned
  wait_on "$xvfb_pid" 60 grep -q '^[0-9]' "$1/display" || return 1
  DISPLAY=:$(head -n 1 "$1/display")
  export DISPLAY
  unset WAYLAND_DISPLAY
}

# start_trayer LOG: trayer's panel at the top right, a tray host; sets trayer_pid and waits until
# the panel shows. False when it did not.
start_trayer() {
  spawn "$1" trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false
  trayer_pid=$spawned
  wait_on "$trayer_pid" 60 tray_host_shown
}
tray_host_shown() { xdotool search --onlyvisible --classname '^panel$' >/dev/null 2>&1; }

# window TITLE: the id of a shown window whose title is TITLE, all of it; false if there is none.
window() {
  local pattern
  # shellcheck disable=SC2001  # each of a set
  pattern=$(sed 's/[][\\.^$*+?(){}|]/\\&/g' <<<"$1")
  xdotool search --onlyvisible --name "^$pattern\$" 2>/dev/null | head -n 1
}
shown() { [[ -n $(window "$1") ]]; }
gone() { ! shown "$1"; }

geometry() {  # ID: "x y width height" on the screen
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X/ { x = $4 }
    /Absolute upper-left Y/ { y = $4 }
    /Width:/ { w = $2 }
    /Height:/ { h = $2 }
    END { if (h == "") exit 1; print x, y, w, h }'
}

# screenshot NAME: the screen once it has stopped changing (windows placed and painted; 5 s at the
# most), as $shots/NAME.png.
screenshot() {
  local before=$shots/.before.xwd after=$shots/.after.xwd
  xwd -root -silent >"$before"
  for _ in {1..25}; do
    sleep 0.2
    xwd -root -silent >"$after"
    cmp -s "$before" "$after" && break
    mv "$after" "$before"
  done
  convert "xwd:$before" "$shots/$1.png"
  rm -f "$before" "$after"
}

# screenshot_now NAME: the screen at this moment (a failure's), as $shots/NAME.png.
screenshot_now() { xwd -root -silent | convert xwd:- "$shots/$1.png"; }
