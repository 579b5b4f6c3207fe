#!/usr/bin/env bash
# The packages cpack made in a release build folder (the argument): the .deb passes lintian
# without errors, holds the files in deb_contents.txt and depends on what the program loads at
# run time; its desktop entry and AppStream metadata validate; the program it installs runs; the
# .tar.gz holds the portable folder. Prints lintian's output and the packages' sizes.
# shellcheck disable=SC2317  # functions called through check, wait_for and trap
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$build/kobanu_${version}_amd64.deb
tgz=$build/kobanu-$version-linux-amd64.tar.gz
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# shellcheck source=tests/support/checks.sh
source "$here/../support/checks.sh"

for package in "$deb" "$tgz"; do
  [[ -f $package ]] || { echo "FAILED: no $package"; exit 1; }
  echo "$(basename "$package"): $(stat -c %s "$package") bytes"
done

# lintian as root complains of that alone; its tags are what counts.
lintian --no-cfg --display-info "$deb" 2>&1 | grep -v "running with root privileges" | tee "$tmp/lintian"
check "lintian finds no errors" not_grep "^E: " "$tmp/lintian"

contents=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); $1=$2=$3=$4=$5=""; sub(/^ +/, ""); print }' | sort)
check "the .deb's contents" same "$contents" "$(sort "$here/deb_contents.txt")"

depends=$(dpkg-deb -f "$deb" Depends)
for wanted in libcurl4 qt6-qpa-plugins "fonts-ipafont-gothic |" libqt6widgets6 libc6; do
  check "the .deb depends on $wanted" grep -qF -- "$wanted" <<<"$depends"
done

recommends=$(dpkg-deb -f "$deb" Recommends)
for wanted in xdg-utils qt6-wayland qt6-translations-l10n; do
  check "the .deb recommends $wanted" grep -qF -- "$wanted" <<<"$recommends"
done

dpkg-deb -x "$deb" "$tmp/root"
entry=$tmp/root/usr/share/applications/io.github.kobanu.kobanu.desktop
check "the desktop entry validates" desktop-file-validate "$entry"
main_categories=$(grep '^Categories=' "$entry" | tr '=;' '\n' |
  grep -cxE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility')
check "the desktop entry has one main category" test "$main_categories" -eq 1
check "the desktop entry starts the installed program" \
  grep -qx 'Exec="/usr/lib/kobanu/kobanu"' "$entry"
check "the AppStream metadata validates" appstreamcli validate --no-net \
  "$tmp/root/usr/share/metainfo/io.github.kobanu.kobanu.metainfo.xml"
check "the installed link starts the program" \
  same "$(env -u DISPLAY "$tmp/root/usr/bin/kobanu" --version)" "Kobanu $version"
check "the program is stripped" not_grep "not stripped" <(file "$tmp/root/usr/lib/kobanu/kobanu")

check "the .tar.gz holds the portable folder" same "$(tar tzf "$tgz" | sort)" \
  "$(printf '%s\n' "kobanu-$version-linux-amd64/"{README.md,kobanu,kobanu.png})"

checks_done packages
