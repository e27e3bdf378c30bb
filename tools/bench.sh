#!/bin/sh
# Builds every benchmark in Release and runs them all, one after another;
# exits non-zero when any of them failed.
#   sh tools/bench.sh [SCALE] [NAME...]
# SCALE (default 1) multiplies each benchmark's data size; NAMEs pick
# benchmarks by file name (bench/<NAME>.cpp), all when none is given.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh --run-only
scale=${1:-1}
[ $# -gt 0 ] && shift
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=ON >/dev/null
cmake --build build/bench
export QT_QPA_PLATFORM=offscreen QV_BENCH_SCALE="$scale"
if [ $# -eq 0 ]; then
  set -- $(ls bench/*.cpp 2>/dev/null | sed 's|bench/||; s|\.cpp$||')
fi
# A benchmark whose own check fails does not stop the others: every one
# prints its BENCH lines, and the failed ones are named at the end.
failed=""
for name in "$@"; do
  echo "== $name"
  if [ ! -x "build/bench/bench/bench_$name" ]; then
    echo "no benchmark named $name" >&2
    failed="$failed $name"
  elif ! "build/bench/bench/bench_$name"; then
    failed="$failed $name"
  fi
done
if [ -n "$failed" ]; then
  echo "== failed:$failed"
  exit 1
fi
echo "== every benchmark passed its own check"
