#!/usr/bin/env bash
# Contact polling on a lab LAN of network namespaces (tools/netbios-lab.sh):
# host 1 runs a Samba peer, host 2 polls its contacts with parlino-cli, host 3
# runs parlino-cli listen. A contact on host 3 is available while it listens
# and unavailable after it stopped; the Samba peer is available; a name nobody
# holds is not; Samba's workgroup is available once the LAN browser lists it,
# a workgroup nobody announces is not. Exit 77 (skipped) without root.
set -euo pipefail
cli=$1
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
lab=$tools/netbios-lab.sh
source "$tools/samba-peer.sh"
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to build network namespaces"
for tool in ip nmbd smbd nmblookup; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (tools/bootstrap.sh installs it)"
done

id="ctc$$"
work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  set +e
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  samba_stop "$work/samba"
  sleep 0.5
  "$lab" down "$id"
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

net=$("$lab" up "$id" 3 | awk '/subnet/ {print $2}') || skip "cannot create network namespaces here"
h1=pl-$id-h1 h2=pl-$id-h2 h3=pl-$id-h3
# Our hosts are in a workgroup of their own, so that only Samba's
# announcements can list LABGROUP.
for host in 2:HOSTA 3:HOSTB; do
  cat >"$work/host${host%%:*}.conf" <<CONF
[netbt]
interfaces = lan0
netbios_name = ${host##*:}
workgroup = OURGROUP
oem_codepage = CP850
CONF
done
printf '1;HOSTB;Host B;Lab;1\r\n1;SAMBAPEER;Samba;Lab;1\r\n1;NOBODY;Nobody;Lab;1\r\n2;LABGROUP;Samba group;Groups;1\r\n2;NOSUCHGROUP;Nobody'"'"'s group;Groups;1\r\n' \
  >"$work/contacts.txt"
onA() { PARLINO_NETBT_CONF="$work/host2.conf" PARLINO_USERNAME=alice ip netns exec "$h2" "$cli" "$@"; }

# The browsing poll listens from before nmbd's first browser announcements.
onA contacts "$work/contacts.txt" --poll --browse 40 >"$work/browsed" 2>&1 &
browsing=$!
pids+=("$browsing")
samba_start "$h1" "$work/samba" "169.254.$net.255"

PARLINO_NETBT_CONF="$work/host3.conf" PARLINO_USERNAME=bob ip netns exec "$h3" "$cli" listen >"$work/listen.out" 2>&1 &
listener=$!
pids+=("$listener")

# Names take a moment to register; poll until both answer.
polled=""
for _ in $(seq 20); do
  polled=$(onA contacts "$work/contacts.txt" --poll) || fail "contacts --poll: $polled"
  grep -q "Host B  <HOSTB>  user or computer  available" <<<"$polled" &&
    grep -q "Samba  <SAMBAPEER>  user or computer  available" <<<"$polled" && break
  sleep 1
done
echo "$polled"
grep -q "Host B  <HOSTB>  user or computer  available" <<<"$polled" || fail "HOSTB not available"
grep -q "Samba  <SAMBAPEER>  user or computer  available" <<<"$polled" || fail "the Samba peer not available"
grep -q "Nobody  <NOBODY>  user or computer  not available" <<<"$polled" || fail "NOBODY available"
grep -q "Samba group  <LABGROUP>  domain or workgroup$" <<<"$polled" || fail "a workgroup was polled without the browser"

kill -TERM "$listener"
wait "$listener" || fail "listen exited with status $?"
polled=$(onA contacts "$work/contacts.txt" --poll) || fail "contacts --poll after stop"
echo "$polled"
grep -q "Host B  <HOSTB>  user or computer  not available" <<<"$polled" || fail "HOSTB still available"

wait "$browsing" || fail "contacts --poll --browse exited with status $?: $(cat "$work/browsed")"
cat "$work/browsed"
grep -q "Samba group  <LABGROUP>  domain or workgroup  available" "$work/browsed" ||
  fail "LABGROUP not available from the LAN browser"
grep -q "Nobody's group  <NOSUCHGROUP>  domain or workgroup  not available" "$work/browsed" ||
  fail "NOSUCHGROUP available"
echo "contacts interop: all checks passed"
