#!/bin/sh
# Builds every benchmark in Release and runs them all, one after another.
#   sh tools/bench.sh [SCALE] [NAME...]
# SCALE (default 1) multiplies each benchmark's data size; NAMEs pick
# benchmarks by file name (bench/<NAME>.cpp), all when none is given.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
scale=${1:-1}
[ $# -gt 0 ] && shift
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=ON >/dev/null
cmake --build build/bench
export QT_QPA_PLATFORM=offscreen QV_BENCH_SCALE="$scale"
if [ $# -eq 0 ]; then
  set -- $(ls bench/*.cpp 2>/dev/null | sed 's|bench/||; s|\.cpp$||')
fi
for name in "$@"; do
  echo "== $name"
  "build/bench/bench/bench_$name"
done
