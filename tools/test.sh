#!/bin/sh
# Installs what is missing, starts the local Firebird server when it is not
# running, builds twice - with AddressSanitizer and UndefinedBehaviorSanitizer
# (build/asan) and in Release (build/release) - and runs every test through
# ctest in both: some faults show in one of them only. The sanitizer build is
# made with Clang and the Release build with GCC, so the code is kept to what
# both compilers take. The memory-leak
# checker has a small build of its own (build/alloccheck). The sanitizer
# build keeps line tables only (-g1): reports still name file and line, and
# the build takes a fifth less time than with full debugging information.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
sh tools/fbserver.sh
# A build folder keeps the compiler it was first configured with.
if [ -f build/asan/CMakeCache.txt ] && ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' build/asan/CMakeCache.txt; then
  rm -rf build/asan
fi
CC=clang CXX=clang++ cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1" >/dev/null
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=ON >/dev/null
cmake --build build/asan
cmake --build build/release
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
# The tests' throwaway databases live in memory when the machine has a
# memory file system with room to spare (they take some tens of MB; a
# container may give it no more than 64 MB): every commit of a new database
# is written through to disk otherwise, and on a slow disk that is most of
# the suite's time.
shm_free_kb=$(df -Pk /dev/shm 2>/dev/null | awk 'NR == 2 { print $4 }')
if [ -d /dev/shm ] && [ -w /dev/shm ] && [ "${shm_free_kb:-0}" -ge 524288 ]; then
  TMPDIR=$(mktemp -d /dev/shm/qorvane-tests.XXXXXX)
  chmod 1777 "$TMPDIR"
  export TMPDIR
  trap 'rm -rf "$TMPDIR"' EXIT
fi
status=0
echo "== every test under the sanitizers (build/asan)"
ctest --test-dir build/asan --output-on-failure -j "$(nproc)" --timeout 300 || status=1
echo "== every test in Release (build/release)"
ctest --test-dir build/release --output-on-failure -j "$(nproc)" --timeout 300 || status=1

# The memory-leak checker replaces operator new and delete, as the sanitizers
# do, so it has a small build of its own: only the checker and its tests.
cmake -S . -B build/alloccheck -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_ALLOCCHECK_ONLY=ON >/dev/null
cmake --build build/alloccheck
echo "== the memory-leak checker's tests (build/alloccheck)"
ctest --test-dir build/alloccheck --output-on-failure -j "$(nproc)" --timeout 300 || status=1
exit $status
