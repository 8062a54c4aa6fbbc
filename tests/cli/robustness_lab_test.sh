#!/usr/bin/env bash
# Hostile and busy peers against parlino-cli listen in a lab LAN of network
# namespaces: two silent sessions and a message started and never finished
# do not keep a normal message out; 50 senders at once are all delivered
# exactly once; a flood of 1,000 connections leaves memory and descriptors
# where they were. Prints the figures. Skips (status 77) without root.
set -euo pipefail
cli=$1
here=$(cd "$(dirname "$0")" && pwd)
tools=$(cd "$here/../../tools" && pwd)
lab=$tools/netbios-lab.sh
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to build network namespaces"
command -v python3 >/dev/null || skip "python3 is not installed"

id="rb$$"
work=$(mktemp -d)
listener=""
cleanup()
{
    set +e
    [ -n "$listener" ] && kill "$listener" 2>/dev/null
    jobs -p | xargs -r kill 2>/dev/null
    sleep 0.3
    "$lab" down "$id"
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; cat "$work/listen.err" >&2 2>/dev/null; exit 1; }
note() { echo "robustness: $*"; }

net=$("$lab" up "$id" 3 | awk '/subnet/ {print $2}') || skip "cannot create network namespaces here"
h1=pl-$id-h1 h2=pl-$id-h2 h3=pl-$id-h3
listen_address=169.254.$net.1
for host in RECEIVER SENDER HOSTILE; do
    cat >"$work/$host.conf" <<CONF
[netbt]
interfaces = lan0
netbios_name = $host
workgroup = LABGROUP
CONF
done

ip netns exec "$h1" env PARLINO_NETBT_CONF="$work/RECEIVER.conf" PARLINO_USERNAME=rita "$cli" listen --json \
    >"$work/received.json" 2>"$work/listen.err" &
listener=$!
send() # NAMESPACE TEXT
{
    ip netns exec "$1" env PARLINO_NETBT_CONF="$work/SENDER.conf" PARLINO_USERNAME=sam "$cli" send RECEIVER "$2"
}
for _ in $(seq 100); do send "$h3" "ready?" 2>/dev/null && break; sleep 0.1; done
received() { grep -c '"text"' "$work/received.json" || true; }
status() { awk -v key="$2:" '$1 == key {print $2}' "/proc/$1/status"; }
fds() { ls "/proc/$1/fd" | wc -l; }

note "two silent sessions and a message started and left"
ip netns exec "$h2" python3 "$here/hostile_peer.py" silent "$listen_address" RECEIVER 2 8 >"$work/silent.out" &
hostile1=$!
ip netns exec "$h2" python3 "$here/hostile_peer.py" started "$listen_address" RECEIVER 8 >"$work/started.out" &
hostile2=$!
sleep 1.5
before=$(received)
start=$(date +%s%N)
send "$h3" "through the silence" || fail "the message did not get through past silent peers"
for _ in $(seq 50); do [ "$(received)" -gt "$before" ] && break; sleep 0.1; done
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
grep -q '"through the silence"' "$work/received.json" || fail "the message past silent peers was not received"
[ "$elapsed" -lt 5000 ] || fail "the message took $elapsed ms past silent peers"
note "  $(cat "$work/silent.out"); $(cat "$work/started.out")"
note "  a normal message arrived in $elapsed ms"
wait "$hostile1" "$hostile2"

note "50 senders at once"
before=$(received)
senders=()
for i in $(seq 50); do
    send "$h3" "sender $i" >"$work/send$i.out" 2>&1 &
    senders+=($!)
done
failed=0
for job in "${senders[@]}"; do wait "$job" || failed=$((failed + 1)); done
for _ in $(seq 100); do [ "$(received)" -ge $((before + 50)) ] && break; sleep 0.1; done
python3 - "$work/received.json" <<'PY' || fail "the 50 senders were not each delivered exactly once"
import json, sys
texts = [json.loads(line)["text"] for line in open(sys.argv[1], encoding="utf-8")]
counts = {t: texts.count(t) for t in ("sender %d" % i for i in range(1, 51))}
bad = {t: n for t, n in counts.items() if n != 1}
print("robustness:   %d of 50 delivered once%s" % (sum(1 for n in counts.values() if n == 1), "" if not bad else ", " + str(bad)))
sys.exit(1 if bad else 0)
PY
[ "$failed" -eq 0 ] || fail "$failed senders reported a failure"

note "a flood of 1,000 connections"
rss_before=$(status "$listener" VmRSS)
fd_before=$(fds "$listener")
ip netns exec "$h2" python3 "$here/hostile_peer.py" flood "$listen_address" RECEIVER 1000 6 >"$work/flood.out" &
flood=$!
peak_rss=$rss_before
peak_fd=$fd_before
while kill -0 "$flood" 2>/dev/null; do
    rss=$(status "$listener" VmRSS); fd=$(fds "$listener")
    [ "$rss" -gt "$peak_rss" ] && peak_rss=$rss
    [ "$fd" -gt "$peak_fd" ] && peak_fd=$fd
    sleep 0.2
done
wait "$flood" || true
# Connections still waiting in the kernel's accept queue when the flood ends
# are accepted, read to their end and closed afterwards; give that time.
for _ in $(seq 100); do [ "$(fds "$listener")" -le "$fd_before" ] && break; sleep 0.1; done
sleep 1
rss_after=$(status "$listener" VmRSS)
fd_after=$(fds "$listener")
[ "$fd_after" -le "$fd_before" ] || ls -l "/proc/$listener/fd" >&2
note "  $(cat "$work/flood.out")"
note "  RSS before ${rss_before} kB, peak ${peak_rss} kB, after ${rss_after} kB; descriptors ${fd_before}, peak ${peak_fd}, after ${fd_after}"
[ "$fd_after" -le "$fd_before" ] || fail "descriptors did not return: $fd_before before, $fd_after after"
[ "$rss_after" -le $((rss_before + 4096)) ] || fail "memory did not return: $rss_before kB before, $rss_after kB after"
send "$h3" "after the flood" || fail "no message after the flood"
for _ in $(seq 50); do grep -q '"after the flood"' "$work/received.json" && break; sleep 0.1; done
grep -q '"after the flood"' "$work/received.json" || fail "the message after the flood was not received"
note "all checks passed"
