#!/bin/sh
# Installs what building and running need and is missing, builds Qorvane in
# Release and starts it. Without a display (no DISPLAY or WAYLAND_DISPLAY) it
# installs the virtual display server (Xvfb) as well and starts Qorvane on it.
set -eu
cd "$(dirname "$0")/.."
headless=no
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  headless=yes
fi
# What building and running need; the test toolchain is tools/test.sh's.
if [ "$headless" = yes ]; then
  sh tools/setup.sh --run-only --with-xvfb
else
  sh tools/setup.sh --run-only
fi
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target qorvane
if [ "$headless" = yes ]; then
  echo "No display found: starting Qorvane on a virtual display (Xvfb, through xvfb-run)."
  exec xvfb-run -a build/release/app/main/qorvane "$@"
fi
exec build/release/app/main/qorvane "$@"
