#!/usr/bin/env bash
# parlino-cli listen follows its interfaces in a namespace LAN: started while
# its interface lan0 does not exist, it receives a message from another host
# within 10 s of lan0 getting an address; the name disappears from nmblookup
# when the address goes; messages arrive again at another address; with a
# second interface that comes and goes 20 times, messages through lan0 keep
# arriving and the process ends with the descriptors and threads it had.
# Prints the time from an address appearing to the first message received,
# over 20 cycles (median and max). Needs root; exits 77 (skipped) without it.
# Everything it creates is removed on exit.
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
lab=$here/../../tools/netbios-lab.sh
probe=$here/nbns_probe.py
cycles=${PL_INTERFACE_CYCLES:-20}
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to build network namespaces"
for tool in ip nmblookup python3 ss; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

id="if$$"
work=$(mktemp -d)
chmod 755 "$work"
listener=""
cleanup()
{
    set +e
    [ -n "$listener" ] && kill "$listener" 2>/dev/null && wait "$listener" 2>/dev/null
    "$lab" down "$id"
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "interfaces: $*"; }

net=$("$lab" up "$id" 1 | awk '/subnet/ {print $2}') || skip "cannot create network namespaces here"
net2=$(( net - 50 ))  # a second subnet on the same bridge, for lan1
h1=pl-$id-h1 h2=pl-$id-h2
"$lab" host "$id" 2
ip -n "$h1" addr add "169.254.$net2.1/24" brd + dev lan0

conf() # NAME INTERFACES
{
    printf '[netbt]\ninterfaces = %s\nnetbios_name = %s\nworkgroup = LABGROUP\noem_codepage = CP850\n' "$2" "$1" \
        >"$work/$1.conf"
    echo "$work/$1.conf"
}
sender_conf=$(conf SENDER lan0)
listener_conf=$(conf LISTENER "lan0, lan1")

# Started without a shell function in between, so that $! is listen itself.
ip netns exec "$h2" env PARLINO_NETBT_CONF="$listener_conf" PARLINO_USERNAME=bob "$cli" listen --json \
    >"$work/received.json" 2>"$work/listen.err" &
listener=$!
sleep 1
kill -0 "$listener" 2>/dev/null || fail "listen ended without its interface: $(cat "$work/listen.err")"
grep -q "no network interface for NetBIOS is up yet" "$work/listen.err" ||
    fail "listen did not say that it waits: $(cat "$work/listen.err")"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
received() { grep -c "\"text\":\"$1\"" "$work/received.json" || true; }
# Sends TEXT from host 1 until a send succeeds (at most LIMIT s); then the
# message must have been printed once.
send_until_received() # TEXT LIMIT
{
    local text=$1 limit=$2 start
    start=$(now_ms)
    until ip netns exec "$h1" env PARLINO_NETBT_CONF="$sender_conf" PARLINO_USERNAME=alice \
        "$cli" send BOB "$text" >/dev/null 2>&1; do
        (( $(now_ms) - start < limit * 1000 )) || return 1
    done
    for _ in $(seq 50); do [ "$(received "$text")" = 1 ] && return 0; sleep 0.1; done
    return 1
}
# The name BOB<03> answers at ADDRESS on subnet NET within LIMIT s.
answers_at() { ip netns exec "$h1" python3 "$probe" "169.254.$1.1" "169.254.$1.255" BOB 03 --until "$2" "$3"; }
gone() { ip netns exec "$h1" python3 "$probe" "169.254.$1.1" "169.254.$1.255" BOB 03 --gone "$2" >/dev/null; }
# Gives lan0 ADDRESS and returns the milliseconds until a message sent then
# arrived (in $took).
address_to_message() # ADDRESS TEXT
{
    local start
    start=$(now_ms)
    ip -n "$h2" addr add "$1/24" brd + dev lan0
    answers_at "$net" "$1" 10 >/dev/null || fail "BOB<03> did not answer at $1 within 10 s"
    send_until_received "$2" 10 || fail "\"$2\" did not arrive"
    took=$(( $(now_ms) - start ))
}

note "lan0 appears and gets an address"
"$lab" plug "$id" 2 lan0
address_to_message "169.254.$net.2" "first"
(( took <= 10000 )) || fail "the first message took $took ms"
note "  first message $took ms after the address appeared"

note "the address goes: the name disappears"
ip -n "$h2" addr del "169.254.$net.2/24" dev lan0
gone "$net" 10 || fail "BOB<03> still answers"
ip netns exec "$h1" nmblookup -B "169.254.$net.255" 'BOB#03' >"$work/nmblookup" 2>&1 || true
grep -q "BOB<03>" "$work/nmblookup" && fail "nmblookup still finds BOB: $(cat "$work/nmblookup")"
ip netns exec "$h2" ss -lnu | grep -q "169.254.$net.2:137" && fail "a socket of the old address is left"

note "another address on the same interface"
address_to_message "169.254.$net.12" "second"
note "  message $took ms after the new address appeared"

note "$cycles cycles: the address goes and comes back"
times=()
for cycle in $(seq "$cycles"); do
    old=$(( cycle % 2 == 1 ? 12 : 2 ))
    new=$(( cycle % 2 == 1 ? 2 : 12 ))
    ip -n "$h2" addr del "169.254.$net.$old/24" dev lan0
    gone "$net" 10 || fail "cycle $cycle: BOB<03> still answers"
    address_to_message "169.254.$net.$new" "cycle $cycle"
    times+=("$took")
done
read -r median max < <(printf '%s\n' "${times[@]}" | sort -n |
    awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print m, v[NR] }')
note "  address to first message over $cycles cycles: median $median ms, max $max ms"
(( max <= 10000 )) || fail "a message took $max ms"

counts() { echo "$(ls "/proc/$listener/fd" | wc -l) $(ls "/proc/$listener/task" | wc -l)"; }
settle() { sleep 7; }  # the adapter refresh (5 s) and the registrations after it
settle
read -r fds_before tasks_before < <(counts)
last=$(( cycles % 2 == 1 ? 2 : 12 ))
note "$cycles cycles: lan1 comes and goes; messages through lan0 keep arriving"
for cycle in $(seq "$cycles"); do
    "$lab" plug "$id" 2 lan1
    ip -n "$h2" addr add "169.254.$net2.2/24" brd + dev lan1
    answers_at "$net2" "169.254.$net2.2" 15 >/dev/null || fail "cycle $cycle: no name on lan1"
    "$lab" unplug "$id" 2 lan1
    answers_at "$net" "169.254.$net.$last" 10 >/dev/null || fail "cycle $cycle: no name on lan0"
    send_until_received "lan0 $cycle" 10 || fail "cycle $cycle: the message through lan0 did not arrive"
done
settle
read -r fds_after tasks_after < <(counts)
note "  descriptors $fds_before before, $fds_after after; threads $tasks_before before, $tasks_after after"
[ "$fds_after" = "$fds_before" ] || fail "descriptors leak: $fds_before -> $fds_after"
[ "$tasks_after" = "$tasks_before" ] || fail "threads leak: $tasks_before -> $tasks_after"
echo "interfaces lab: all checks passed"
