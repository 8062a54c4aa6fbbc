#!/usr/bin/env bash
# Contact polling on a LAN of network namespaces that this script builds and
# removes: a bridge and three hosts on 169.254.88.0/24. Host A polls its
# contacts with parlino-cli; host B runs parlino-cli listen; host S runs a
# Samba peer (nmbd and smbd with a private configuration). A contact on B is
# available while B listens and unavailable after it stopped; the Samba peer
# is available; a name nobody holds is not. Needs root (exit 77 otherwise).
set -euo pipefail
cli=$1
skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "network namespaces need root"
command -v ip >/dev/null || skip "ip (iproute2) is missing"
have_samba=1
command -v nmbd >/dev/null && command -v smbd >/dev/null || have_samba=0

tag="plc$$"
br="$tag-br"; nsa="$tag-a"; nsb="$tag-b"; nss="$tag-s"
work=$(mktemp -d)
pids=()
cleanup() {
  local status=$?
  set +e
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  for ns in "$nsa" "$nsb" "$nss" "$br"; do ip netns del "$ns" 2>/dev/null || true; done
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/log.nmbd" ] && tail -5 "$work/log.nmbd" >&2; exit 1; }

ip netns add "$br" || skip "cannot create network namespaces here"
# The Samba daemons make sessions of their own; they are stopped by their ids.
ip -n "$br" link add br0 type bridge
ip -n "$br" link set br0 up
n=1
for ns in "$nss" "$nsa" "$nsb"; do
  ip netns add "$ns"
  ip link add "v$tag$n" type veth peer name lan0 netns "$ns"
  ip link set "v$tag$n" netns "$br"
  ip -n "$br" link set "v$tag$n" master br0 up
  ip -n "$ns" addr add "169.254.88.$n/24" broadcast 169.254.88.255 dev lan0
  ip -n "$ns" link set lan0 up
  ip -n "$ns" link set lo up
  n=$((n + 1))
done

for host in A B; do
  cat >"$work/host$host.conf" <<CONF
[netbt]
interfaces = lan0
netbios_name = HOST$host
workgroup = LABGRP
oem_codepage = CP850
CONF
done

if [ "$have_samba" -eq 1 ]; then
  mkdir -p "$work"/{lock,state,cache,private,pid,ncalrpc,binddns}
  cat >"$work/smb.conf" <<CONF
[global]
  workgroup = LABGRP
  netbios name = SAMBAPEER
  server role = standalone server
  interfaces = lan0
  bind interfaces only = yes
  disable netbios = no
  server min protocol = NT1
  smb ports = 139
  lock directory = $work/lock
  state directory = $work/state
  cache directory = $work/cache
  private dir = $work/private
  pid directory = $work/pid
  ncalrpc dir = $work/ncalrpc
  binddns dir = $work/binddns
  log file = $work/log.%m
  load printers = no
  printcap name = /dev/null
  disable spoolss = yes
CONF
  ip netns exec "$nss" nmbd -F -s "$work/smb.conf" >"$work/nmbd.out" 2>&1 &
  pids+=($!)
  ip netns exec "$nss" smbd -F -s "$work/smb.conf" >"$work/smbd.out" 2>&1 &
  pids+=($!)
fi

printf '1;HOSTB;Host B;Lab;1\r\n1;SAMBAPEER;Samba;Lab;1\r\n1;NOBODY;Nobody;Lab;1\r\n' >"$work/contacts.txt"
onA() { PARLINO_NETBT_CONF="$work/hostA.conf" PARLINO_USERNAME=alice ip netns exec "$nsa" "$cli" "$@"; }

PARLINO_NETBT_CONF="$work/hostB.conf" PARLINO_USERNAME=bob \
  ip netns exec "$nsb" "$cli" listen >"$work/listen.out" 2>&1 &
listener=$!
pids+=($listener)

# Names take a few seconds to register (and nmbd to start); poll until both answer.
polled=""
for _ in $(seq 20); do
  polled=$(onA contacts "$work/contacts.txt" --poll) || fail "contacts --poll: $polled"
  grep -q "Host B  <HOSTB>  user or computer  available" <<<"$polled" || { sleep 1; continue; }
  [ "$have_samba" -eq 0 ] && break
  grep -q "Samba  <SAMBAPEER>  user or computer  available" <<<"$polled" && break
  sleep 1
done
echo "$polled"
grep -q "Host B  <HOSTB>  user or computer  available" <<<"$polled" || fail "HOSTB not available"
grep -q "Nobody  <NOBODY>  user or computer  not available" <<<"$polled" || fail "NOBODY available"
if [ "$have_samba" -eq 1 ]; then
  grep -q "Samba  <SAMBAPEER>  user or computer  available" <<<"$polled" || fail "the Samba peer not available"
else
  echo "NOTE: Samba is not installed; the Samba peer case was not run"
fi

kill -TERM "$listener"
wait "$listener" || fail "listen exited with status $?"
kept=()
for pid in "${pids[@]}"; do [ "$pid" = "$listener" ] || kept+=("$pid"); done
pids=("${kept[@]}")
polled=$(onA contacts "$work/contacts.txt" --poll) || fail "contacts --poll after stop"
echo "$polled"
grep -q "Host B  <HOSTB>  user or computer  not available" <<<"$polled" || fail "HOSTB still available"
echo "contacts interop: all checks passed"
