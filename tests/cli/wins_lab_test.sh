#!/usr/bin/env bash
# Messages across two LANs joined by a router, found through WINS alone: Samba
# (nmbd as WINS server, smbd) on LAN A, parlino-cli on LAN B with the WINS
# server configured. smbclient -M reaches `parlino-cli listen` and
# `parlino-cli send` reaches smbd by names the server resolves; no broadcast
# crosses the router; our names are refreshed before the server's 30 s
# expire; after an address change the server resolves the new address and
# messages arrive again. Needs root; exits 77 (skipped) without it.
# Everything it creates is removed on exit.
set -euo pipefail
cli=$(realpath "$1")
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
lab=$tools/netbios-lab.sh
source "$tools/samba-peer.sh"
source "$tools/lab-capture.sh"
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to build network namespaces"
for tool in ip nmbd smbd smbclient nmblookup tshark; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (tools/bootstrap.sh installs it)"
done

id="wins$$"
work=$(mktemp -d)
chmod 755 "$work"
listener=""
cleanup()
{
    set +e
    [ -n "$listener" ] && kill "$listener" 2>/dev/null && wait "$listener" 2>/dev/null
    capture_stop
    samba_stop "$work/samba"
    sleep 0.5
    "$lab" down "$id"
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "wins: $*"; }

nets=$("$lab" routed "$id" 1 1) || skip "cannot create network namespaces here"
a=$(awk '/^subnet / {print $2}' <<<"$nets")
b=$(awk '/^subnet2 / {print $2}' <<<"$nets")
h1=pl-$id-h1 h2=pl-$id-h2
wins=169.254.$a.1
ours=169.254.$b.2

capture_start "pl-$id-br2" br0 udp "$work/lanb.pcap" || fail "no capture"
samba_start_wins "$h1" "$work/samba" "169.254.$a.255" "$wins" || fail "Samba did not start as WINS server"
client_conf=$(samba_client_conf "$work/samba")

cat >"$work/ours.conf" <<CONF
[netbt]
interfaces = lan0
netbios_name = OURHOST
workgroup = LABGROUP
wins_server = $wins
oem_codepage = CP850
CONF
ip netns exec "$h2" env PARLINO_NETBT_CONF="$work/ours.conf" PARLINO_USERNAME=bob "$cli" listen --json \
    >"$work/received.json" 2>"$work/listen.err" &
listener=$!

# What the WINS server answers for NAME<03>.
resolved() { ip netns exec "$h1" nmblookup -s "$client_conf" --recursion -U "$wins" "$1#03" 2>/dev/null || true; }
wait_resolved() # NAME ADDRESS LIMIT
{
    local _
    for _ in $(seq $(( $3 * 5 ))); do
        resolved "$1" | grep -q "^$2 $1<03>" && return 0
        sleep 0.2
    done
    return 1
}
smbclient_to() # NAME TEXT
{
    printf '%s' "$2" | ip netns exec "$h1" smbclient -s "$client_conf" -M "$1" -N -U tester >"$work/smbclient.out" 2>&1 ||
        fail "smbclient -M $1: $(cat "$work/smbclient.out")"
}
arrived() # TEXT
{
    local _
    for _ in $(seq 50); do grep -q "\"text\":\"$1" "$work/received.json" && return 0; sleep 0.1; done
    return 1
}

registered=$(date +%s)
wait_resolved BOB "$ours" 10 || fail "the WINS server does not know BOB: $(resolved BOB)"
note "the WINS server resolves BOB to $ours"
ip netns exec "$h1" nmblookup -s "$client_conf" -B "169.254.$b.255" 'BOB#03' >"$work/bcast" 2>&1 || true
grep -q "BOB<03>" "$work/bcast" && fail "a broadcast crossed the router: $(cat "$work/bcast")"

smbclient_to BOB "across the router"
arrived "across the router" || fail "smbclient's message did not arrive: $(cat "$work/received.json")"
note "smbclient -M on LAN A reached parlino-cli listen on LAN B"
ip netns exec "$h2" env PARLINO_NETBT_CONF="$work/ours.conf" PARLINO_USERNAME=bob "$cli" send SAMBAPEER "back across" ||
    fail "parlino-cli send SAMBAPEER"
for _ in $(seq 50); do grep -q "back across" "$work/samba/messages.txt" && break; sleep 0.1; done
grep -q "back across" "$work/samba/messages.txt" || fail "smbd did not receive: $(cat "$work/samba/messages.txt")"
note "parlino-cli send on LAN B reached smbd on LAN A"

# The server grants 30 s: the names are refreshed after 15 s and stay.
left=$(( registered + 35 - $(date +%s) ))
if (( left > 0 )); then sleep "$left"; fi
wait_resolved BOB "$ours" 2 || fail "BOB expired on the server: $(resolved BOB)"

note "LAN B's host moves to another address"
ip -n "$h2" addr del "$ours/24" dev lan0
moved=169.254.$b.12
start=$(date +%s%N)
ip -n "$h2" addr add "$moved/24" brd + dev lan0
ip -n "$h2" route add default via "169.254.$b.254"
wait_resolved BOB "$moved" 10 || fail "the server still resolves BOB to $(resolved BOB)"
note "  the server resolves the new address $(( ($(date +%s%N) - start) / 1000000 )) ms after it appeared"
smbclient_to BOB "after the move"
arrived "after the move" || fail "no message after the move"

capture_stop
refreshes=$(tshark -r "$work/lanb.pcap" -Y "nbns.flags.opcode == 8 && ip.src == $ours && ip.dst == $wins" 2>/dev/null |
    wc -l)
(( refreshes >= 1 )) || fail "no name refresh went to the server"
crossed=$(tshark -r "$work/lanb.pcap" -Y "ip.src == 169.254.$a.0/24 && (ip.dst == 169.254.$b.255 || ip.dst == 255.255.255.255)" \
    2>/dev/null | wc -l)
[ "$crossed" = 0 ] || fail "$crossed broadcasts from LAN A reached LAN B"
note "$refreshes refreshes seen on LAN B, no broadcast from LAN A"
echo "wins lab: all checks passed"
