# shellcheck shell=bash
# A desktop session of the script's own for one panel: buses, the programs of the session run as
# an ordinary user, Kobanu's StatusNotifier item as the watcher lists it, and Kobanu's windows as
# the window manager or compositor sees them. Needs common.sh and x11.sh; the caller sets `cell`
# (the session's folder) and `kobanu_pid`.
# shellcheck disable=SC2154  # cell, kobanu_pid, spawned (common.sh)

# As root every program of the session runs as uid 1000 of a user namespace: sway refuses root,
# and a bus checks that a peer's credentials are what it says, so the tools that talk to the
# session's buses go the same way.
as_user=()
((EUID != 0)) || as_user=(unshare --user --map-user=1000 --map-group=1000)

# in_session LOG COMMAND...: COMMAND as a program of the session (spawn), marked with the
# session's folder so that what it starts in turn can be found and ended with it.
in_session() {
  spawn "$1" env "KOBANU_PANELS_SESSION=$cell" "${as_user[@]}" "${@:2}"
}

# end_session_leftovers: ends what the session's programs started and left (D-Bus activated
# services, a panel's plugins), found by the mark in their environment.
end_session_leftovers() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    if tr '\0' '\n' 2>/dev/null <"$environ" | grep -qxF "KOBANU_PANELS_SESSION=$cell"; then
      kill -KILL "$pid" 2>/dev/null || true
    fi
  done
}

# start_bus VAR NAME CONFIG...: a dbus-daemon of the session on CONFIG (dbus-daemon's options),
# its address in VAR.
start_bus() {
  local file=$cell/$2.address
  : >"$file"
  in_session "$cell/$2.log" dbus-daemon --nofork --print-address=3 "${@:3}" 3>"$file"
  wait_on "$spawned" 30 grep -q . "$file" || return 1
  printf -v "$1" '%s' "$(head -n 1 "$file")"
}

# start_buses: the session bus, and a system bus on a configuration of its own (GNOME Shell asks
# it for logind and the like, and carries on without them); exports both addresses.
start_buses() {
  cat >"$cell/system-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:dir=$cell</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
  start_bus DBUS_SESSION_BUS_ADDRESS session-bus --session || return 1
  start_bus DBUS_SYSTEM_BUS_ADDRESS system-bus --config-file="$cell/system-bus.conf" || return 1
  export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS
}

# bus ARGS...: busctl on the session bus, its answer in JSON.
bus() { "${as_user[@]}" busctl --user --json=short "$@" 2>/dev/null; }

watcher_property() {  # NAME: its value
  bus get-property org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.kde.StatusNotifierWatcher "$1" | jq -c '.data'
}
tray_host_registered() { [[ $(watcher_property IsStatusNotifierHostRegistered) == true ]]; }

