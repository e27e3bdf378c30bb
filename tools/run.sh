#!/bin/sh
# Installs what is missing, builds Qorvane in Release and starts it.
set -eu
cd "$(dirname "$0")/.."
sh tools/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF >/dev/null
# Sources are globbed: make the moc step look again for classes in files
# added since the last build (it can miss them in an existing build folder).
find build/release -path '*_autogen/timestamp' -delete 2>/dev/null || true
cmake --build build/release --target qorvane
exec build/release/app/main/qorvane "$@"
