#!/bin/sh
# Starts the Firebird 3 server on 127.0.0.1:3050 when it is not running yet.
set -eu
listening() { bash -c 'exec 3<>/dev/tcp/127.0.0.1/3050' 2>/dev/null; }
listening && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Firebird server not running, and only root can start it here; server tests will skip." >&2
  exit 0
fi
# Bind to the loopback address itself: a minimal system may not resolve "localhost".
conf=/etc/firebird/3.0/firebird.conf
if ! grep -q '^RemoteBindAddress = 127.0.0.1$' "$conf"; then
  previous=$(grep '^RemoteBindAddress' "$conf" || true)
  if [ -n "$previous" ]; then
    echo "Changing $conf: replacing \"$previous\" with \"RemoteBindAddress = 127.0.0.1\" (the server listens on the loopback address only)."
  else
    echo "Changing $conf: adding \"RemoteBindAddress = 127.0.0.1\" (the server listens on the loopback address only)."
  fi
  sed -i '/^RemoteBindAddress/d' "$conf"
  echo 'RemoteBindAddress = 127.0.0.1' >> "$conf"
fi
mkdir -p /run/firebird3.0
chown firebird:firebird /run/firebird3.0
su -s /bin/sh firebird -c '/usr/sbin/fbguard -daemon -forever'
i=0
while [ $i -lt 50 ]; do
  if listening; then
    echo "Firebird server listening on 127.0.0.1:3050"
    exit 0
  fi
  sleep 0.2; i=$((i + 1))
done
echo "Firebird server did not start; server tests will skip." >&2
exit 0
