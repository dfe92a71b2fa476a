#!/usr/bin/env bash
# ./run.sh [ecgtrace|myogrid]: installs what is missing, builds and starts
# the program in work/<program>, a folder that keeps the user's files.
set -euo pipefail
cd "$(dirname "$0")"
program="${1:-ecgtrace}"
case "$program" in
  ecgtrace|myogrid) ;;
  *) echo "usage: ./run.sh [ecgtrace|myogrid]" >&2; exit 2 ;;
esac

ARRHYTHMICA_NEEDS=build source scripts/setup.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DARRHYTHMICA_TESTS=OFF -DARRHYTHMICA_BENCH=OFF >/dev/null
cmake --build build/release -j"$(nproc)"

binary="$PWD/build/release/$program/$program"
if [ ! -x "$binary" ]; then
  echo "$program is not built yet: its windows do not exist in this version." >&2
  exit 1
fi

workdir="$PWD/work/$program"
mkdir -p "$workdir"
# Companion files of the program, copied once; the user's copies are kept.
if [ -d "data/$program" ]; then
  for f in data/"$program"/*; do
    [ -e "$workdir/$(basename "$f")" ] || cp "$f" "$workdir/"
  done
fi
cd "$workdir"
exec "$binary"
