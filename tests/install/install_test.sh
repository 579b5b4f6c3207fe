#!/usr/bin/env bash
# cmake --install of a build folder (the argument) into a temporary prefix, and what a desktop
# needs of it: the portable folder, the link on the PATH, the desktop entry and the themed icons.
# Then a staged install (DESTDIR), whose desktop entry must name the final place, not the stage.
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# shellcheck source=tests/support/checks.sh
source "$(dirname "$0")/../support/checks.sh"
# shellcheck disable=SC2317  # called through check
icon_of_size() { [[ $(identify -format '%wx%h' "$1" 2>/dev/null) == "$2x$2" ]]; }

check_installed() {  # ROOT PREFIX: the files under ROOT, installed for PREFIX
  local here=$1$2 entry=$1$2/share/applications/io.github.kobanu.kobanu.desktop
  check "the executable in the portable folder" test -x "$here/lib/kobanu/kobanu"
  check "the portable folder writable for setting.ini" test -w "$here/lib/kobanu"
  check "the icon in the portable folder" icon_of_size "$here/lib/kobanu/kobanu.png" 48
  check "bin/kobanu a link to the folder's executable" \
    test "$(readlink "$here/bin/kobanu")" = ../lib/kobanu/kobanu
  check "bin/kobanu resolves" test "$here/bin/kobanu" -ef "$here/lib/kobanu/kobanu"
  for size in 16 24 32 48 64 128 256; do
    check "the ${size}px icon in the hicolor theme" \
      icon_of_size "$here/share/icons/hicolor/${size}x${size}/apps/kobanu.png" "$size"
  done
  check "the scalable icon in the hicolor theme" \
    grep -q "<svg" "$here/share/icons/hicolor/scalable/apps/kobanu.svg"
  check "valid AppStream metadata" appstreamcli validate --no-net \
    "$here/share/metainfo/io.github.kobanu.kobanu.metainfo.xml"
  check "a valid desktop entry" desktop-file-validate "$entry"
  check "the entry starts the installed executable" \
    grep -qx "Exec=\"$2/lib/kobanu/kobanu\"" "$entry"
  check "the entry's icon from the theme" grep -qx 'Icon=kobanu' "$entry"
  check "the entry's categories" grep -qx 'Categories=Network;Monitor;' "$entry"
  check "the entry's Japanese name" grep -qx 'Name\[ja\]=Kobanu 楽天市場ウォッチ' "$entry"
  check "the entry's action opens the service window" \
    grep -qx "Exec=\"$2/lib/kobanu/kobanu\" --service-settings" "$entry"
  check "the action's Japanese name" grep -qx 'Name\[ja\]=サービス設定' "$entry"
  check "the entry's action opens the price history" \
    grep -qx "Exec=\"$2/lib/kobanu/kobanu\" --price-history" "$entry"
  check "that action's Japanese name" grep -qx 'Name\[ja\]=価格の推移' "$entry"
}

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
check_installed "" "$tmp/prefix"

DESTDIR="$tmp/stage" cmake --install "$build" --prefix /opt/kobanu >/dev/null
check_installed "$tmp/stage" /opt/kobanu

checks_done install
