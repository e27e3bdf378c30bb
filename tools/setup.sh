#!/bin/sh
# Installs what building, testing and running Qorvane needs on Debian 12.
# Does nothing (and needs no network) when everything is already there.
set -eu

# Clang's sanitizer libraries are only recommended by its package.
packages="g++ clang libclang-rt-14-dev cmake ninja-build pkg-config git ca-certificates
qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core
firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils firebird3.0-server
firebird3.0-examples libgtest-dev libgmock-dev"
# The virtual display server, for a machine without a screen.
[ "${1:-}" = "--with-xvfb" ] && packages="$packages xvfb xauth"

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
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# The server package must not try to start a service while installing.
if [ ! -e /usr/sbin/policy-rc.d ]; then
  printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d && chmod +x /usr/sbin/policy-rc.d
  trap 'rm -f /usr/sbin/policy-rc.d' EXIT
fi
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
