#!/bin/sh
# Installs what is missing, builds Qorvane in Release and starts it.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target qorvane
exec build/release/app/main/qorvane "$@"
