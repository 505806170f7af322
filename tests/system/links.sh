#!/bin/sh
# Folder links for the link-safety tests, made from the Unix side: Wine shows a
# symbolic link to a folder inside drive_c as a folder reparse point.
#   links.sh setup | cleanup      (needs WINEPREFIX; never touches ~/.wine)
set -eu
"$(dirname "$0")/../../tools/wine-test" --check
root="$WINEPREFIX/drive_c/scourwell-links"

rm -rf "$root"   # rm does not follow the links inside
[ "${1:-}" = cleanup ] && exit 0

mkdir -p "$root/canary/deep" "$root/holder/nested" "$root/mixed"
echo canary > "$root/canary/one.txt"
echo canary > "$root/canary/deep/two.txt"
echo victim > "$root/holder/plain.txt"
echo victim > "$root/holder/nested/three.txt"
ln -s ../canary "$root/holder/link"
ln -s ../../canary "$root/holder/nested/link"
echo victim > "$root/mixed/four.txt"
ln -s ../canary "$root/mixed/link"
ln -s canary "$root/linked"
