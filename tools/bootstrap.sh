#!/usr/bin/env bash
# Installs, with apt-get, every Debian package listed in tools/debian-packages.txt
# that is missing. Installs nothing when everything is present. Package scripts
# are kept from starting services: Samba must never run in the machine's own
# network namespace (tests start their own peers inside a lab LAN).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$here/debian-packages.txt" | grep -v '^$')
missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

policy=/usr/sbin/policy-rc.d
created_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
  $sudo chmod 755 "$policy"
  created_policy=1
fi
cleanup() { [ "$created_policy" -eq 1 ] && $sudo rm -f "$policy"; true; }
trap cleanup EXIT

export DEBIAN_FRONTEND=noninteractive
echo "wireshark-common wireshark-common/install-setuid boolean false" | $sudo debconf-set-selections
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

# Whatever a package script may have started anyway is stopped: the daemons
# run only inside the lab LAN, under the tests' own configuration.
for daemon in smbd nmbd samba winbindd; do
  if pgrep -x "$daemon" >/dev/null 2>&1 && [ "$(ip netns identify $$ 2>/dev/null)" = "" ]; then
    $sudo pkill -x "$daemon" || true
  fi
done
