#!/usr/bin/env bash
# Broadcasts and browsing on a namespace LAN of three hosts: host 1 runs
# Samba's nmbd (SAMBAPEER in LABGROUP), hosts 2 and 3 run parlino-cli. Checks
# that a workgroup broadcast reaches every listen and a computer broadcast
# only that computer, that tshark decodes our datagrams as mailslot writes to
# \MAILSLOT\MESSNGR and our announcements as browser frames without
# malformed packets, that our browser lists SAMBAPEER and LABGROUP, and that
# nmblookup from the Samba host finds our host. Needs root; exits 77 (skipped)
# without it. Everything it creates is removed on exit.
set -euo pipefail
cli=$(realpath "$1")
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to create network namespaces"
for tool in ip nmbd nmblookup tshark python3; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done

run=pb$$
ns_br=${run}br; ns1=${run}h1; ns2=${run}h2; ns3=${run}h3
work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  [ -f "$work/samba/nmbd.pid" ] && kill "$(cat "$work/samba/nmbd.pid")" 2>/dev/null || true
  for ns in "$ns1" "$ns2" "$ns3" "$ns_br"; do ip netns del "$ns" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

ip netns add "$ns_br" || skip "cannot create network namespaces here"
ip -n "$ns_br" link add br0 type bridge
ip -n "$ns_br" link set br0 up
for i in 1 2 3; do
  ns=${run}h$i
  ip netns add "$ns"
  ip -n "$ns_br" link add "p$i" type veth peer name lan0 netns "$ns"
  ip -n "$ns_br" link set "p$i" master br0 up
  ip -n "$ns" addr add "169.254.77.$i/24" brd 169.254.77.255 dev lan0
  ip -n "$ns" link set lan0 up
  ip -n "$ns" link set lo up
done
ip netns exec "$ns_br" tshark -q -i br0 -w "$work/lan.pcap" -f "udp" 2>/dev/null &
pids+=($!)

mkdir -p "$work/samba"
cat >"$work/samba/smb.conf" <<CONF
[global]
  netbios name = SAMBAPEER
  workgroup = LABGROUP
  server string = lab samba peer
  interfaces = lan0
  bind interfaces only = yes
  disable netbios = no
  local master = yes
  preferred master = yes
  os level = 65
  name cache timeout = 0
  lock directory = $work/samba
  state directory = $work/samba
  cache directory = $work/samba
  pid directory = $work/samba
  private dir = $work/samba
  ncalrpc dir = $work/samba/ncalrpc
  binddns dir = $work/samba/binddns
  log file = $work/samba/log.%m
CONF
for host in 2:B 3:C; do
  IFS=: read -r i name <<<"$host"
  cat >"$work/host$name.conf" <<CONF
[netbt]
interfaces = lan0
netbios_name = HOST$name
workgroup = LABGROUP
oem_codepage = CP850
CONF
done
on() { local i=$1 name=$2; shift 2; ip netns exec "${run}h$i" env PARLINO_NETBT_CONF="$work/host$name.conf" PARLINO_USERNAME="user$name" "$cli" "$@"; }
# Started without a function, so that $! is the process of parlino-cli itself
# (ip netns exec and env replace themselves with it).
background() {
  local i=$1 name=$2 out=$3; shift 3
  ip netns exec "${run}h$i" env PARLINO_NETBT_CONF="$work/host$name.conf" PARLINO_USERNAME="user$name" \
    "$cli" "$@" >"$out" 2>"$out.err" &
  pids+=($!)
}

sleep 1  # tshark starts capturing
# Our browser on host 2 listens before the others start, so it hears their
# first announcements; nmbd becomes local master after about 20 s and then
# sends its domain announcement.
background 2 B "$work/browse" browse --wait 40
browser=$!
sleep 1
ip netns exec "$ns1" nmbd -D -s "$work/samba/smb.conf" || fail "nmbd did not start"
background 3 C "$work/outC" listen --json
wait "$browser" || fail "browse exited with status $?"
grep -q "^LABGROUP  (workgroup or domain)" "$work/browse" || fail "no LABGROUP in: $(cat "$work/browse")"
grep -q "^    SAMBAPEER" "$work/browse" || fail "no SAMBAPEER in: $(cat "$work/browse")"
grep -q "^    HOSTC" "$work/browse" || fail "no HOSTC in: $(cat "$work/browse")"

background 2 B "$work/outB" listen --json
sleep 3  # both listens hold their names
on 2 B send --broadcast LABGROUP "to the workgroup" || fail "workgroup broadcast"
on 2 B send --broadcast HOSTC "only C" || fail "computer broadcast"
on 3 C send --broadcast '*' "star from C" || fail "broadcast to *"
ip netns exec "$ns1" nmblookup -s "$work/samba/smb.conf" -B 169.254.77.255 HOSTC >"$work/nmblookup" 2>&1 || true
grep -q "169.254.77.3 HOSTC<00>" "$work/nmblookup" || fail "nmblookup did not find HOSTC: $(cat "$work/nmblookup")"
sleep 1

python3 - "$work" <<'PY'
import json, os, sys
work = sys.argv[1]
def broadcasts(host):
    lines = open(os.path.join(work, "out" + host), encoding="utf-8").read().splitlines()
    return [(r["from"], r["to"], r["text"]) for r in map(json.loads, lines) if r["kind"] == 2]
b, c = broadcasts("B"), broadcasts("C")
assert ("USERB", "LABGROUP", "to the workgroup") in c, c
assert ("USERB", "HOSTC", "only C") in c, c
assert ("USERC", "*", "star from C") in b and ("USERC", "*", "star from C") in c, (b, c)
assert not any(text == "only C" for _, _, text in b), b
PY

for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
pids=()
tshark -r "$work/lan.pcap" -Y '_ws.malformed || _ws.expert.severity >= warning' 2>/dev/null >"$work/bad" || true
[ ! -s "$work/bad" ] || fail "tshark warnings: $(head -5 "$work/bad")"
ours='ip.src == 169.254.77.2 || ip.src == 169.254.77.3'
messngr=$(tshark -r "$work/lan.pcap" -Y "($ours) && mailslot.name == \"\\\\MAILSLOT\\\\MESSNGR\"" 2>/dev/null | wc -l)
announcements=$(tshark -r "$work/lan.pcap" -Y "($ours) && browser.command == 0x01" 2>/dev/null | wc -l)
[ "$messngr" -ge 3 ] || fail "tshark found $messngr MESSNGR mailslot writes of ours"
[ "$announcements" -ge 2 ] || fail "tshark found $announcements host announcements of ours"
echo "broadcast lab: $messngr MESSNGR writes and $announcements announcements decoded; all checks passed"