# kobanu_item: "BUS_NAME PATH" of the item the watcher lists for Kobanu's process (not one a
# proxy registered for its XEmbed icon); false when there is none.
kobanu_item() {
  local item name path pid
  for item in $(watcher_property RegisteredStatusNotifierItems | jq -r '.[]?'); do
    # NAME/PATH, NAME@/PATH (GNOME's AppIndicator extension) or NAME alone
    name=${item%%[@/]*}
    path=${item#"$name"}
    path=${path#@}
    path=${path:-/StatusNotifierItem}
    pid=$(bus call org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus \
      GetConnectionUnixProcessID s "$name" | jq -r '.data[0]')
    if [[ $pid == "$kobanu_pid" ]]; then
      echo "$name $path"
      return 0
    fi
  done
  return 1
}
item_registered() { kobanu_item >/dev/null; }

item_property() {  # NAME
  local name path
  read -r name path < <(kobanu_item) || return 1
  bus get-property "$name" "$path" org.kde.StatusNotifierItem "$1" | jq -c '.data'
}

# menu_entries: the exported menu's top entries, "ID LABEL" each, "-" for a separator.
menu_entries() {
  local name path menu
  read -r name path < <(kobanu_item) || return 1
  menu=$(item_property Menu | jq -r .) || return 1
  bus call "$name" "$menu" com.canonical.dbusmenu GetLayout iias 0 -- -1 0 |
    jq -r '.data[1][2][].data | "\(.[0]) \(.[1].label.data // "-")"'
}

# click_menu_entry LABEL: as a panel does when its drawing of the entry is clicked.
click_menu_entry() {
  local name path menu id
  read -r name path < <(kobanu_item) || return 1
  menu=$(item_property Menu | jq -r .) || return 1
  id=$(menu_entries | awk -v label="$1" '$2 == label { print $1 }')
  [[ -n $id ]] || return 1
  bus call "$name" "$menu" com.canonical.dbusmenu Event isvu "$id" clicked s '' 0 >/dev/null
}

# xembed_icon: the id of Kobanu's icon docked in an XEmbed tray (or a proxy's): Qt's pop-up
# window, which the tray has taken out of the root window; false if there is none.
xembed_icon() {
  local w
  [[ -n ${DISPLAY:-} ]] || return 1
  for w in $(xdotool search --onlyvisible --classname '^kobanu$' 2>/dev/null); do
    if xwininfo -children -id "$w" 2>/dev/null | grep -q '^ *Parent window id: .*(the root'; then
      continue
    fi
    if xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes'; then
      echo "$w"
      return 0
    fi
  done
  return 1
}

# ---- Kobanu's windows, as the window manager or compositor sees them ---------------------------
# kobanu_windows_KIND: one line per shown window, the lowest first: ID FOCUSED(true|false) X Y
# WIDTH HEIGHT TITLE, tab-separated, the window's place on the screen.

# On X11: the windows of Kobanu's class that the window manager stacks (not its icon, menus or
# balloons); the focus is _NET_ACTIVE_WINDOW, its first window (xfwm4 adds a 0x0 after it).
kobanu_windows_x11() {
  local active w title g
  active=$(xprop -root -notype _NET_ACTIVE_WINDOW 2>/dev/null |
    awk '/#/ { sub(/,.*/, ""); print $NF }')
  for w in $(xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | grep -o '0x[0-9a-f]*'); do
    xprop -id "$w" WM_CLASS 2>/dev/null | grep -q '"kobanu"' || continue
    xwininfo -id "$w" 2>/dev/null | grep -q 'IsViewable' || continue
    title=$(xprop -id "$w" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^[^=]*= "\(.*\)"$/\1/p')
    g=$(geometry "$w") || continue
    printf '%s\t%s\t%s\t%s\n' "$w" "$([[ $w == "$active" ]] && echo true || echo false)" \
      "${g// /$'\t'}" "$title"
  done
}

# On sway: the windows of Kobanu's process in sway's tree, whose floating windows come lowest
# first.
kobanu_windows_sway() {
  sway_message -t get_tree |
    jq -r --argjson pid "$kobanu_pid" '.. | objects | select(.pid? == $pid and .visible) |
      [.id, .focused, .rect.x + .window_rect.x, .rect.y + .window_rect.y, .window_rect.width,
       .window_rect.height, .name] | @tsv'
}
sway_message() {  # swaymsg's ARGUMENTs: its JSON answer
  "${as_user[@]}" env SWAYSOCK="$(echo "$XDG_RUNTIME_DIR"/sway-ipc.*.sock)" \
    swaymsg -r "$@" 2>/dev/null
}

# On GNOME Shell under Wayland, which tells no client where a window is: a shell extension of
# the session's own answers over the session bus, from Mutter's stacking and frames.
gnome_window_probe=window-probe@kobanu.test
install_gnome_window_probe() {  # DATA_HOME
  local dir=$1/gnome-shell/extensions/$gnome_window_probe
  mkdir -p "$dir"
  echo '{"uuid": "'"$gnome_window_probe"'", "name": "Window probe", "description": "Tests",
         "shell-version": ["43"]}' >"$dir/metadata.json"
  cat >"$dir/extension.js" <<'EOF'
const {Gio} = imports.gi;

const iface = `<node><interface name="test.kobanu.WindowProbe">
  <method name="Windows"><arg type="s" direction="out"/></method>
</interface></node>`;
let exported = null;

function Windows() {
  const focus = global.display.get_focus_window();
  return global.display.sort_windows_by_stacking(global.display.list_all_windows())
      .filter(w => /kobanu/i.test(w.get_wm_class() || '') && !w.is_hidden())
      .map(w => {
        const r = w.get_frame_rect();
        return [w.get_id(), w === focus, r.x, r.y, r.width, r.height, w.get_title()].join('\t');
      }).join('\n');
}

function init() {}
function enable() {
  exported = Gio.DBusExportedObject.wrapJSObject(iface, {Windows});
  exported.export(Gio.DBus.session, '/test/kobanu/WindowProbe');
}
function disable() {
  exported.unexport();
  exported = null;
}
EOF
}
kobanu_windows_gnome() {
  bus call org.gnome.Shell /test/kobanu/WindowProbe test.kobanu.WindowProbe Windows |
    jq -r '.data[0] | select(. != "")'
}

kobanu_window() {  # TITLE: its line, the topmost if there are two
  "kobanu_windows_$windows" | awk -F '\t' -v title="$1" '$7 == title { line = $0 }
                                                        END { if (line == "") exit 1; print line }'
}
window_shown() { kobanu_window "$1" >/dev/null; }
window_gone() { ! window_shown "$1"; }
window_id() { kobanu_window "$1" | cut -f 1; }
window_focused() { [[ $(kobanu_window "$1" | cut -f 2) == true ]]; }
window_rect() { kobanu_window "$1" | cut -f 3-6 | tr '\t' ' '; }  # TITLE: "x y width height"
window_above() {  # TITLE OTHER: TITLE is stacked over OTHER
  "kobanu_windows_$windows" | awk -F '\t' -v a="$1" -v b="$2" '$7 == a { at = NR } $7 == b { bt = NR }
                                                            END { exit !(at && bt && at > bt) }'
}
