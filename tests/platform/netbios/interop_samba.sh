#!/usr/bin/env bash
# Interop of the NetBIOS provider with Samba's nmbd in a lab LAN of network
# namespaces (tools/netbios-lab.sh): both directions of name queries and node
# status, the defence of a name nmbd holds, a call to a name nobody holds, and
# tshark's verdict on every packet the provider sent.
# Usage: interop_samba.sh PARLINO_CLI NB_LAB_PEER. Exit 77 = skipped (reason printed).
set -uo pipefail
cli=$1
peer=$2
root=$(cd "$(dirname "$0")/../../.." && pwd)
lab=$root/tools/netbios-lab.sh

skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to build network namespaces"
for tool in ip nmbd nmblookup tshark; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (tools/bootstrap.sh installs it)"
done

id="nbi$$"
work=$(mktemp -d)
failures=0
cleanup() {
  # Our own daemons by their PIDs first (their helpers follow them), then
  # whatever else runs in the namespaces, so that no wait below blocks.
  kill ${nmbd_pid:-} ${smbd_pid:-} ${peer_pid:-} ${tshark_pid:-} 2>/dev/null
  sleep 1
  "$lab" down "$id"
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

check() {  # check DESCRIPTION COMMAND...: passes when the command succeeds
  local what=$1; shift
  if "$@"; then echo "ok   - $what"; else echo "FAIL - $what"; failures=$((failures + 1)); fi
}

net=$("$lab" up "$id" 2 | awk '/subnet/ {print $2}') || skip "cannot create network namespaces here"
mine=169.254.$net.1
samba=169.254.$net.2
h1="ip netns exec pl-$id-h1"
h2="ip netns exec pl-$id-h2"

# nmbd and smbd with a private configuration, bound to the lab interface only,
# each in a session of its own: on shutdown they signal their process group.
mkdir -p "$work/samba"/{lock,state,cache,pid,private,ncalrpc,binddns}
cat >"$work/smb.conf" <<CONF
[global]
  netbios name = SAMBAPEER
  workgroup = LABGROUP
  interfaces = lan0
  bind interfaces only = yes
  disable netbios = no
  name cache timeout = 0
  lock directory = $work/samba/lock
  state directory = $work/samba/state
  cache directory = $work/samba/cache
  pid directory = $work/samba/pid
  private dir = $work/samba/private
  ncalrpc dir = $work/samba/ncalrpc
  binddns dir = $work/samba/binddns
  log file = $work/samba/samba.log
CONF
$h1 tshark -q -i lan0 -w "$work/lan.pcap" -f "udp port 137 or udp port 138 or tcp port 139" 2>/dev/null &
tshark_pid=$!
for _ in $(seq 1 40); do [ -s "$work/lan.pcap" ] && break; sleep 0.25; done
$h2 setsid nmbd -F --no-process-group -s "$work/smb.conf" </dev/null >/dev/null 2>&1 &
nmbd_pid=$!
$h2 setsid smbd -F --no-process-group -s "$work/smb.conf" </dev/null >/dev/null 2>&1 &
smbd_pid=$!
for _ in $(seq 1 60); do
  $h1 nmblookup -s "$work/smb.conf" -U "$samba" SAMBAPEER 2>/dev/null | grep -q "$samba SAMBAPEER" && break
  sleep 0.5
done
# nmbd defends its names only once it has finished registering them (three
# broadcasts a second apart).
sleep 4

cat >"$work/netbt.conf" <<CONF
[netbt]
interfaces = lan0
netbios_name = PLHOST
workgroup = LABGROUP
oem_codepage = CP850
CONF
export PARLINO_NETBT_CONF=$work/netbt.conf

$h1 "$peer" add PLHOST 00 add PLHOST 03 add SAMBAPEER 00 call PLHOST NOBODY \
  call PLHOST SAMBAPEER hangup dgsend LABGROUP 1D hello hold 30 >"$work/peer.out" 2>&1 &
peer_pid=$!
for _ in $(seq 1 40); do grep -q "^dgsend" "$work/peer.out" && break; sleep 0.25; done
cat "$work/peer.out"

check "provider registered PLHOST<00> and <03>" grep -q "^add PLHOST<03> 0x00" "$work/peer.out"
check "adding SAMBAPEER<00>, held by nmbd, returns 0x0D" grep -q "^add SAMBAPEER<00> 0x0D" "$work/peer.out"
check "a call to a name nobody holds ends with 0x14 within 2000 ms" \
  awk '/^call NOBODY/ { exit !($3 == "0x14" && $4 + 0 < 2000) }' "$work/peer.out"
check "a call to smbd's SAMBAPEER<03> opens a session" grep -q "^call SAMBAPEER 0x00" "$work/peer.out"
check "hanging up that session succeeds" grep -q "^hangup 0x00" "$work/peer.out"
check "a datagram to LABGROUP<1D> is sent" grep -q "^dgsend LABGROUP<1D> 0x00" "$work/peer.out"

$h2 nmblookup -s "$work/smb.conf" -B "169.254.$net.255" 'PLHOST#03' >"$work/q3.out" 2>&1
$h2 nmblookup -s "$work/smb.conf" -B "169.254.$net.255" 'PLHOST#00' >"$work/q0.out" 2>&1
check "nmblookup resolves PLHOST<03>" grep -q "$mine PLHOST<03>" "$work/q3.out"
check "nmblookup resolves PLHOST<00>" grep -q "$mine PLHOST<00>" "$work/q0.out"
$h2 nmblookup -s "$work/smb.conf" -A "$mine" >"$work/status.out" 2>&1
cat "$work/status.out"
check "nmblookup -A lists PLHOST<03>" grep -Eq "PLHOST +<03> +- +[BMH] +<ACTIVE>" "$work/status.out"
check "nmblookup -A does not list SAMBAPEER" bash -c "! grep -q SAMBAPEER '$work/status.out'"

$h1 "$cli" nbtstat -a SAMBAPEER >"$work/nbtstat-a.out" 2>&1
cat "$work/nbtstat-a.out"
check "nbtstat -a SAMBAPEER reads nmbd's name table" grep -q "SAMBAPEER      <00>  UNIQUE      Registered" "$work/nbtstat-a.out"
$h1 "$cli" nbtstat -A "$samba" >"$work/nbtstat-A.out" 2>&1
check "nbtstat -A reads nmbd's name table" grep -q "LABGROUP       <00>  GROUP       Registered" "$work/nbtstat-A.out"

kill "$peer_pid" 2>/dev/null; wait "$peer_pid" 2>/dev/null; peer_pid=
sleep 1
kill "$tshark_pid" 2>/dev/null; wait "$tshark_pid" 2>/dev/null; tshark_pid=
sent=$(tshark -r "$work/lan.pcap" -Y "ip.src == $mine" 2>/dev/null | wc -l)
bad=$(tshark -r "$work/lan.pcap" -Y "ip.src == $mine && (_ws.malformed || _ws.expert.severity >= warning)" 2>/dev/null | wc -l)
echo "tshark: $sent packets from the provider, $bad with warnings"
check "tshark saw the provider's packets" test "$sent" -gt 0
dgm=$(tshark -r "$work/lan.pcap" -Y "ip.src == $mine && nbdgm" 2>/dev/null | wc -l)
nbss=$(tshark -r "$work/lan.pcap" -Y "ip.src == $mine && nbss" 2>/dev/null | wc -l)
echo "tshark: $dgm datagram and $nbss session service packets among them"
check "tshark saw datagram and session service packets" test "$dgm" -gt 0 -a "$nbss" -gt 0
check "tshark decodes every packet of the provider without warnings" test "$bad" -eq 0
[ "$bad" -eq 0 ] || tshark -r "$work/lan.pcap" -Y "ip.src == $mine && (_ws.malformed || _ws.expert.severity >= warning)" -V | head -60

exit $(( failures > 0 ))
