#!/usr/bin/env bash
# A lab LAN of network namespaces for NetBIOS tests that need real broadcast
# and real peers. Nothing touches the machine's own network namespace: the
# bridge lives in a namespace of its own, every host in another, joined by
# veth pairs created directly inside them.
#
#   netbios-lab.sh up ID HOSTS   build pl-ID-br (bridge br0) and hosts
#                                pl-ID-h1 .. pl-ID-hHOSTS, each with interface
#                                lan0 = 169.254.S.i/24 (S printed as "subnet")
#   netbios-lab.sh host ID I     add host pl-ID-hI with no interface but lo
#   netbios-lab.sh plug ID I [IF]    give host I the interface IF (default lan0)
#                                on the bridge, up, without an address
#   netbios-lab.sh unplug ID I [IF]  take the interface IF away from host I
#   netbios-lab.sh routed ID A B build two LANs joined by router pl-ID-rt:
#                                hosts h1..hA on pl-ID-br (169.254.S.i/24) and
#                                h(A+1)..h(A+B) on pl-ID-br2 (169.254.T.i/24);
#                                the router is .254 on both and every host's
#                                default gateway; prints "subnet S" and
#                                "subnet2 T". Routers pass no broadcast.
#   netbios-lab.sh down ID       remove every namespace of ID
#   netbios-lab.sh subnet ID     print the third byte S used for ID
#
# ID must be unique per run (tests use their PID); needs root.
set -euo pipefail

usage() {
  echo "usage: $0 up ID HOSTS | host ID I | plug ID I [IF] | unplug ID I [IF] | routed ID A B | down ID | subnet ID" >&2
  exit 2
}

subnet() { echo $(( 100 + $(printf '%s' "$1" | cksum | cut -d' ' -f1) % 100 )); }

# A bridge namespace with br0 up.
bridge() {
  ip netns add "$1"
  ip -n "$1" link set lo up
  ip -n "$1" link add br0 type bridge
  ip -n "$1" link set br0 up
}

# Host namespace HOST joined to bridge namespace BR through port PORT, as
# interface lan0 with ADDRESS/24 (and GATEWAY as its default route, if given).
attach() {
  local br=$1 port=$2 host=$3 address=$4 gateway=${5:-}
  ip netns add "$host"
  ip -n "$host" link set lo up
  ip -n "$br" link add "$port" type veth peer name lan0 netns "$host"
  ip -n "$br" link set "$port" master br0 up
  ip -n "$host" addr add "$address/24" brd + dev lan0
  ip -n "$host" link set lan0 up
  [ -z "$gateway" ] || ip -n "$host" route add default via "$gateway"
}

up() {
  local id=$1 hosts=$2 net
  net=$(subnet "$id")
  bridge "pl-$id-br"
  for i in $(seq 1 "$hosts"); do
    attach "pl-$id-br" "veth$i" "pl-$id-h$i" "169.254.$net.$i"
  done
  echo "subnet $net"
}

host() {
  ip netns add "pl-$1-h$2"
  ip -n "pl-$1-h$2" link set lo up
}

plug() {
  local id=$1 i=$2 name=${3:-lan0}
  ip -n "pl-$id-br" link add "v$i$name" type veth peer name "$name" netns "pl-$id-h$i"
  ip -n "pl-$id-br" link set "v$i$name" master br0 up
  ip -n "pl-$id-h$i" link set "$name" up
}

unplug() {
  ip -n "pl-$1-h$2" link del "${3:-lan0}"
}

routed() {
  local id=$1 a=$2 b=$3 net net2 router="pl-$1-rt"
  net=$(subnet "$id")
  net2=$(( net == 199 ? 100 : net + 1 ))
  bridge "pl-$id-br"
  bridge "pl-$id-br2"
  ip netns add "$router"
  ip -n "$router" link set lo up
  ip -n "pl-$id-br" link add rt type veth peer name lanA netns "$router"
  ip -n "pl-$id-br2" link add rt type veth peer name lanB netns "$router"
  ip -n "pl-$id-br" link set rt master br0 up
  ip -n "pl-$id-br2" link set rt master br0 up
  ip -n "$router" addr add "169.254.$net.254/24" brd + dev lanA
  ip -n "$router" addr add "169.254.$net2.254/24" brd + dev lanB
  ip -n "$router" link set lanA up
  ip -n "$router" link set lanB up
  ip netns exec "$router" sysctl -qw net.ipv4.ip_forward=1
  for i in $(seq 1 "$a"); do
    attach "pl-$id-br" "veth$i" "pl-$id-h$i" "169.254.$net.$i" "169.254.$net.254"
  done
  for i in $(seq $(( a + 1 )) $(( a + b ))); do
    attach "pl-$id-br2" "veth$i" "pl-$id-h$i" "169.254.$net2.$i" "169.254.$net2.254"
  done
  echo "subnet $net"
  echo "subnet2 $net2"
}

down() {
  local id=$1 ns
  for ns in $(ip netns list | awk '{print $1}' | grep -E "^pl-$id-(br|br2|rt|h[0-9]+)$" || true); do
    # Bounded: listing a namespace's processes can block while a process
    # inside it is being torn down.
    timeout 5 ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null || true
    ip netns del "$ns"
  done
}

[ $# -ge 2 ] || usage
case $1 in
  up) [ $# -eq 3 ] || usage; up "$2" "$3" ;;
  host) [ $# -eq 3 ] || usage; host "$2" "$3" ;;
  plug) [ $# -ge 3 ] || usage; plug "$2" "$3" "${4:-lan0}" ;;
  unplug) [ $# -ge 3 ] || usage; unplug "$2" "$3" "${4:-lan0}" ;;
  routed) [ $# -eq 4 ] || usage; routed "$2" "$3" "$4" ;;
  down) down "$2" ;;
  subnet) subnet "$2" ;;
  *) usage ;;
esac
