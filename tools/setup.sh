#!/bin/sh
# Installs what Qorvane needs on Debian 12, and only what is missing: with no
# argument what building, testing and running it needs; with --run-only what
# building and running it needs; --with-xvfb adds the virtual display server,
# for a machine without a screen.
#   sh tools/setup.sh [--run-only] [--with-xvfb]
# Does nothing (and needs no network) when everything is already there.
set -eu

# Building and running: the compiler, CMake, Qt, and the Firebird client with
# its embedded engine (local database files).
packages="g++ cmake ninja-build pkg-config
qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core
firebird-dev libfbclient2 firebird3.0-server-core"
# Testing: Clang with its sanitizer libraries (only recommended by its
# package), GoogleTest, isql-fb, the server and its example scripts.
test_packages="clang libclang-rt-14-dev libgtest-dev libgmock-dev git ca-certificates
firebird3.0-utils firebird3.0-server firebird3.0-examples"

with_tests=yes
for argument in "$@"; do
  case "$argument" in
    --run-only) with_tests=no ;;
    --with-xvfb) packages="$packages xvfb xauth" ;;
    *) echo "usage: sh tools/setup.sh [--run-only] [--with-xvfb]" >&2; exit 2 ;;
  esac
done
[ "$with_tests" = yes ] && packages="$packages $test_packages"

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Qorvane needs these Debian packages:$missing" >&2
  echo "Run this script as root (or install them with sudo apt-get install)." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
echo "Installing the Debian packages Qorvane needs:$missing"
echo "Reading the package lists (apt-get update)..."
apt-get update -qq
# The server package must not try to start a service while installing.
policy=""
log=""
trap 'rm -f $policy $log' EXIT
if [ ! -e /usr/sbin/policy-rc.d ]; then
  printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d && chmod +x /usr/sbin/policy-rc.d
  policy=/usr/sbin/policy-rc.d
fi
# shellcheck disable=SC2086
total=$(apt-get install -s --no-install-recommends $missing 2>/dev/null | grep -c '^Inst ' || true)
echo "Downloading and installing $total packages with what they depend on; this takes one to three minutes."

# apt's own output goes to a log, shown only when it fails; meanwhile a line
# tells how far it got, so that the wait never looks like a hang.
log=$(mktemp)
# shellcheck disable=SC2086
apt-get install -y -q --no-install-recommends $missing >"$log" 2>&1 &
installer=$!
progress() {
  unpacked=$(grep -c '^Unpacking ' "$log" || true)
  configured=$(grep -c '^Setting up ' "$log" || true)
  if [ "$unpacked" -eq 0 ]; then
    echo "  downloading..."
  else
    echo "  $unpacked of $total unpacked, $configured of $total set up"
  fi
}
last=""
while kill -0 "$installer" 2>/dev/null; do
  sleep 3
  now=$(progress)
  if [ "$now" != "$last" ]; then
    echo "$now"
    last=$now
  fi
done
if ! wait "$installer"; then
  cat "$log" >&2
  echo "Installing the packages failed (apt-get's output above)." >&2
  exit 1
fi
echo "Installed: every package Qorvane needs is there."
