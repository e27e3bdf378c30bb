#!/bin/sh
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer, starts the local Firebird server when it is not
# running, and runs every test through ctest.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
sh tools/fbserver.sh
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" >/dev/null
cmake --build build/asan
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir build/asan --output-on-failure -j "$(nproc)" --timeout 300

# The memory-leak checker replaces operator new and delete, as the sanitizers
# do, so it has a small build of its own: only the checker and its tests.
cmake -S . -B build/alloccheck -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_ALLOCCHECK_ONLY=ON >/dev/null
cmake --build build/alloccheck
ctest --test-dir build/alloccheck --output-on-failure -j "$(nproc)" --timeout 300
