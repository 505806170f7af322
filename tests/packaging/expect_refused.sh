#!/usr/bin/env bash
# Passes when check_executable.sh refuses an executable for importing <dll>.
#
# Usage: expect_refused.sh <dll> <the arguments of check_executable.sh>
set -uo pipefail
dll=$1
shift
output=$(bash "$(dirname "$0")/check_executable.sh" "$@")
status=$?
printf '%s\n' "$output"
[ $status -ne 0 ] || { echo "FAIL: the check accepted an import from $dll"; exit 1; }
grep -q "^FAIL: imports from $dll," <<<"$output" || { echo "FAIL: the check did not refuse $dll itself"; exit 1; }
echo "refused $dll, as it must"
