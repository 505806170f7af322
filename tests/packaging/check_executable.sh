#!/usr/bin/env bash
# Checks the built executable's headers and imports from the outside, as a
# loader would read them.
#
# Usage: check_executable.sh <objdump> <executable> <imports allow-list> <not on XP list>
# The allow-list names each library that may be imported, with the reason,
# and holds one "dll!function" per line; a new or vanished import fails the
# check and shows the difference, so every change is reviewed. An
# import that Windows XP lacks fails too, unless its allow-list line is
# marked "# known fault:" with the reason, which is printed on every run.
set -uo pipefail
objdump=$1 exe=$2 allowed=$3 not_on_xp=$4
status=0
fail() { echo "FAIL: $*"; status=1; }

[ -f "$exe" ] || { echo "FAIL: no such file: $exe"; exit 1; }
headers=$("$objdump" -p "$exe") || { echo "FAIL: objdump cannot read $exe"; exit 1; }
format=$("$objdump" -f "$exe")

grep -q 'file format pei-i386' <<<"$format" || fail "not a PE file for i386"
grep -q '^architecture: i386' <<<"$format" || fail "architecture is not i386"
grep -qE '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers" || fail "not PE32"
grep -qE '^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)' <<<"$headers" || fail "not the GUI subsystem"

# Windows XP refuses to load a program that asks for a newer subsystem or OS.
version() { awk -v key="$1" '$1 == key { print $2 }' <<<"$headers"; }
for part in OSystem Subsystem; do
  major=$(version "Major${part}Version") minor=$(version "Minor${part}Version")
  if [ -z "$major" ] || [ $((major * 100 + minor)) -gt 501 ]; then
    fail "Major/Minor${part}Version is ${major:-?}.${minor:-?}, Windows XP needs 5.1 at most"
  fi
done

imports=$(awk '
  /^The Import Tables/ { inside = 1; next }
  inside && /^(The |PE File)/ { inside = 0 }
  inside && /DLL Name:/ { dll = tolower($3); next }
  inside && dll != "" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {
    print dll "!" ($3 == "<none>" ? "#" $2 : $3)
  }' <<<"$headers" | LC_ALL=C sort -u)
[ -n "$imports" ] || fail "no imports found: objdump output not understood"

# A statically imported library is loaded before the program's first line
# runs, looked for in the program's own folder first unless Windows keeps it
# among its KnownDLLs. The allow-list names the libraries that may be
# imported, each on a line of its own with the reason after "#".
libraries=$(grep -E '^[A-Za-z0-9_]+\.dll([[:space:]]|$)' "$allowed")
while read -r dll reason; do
  [ -n "$dll" ] || continue
  [[ $reason =~ ^#[[:space:]]*[^[:space:]] ]] || fail "$dll is allowed in $allowed without a reason"
done <<<"$libraries"
allowed_dlls=" $(awk '{ print tolower($1) }' <<<"$libraries" | tr '\n' ' ') "
imported_dlls=$(cut -d'!' -f1 <<<"$imports" | uniq)
for dll in $imported_dlls; do
  [[ $allowed_dlls == *" $dll "* ]] ||
    fail "imports from $dll, which is not among the reviewed libraries that Windows loads only from its system folder"
done
for dll in $allowed_dlls; do
  grep -qxF "$dll" <<<"$imported_dlls" || fail "$dll is allowed but no longer imported: remove its line"
done

if ! diff_output=$(diff -u --label "reviewed ($allowed)" --label "imported by $exe" \
                        <(grep -F '!' "$allowed" | sed -e '/^#/d' -e 's/[[:space:]]*#.*//' | LC_ALL=C sort -u) <(printf '%s\n' "$imports")); then
  fail "the imports differ from the reviewed allow-list (+ new, - gone):"
  printf '%s\n' "$diff_output"
fi

while read -r import; do
  if grep -qxF "$import" <(sed '/^#/d' "$not_on_xp") || [[ $import == msvcrt.dll!*_s ]]; then
    if known=$(grep -F "$import " "$allowed" | grep -o '# known fault:.*'); then
      echo "KNOWN FAULT, not on Windows XP: $import (${known#\# known fault: })"
    else
      fail "$import does not exist on Windows XP"
    fi
  fi
done <<<"$imports"

[ $status -eq 0 ] && echo "PE32 i386 GUI executable, $(wc -l <<<"$imports") imports, all reviewed"
exit $status
