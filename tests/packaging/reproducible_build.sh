#!/usr/bin/env bash
# Two clean builds of the executable, in two fresh build folders, must give
# the same bytes.
#
# Usage: reproducible_build.sh <source dir> <toolchain file> <scratch dir> <target> <file name>
set -euo pipefail
source_dir=$1 toolchain=$2 scratch=$3 target=$4 name=$5

build() {
  rm -rf "$1"
  cmake -S "$source_dir" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$1" --target "$target" -j "${JOBS:-2}" >/dev/null
  find "$1" -name "$name" -type f | head -n1
}

first=$(build "$scratch/first")
second=$(build "$scratch/second")
[ -n "$first" ] && [ -n "$second" ] || { echo "FAIL: $name was not built"; exit 1; }
if cmp "$first" "$second"; then
  echo "two clean builds of $name are byte-identical ($(stat -c %s "$first") bytes)"
  rm -rf "$scratch"
else
  echo "FAIL: two clean builds of $name differ; kept in $scratch"
  exit 1
fi
