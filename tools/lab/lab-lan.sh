#!/usr/bin/env bash
# The lab LAN: network namespaces joined by a bridge, with link-local
# addresses 169.254.77.x/24 and real broadcast, for tests that need real
# peers. Nothing here touches the machine's own interfaces.
#
# Source this file, then:
#   lab_up PREFIX N       namespaces PREFIX-br (the bridge) and PREFIX-1 .. PREFIX-N,
#                         host i with interface lan0 at 169.254.77.i/24
#   lab_down PREFIX       removes every namespace of the lab (also after a failure)
#   lab_exec PREFIX I CMD runs CMD in host I
#   lab_address I         169.254.77.I
#   lab_require_root      exits 77 (skip) with the reason when the lab cannot be built
# Prefixes must be unique per run (for example "pl$$").

LAB_NET=169.254.77

lab_require_root()
{
    if [ "$(id -u)" -ne 0 ]; then
        echo "SKIP: the lab LAN needs root (network namespaces)" >&2
        exit 77
    fi
    if ! command -v ip >/dev/null || ! ip netns list >/dev/null 2>&1; then
        echo "SKIP: network namespaces are not available here" >&2
        exit 77
    fi
}

lab_address() { echo "$LAB_NET.$1"; }

lab_exec()
{
    local prefix=$1 host=$2
    shift 2
    ip netns exec "$prefix-$host" "$@"
}

lab_up()
{
    local prefix=$1 hosts=$2 i
    ip netns add "$prefix-br"
    ip -n "$prefix-br" link add br0 type bridge
    ip -n "$prefix-br" link set br0 up
    ip -n "$prefix-br" link set lo up
    for i in $(seq 1 "$hosts"); do
        ip netns add "$prefix-$i"
        ip -n "$prefix-$i" link set lo up
        ip -n "$prefix-$i" link add lan0 type veth peer name "p$i" netns "$prefix-br"
        ip -n "$prefix-br" link set "p$i" master br0 up
        ip -n "$prefix-$i" addr add "$(lab_address "$i")/24" brd "$LAB_NET.255" dev lan0
        ip -n "$prefix-$i" link set lan0 up
        ip netns exec "$prefix-$i" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 || true
    done
    # Wait until every link reports up (veth pairs come up asynchronously).
    for i in $(seq 1 "$hosts"); do
        for _ in $(seq 50); do
            ip -n "$prefix-$i" link show lan0 | grep -q 'state UP' && break
            sleep 0.1
        done
    done
}

lab_down()
{
    local prefix=$1 ns
    for ns in $(ip netns list | awk '{print $1}' | grep "^$prefix-"); do
        # Whatever still runs in the namespace goes with it.
        ip netns pids "$ns" 2>/dev/null | xargs -r kill -9 2>/dev/null || true
        ip netns del "$ns" 2>/dev/null || true
    done
}
