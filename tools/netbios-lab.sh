#!/usr/bin/env bash
# A lab LAN of network namespaces for NetBIOS tests that need real broadcast
# and real peers. Nothing touches the machine's own network namespace: the
# bridge lives in a namespace of its own, every host in another, joined by
# veth pairs created directly inside them.
#
#   netbios-lab.sh up ID HOSTS   build pl-ID-br (bridge br0) and hosts
#                                pl-ID-h1 .. pl-ID-hHOSTS, each with interface
#                                lan0 = 169.254.S.i/24 (S printed as "subnet")
#   netbios-lab.sh down ID       remove every namespace of ID
#   netbios-lab.sh subnet ID     print the third byte S used for ID
#
# ID must be unique per run (tests use their PID); needs root.
set -euo pipefail

usage() { echo "usage: $0 up ID HOSTS | down ID | subnet ID" >&2; exit 2; }

subnet() { echo $(( 100 + $(printf '%s' "$1" | cksum | cut -d' ' -f1) % 100 )); }

up() {
  local id=$1 hosts=$2 net br
  net=$(subnet "$id")
  br="pl-$id-br"
  ip netns add "$br"
  ip -n "$br" link set lo up
  ip -n "$br" link add br0 type bridge
  ip -n "$br" link set br0 up
  for i in $(seq 1 "$hosts"); do
    local host="pl-$id-h$i"
    ip netns add "$host"
    ip -n "$host" link set lo up
    ip -n "$br" link add "veth$i" type veth peer name lan0 netns "$host"
    ip -n "$br" link set "veth$i" master br0 up
    ip -n "$host" addr add "169.254.$net.$i/24" brd + dev lan0
    ip -n "$host" link set lan0 up
  done
  echo "subnet $net"
}

down() {
  local id=$1 ns
  for ns in $(ip netns list | awk '{print $1}' | grep -E "^pl-$id-(br|h[0-9]+)$" || true); do
    # Bounded: listing a namespace's processes can block while a process
    # inside it is being torn down.
    timeout 5 ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null || true
    ip netns del "$ns"
  done
}

[ $# -ge 2 ] || usage
case $1 in
  up) [ $# -eq 3 ] || usage; up "$2" "$3" ;;
  down) down "$2" ;;
  subnet) subnet "$2" ;;
  *) usage ;;
esac
