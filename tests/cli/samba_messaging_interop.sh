#!/usr/bin/env bash
# Personal messages between parlino-cli and Samba 4 in a lab LAN of network
# namespaces: smbclient -M reaches `parlino-cli listen`, `parlino-cli send`
# reaches smbd, two copies of ours talk, the second adapter delivers when only
# it reaches the recipient, and the failures give their words.
# Skips (status 77) without root or network namespaces.
set -euo pipefail
cli=$1
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
lab=$tools/netbios-lab.sh
source "$tools/samba-peer.sh"
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to build network namespaces"
for tool in ip nmbd smbd smbclient nmblookup python3; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (tools/bootstrap.sh installs it)"
done

id="msg$$"
work=$(mktemp -d)
chmod 755 "$work"
listener=""
cleanup()
{
    set +e
    [ -n "$listener" ] && kill "$listener" 2>/dev/null
    samba_stop "$work/samba"
    sleep 0.5
    "$lab" down "$id"
    ip netns del "pl-$id-void" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "interop: $*"; }

net=$("$lab" up "$id" 3 | awk '/subnet/ {print $2}') || skip "cannot create network namespaces here"
broadcast=169.254.$net.255
h1=pl-$id-h1 h2=pl-$id-h2 h3=pl-$id-h3
# Host 3 also has an adapter that reaches nobody, listed first.
ip netns add "pl-$id-void"
ip -n "$h3" link add dead0 type veth peer name void0 netns "pl-$id-void"
ip -n "$h3" addr add 169.254.99.3/24 brd + dev dead0
ip -n "$h3" link set dead0 up
ip -n "pl-$id-void" link set void0 up

samba_start "$h1" "$work/samba" "$broadcast"
client_conf=$(samba_client_conf "$work/samba")

ours_conf()
{
    cat >"$work/$1.conf" <<CONF
[netbt]
interfaces = $2
netbios_name = $1
workgroup = LABGROUP
oem_codepage = CP850
CONF
    echo "$work/$1.conf"
}
conf2=$(ours_conf OURHOST lan0)
conf3=$(ours_conf SENDHOST "dead0, lan0")
conf3single=$(ours_conf SENDONE lan0)

# Started without a shell function in between, so that $! is listen itself.
ip netns exec "$h2" env PARLINO_NETBT_CONF="$conf2" PARLINO_USERNAME=bob "$cli" listen --json \
    >"$work/received.json" 2>"$work/listen.err" &
listener=$!
for _ in $(seq 100); do
    ip netns exec "$h3" nmblookup -s "$client_conf" -B "$broadcast" 'BOB#03' 2>/dev/null | grep -q 'BOB<03>' && break
    sleep 0.1
done

smbclient_to() # NAME TEXT [extra smbclient options]
{
    local name=$1 text=$2
    shift 2
    printf '%s' "$text" | ip netns exec "$h3" smbclient -s "$client_conf" -M "$name" -N -U tester "$@" \
        >"$work/smbclient.out" 2>&1 || fail "smbclient -M $name: $(cat "$work/smbclient.out")"
    grep -q 'cli_message returned' "$work/smbclient.out" && fail "smbclient -M $name: $(cat "$work/smbclient.out")"
    return 0
}
ours_send() # CONF ARGS...
{
    local conf=$1
    shift
    ip netns exec "$h3" env PARLINO_NETBT_CONF="$conf" PARLINO_USERNAME=alice "$cli" send "$@"
}

long200=$(printf 'a%.0s' $(seq 200))
long2100=$(printf '0123456789%.0s' $(seq 210))

note "smbclient -M -> parlino-cli listen"
smbclient_to OURHOST "short"
smbclient_to OURHOST "$long200"
smbclient_to ourhost "$long2100"
smbclient_to OURHOST $'line one\nline two'
smbclient_to OURHOST "Grüße aus Köln"
smbclient_to OURHOST "Grüße € Ā"
smbclient_to BOB ""

note "parlino-cli -> parlino-cli across hosts, through the second adapter"
start=$(date +%s%N)
ours_send "$conf3" OURHOST "from our own copy" || fail "ours to ours"
note "  sent in $(( ($(date +%s%N) - start) / 1000000 )) ms (the first adapter reaches nobody)"

note "parlino-cli send -> smbd"
ours_send "$conf3" SAMBAPEER "short" || fail "short message to smbd"
ours_send "$conf3" SAMBAPEER "$long200" || fail "multi-block message to smbd"
ours_send "$conf3" sambapeer "$long2100" || fail "long message to smbd"
printf 'line one\nline two\n' | ours_send "$conf3" SAMBAPEER || fail "line break to smbd"
ours_send "$conf3" SAMBAPEER "Grüße aus Köln" || fail "non-ASCII text to smbd"

note "failures"
set +e
start=$(date +%s%N)
out=$(ours_send "$conf3single" NOBODY "anyone?" 2>&1); status=$?
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
set -e
[ "$status" -eq 3 ] && [[ "$out" == *"Recipient not found"* ]] || fail "missing recipient: status $status, $out"
note "  missing recipient: \"Recipient not found\" after $elapsed ms"

sleep 1
kill -TERM "$listener"
wait "$listener" || fail "listen exited with status $?"
listener=""

python3 - "$work/received.json" "$work/samba/messages.txt" "$long200" "$long2100" <<'PY'
import json, sys
received = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
long200, long2100 = sys.argv[3], sys.argv[4]
expected = [
    ("OURHOST", "short"), ("OURHOST", long200), ("ourhost", long2100[:1598]),
    ("OURHOST", "line one\r\nline two"), ("OURHOST", "Grüße aus Köln"), ("OURHOST", "Grüße € Ā"), ("BOB", ""),
]
got = [(r["to"], r["text"]) for r in received]
assert got[:len(expected)] == expected, got
assert all(r["kind"] == 1 and r["from"] == "tester" and r["address"] == r["to"] for r in received[:7]), received
assert received[7] == {"kind": 1, "address": "OURHOST", "from": "ALICE", "to": "OURHOST", "text": "from our own copy"}, received[7]
assert len(received) == 8, received

text = open(sys.argv[2], encoding="utf-8").read()
messages = [block.split("\n", 1)[1].rsplit("\n@@END", 1)[0] for block in text.split("@@BEGIN")[1:]]
froms = [block.split("from=", 1)[1].split(" ", 1)[0] for block in text.split("@@BEGIN")[1:]]
want = ["short", long200, long2100[:1600], "line one\nline two", "Grüße aus Köln"]
assert messages == want, messages
assert froms == ["ALICE"] * 5, froms
print("interop: smbclient -> listen: 7 of 7; ours -> ours: 1 of 1; send -> smbd: 5 of 5")
PY

note "smbd without SMB1 breaks the session: Message transmission error"
samba_stop "$work/samba"
sleep 0.5
samba_start "$h1" "$work/samba" "$broadcast" SMB2_02
set +e
out=$(ours_send "$conf3single" SAMBAPEER "refused" 2>&1); status=$?
set -e
[ "$status" -eq 4 ] && [[ "$out" == *"Message transmission error"* ]] || fail "broken session: status $status, $out"
note "all checks passed"
