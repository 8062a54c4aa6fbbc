#!/usr/bin/env bash
# Personal messages between parlino-cli and Samba 4 in a lab LAN of network
# namespaces: smbclient -M reaches `parlino-cli listen`, `parlino-cli send`
# reaches smbd, two copies of ours talk, the second adapter delivers when only
# it reaches the recipient, and the failures give their words. Texts arrive
# as written under every code page: CP866 words that are also valid UTF-8, raw
# UTF-8 that smbclient splits inside characters, CJK and Cyrillic that CP850
# cannot hold, and CP932 blocks that a capture shows within 128 bytes.
# Skips (status 77) without root or network namespaces.
set -euo pipefail
cli=$1
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
lab=$tools/netbios-lab.sh
source "$tools/samba-peer.sh"
source "$tools/lab-capture.sh"
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to build network namespaces"
for tool in ip nmbd smbd smbclient nmblookup python3 tshark; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (tools/bootstrap.sh installs it)"
done

id="msg$$"
work=$(mktemp -d)
chmod 755 "$work"
listener=""
listeners=()
cleanup()
{
    set +e
    [ -n "$listener" ] && kill "$listener" 2>/dev/null
    for pid in "${listeners[@]}"; do kill "$pid" 2>/dev/null; done
    capture_stop
    samba_stop "$work/samba"
    sleep 0.5
    "$lab" down "$id"
    ip netns del "pl-$id-void" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "interop: $*"; }

net=$("$lab" up "$id" 5 | awk '/subnet/ {print $2}') || skip "cannot create network namespaces here"
broadcast=169.254.$net.255
h1=pl-$id-h1 h2=pl-$id-h2 h3=pl-$id-h3 h4=pl-$id-h4 h5=pl-$id-h5
# Host 3 also has an adapter that reaches nobody, listed first.
ip netns add "pl-$id-void"
ip -n "$h3" link add dead0 type veth peer name void0 netns "pl-$id-void"
ip -n "$h3" addr add 169.254.99.3/24 brd + dev dead0
ip -n "$h3" link set dead0 up
ip -n "pl-$id-void" link set void0 up

samba_start "$h1" "$work/samba" "$broadcast"
client_conf=$(samba_client_conf "$work/samba")

ours_conf() # NAME INTERFACES [CODEPAGE]
{
    cat >"$work/$1.conf" <<CONF
[netbt]
interfaces = $2
netbios_name = $1
workgroup = LABGROUP
oem_codepage = ${3:-CP850}
CONF
    echo "$work/$1.conf"
}
conf2=$(ours_conf OURHOST lan0)
conf3=$(ours_conf SENDHOST "dead0, lan0")
conf3single=$(ours_conf SENDONE lan0)
conf3jp=$(ours_conf SENDJP lan0 CP932)
conf4=$(ours_conf RUSHOST lan0 CP866)
conf5=$(ours_conf JPHOST lan0 CP932)

# Started without a shell function in between, so that $! is listen itself.
ip netns exec "$h2" env PARLINO_NETBT_CONF="$conf2" PARLINO_USERNAME=bob "$cli" listen --json \
    >"$work/received.json" 2>"$work/listen.err" &
listener=$!
ip netns exec "$h4" env PARLINO_NETBT_CONF="$conf4" PARLINO_USERNAME=ivan "$cli" listen --json \
    >"$work/received-cp866.json" 2>"$work/listen-cp866.err" &
listeners+=($!)
ip netns exec "$h5" env PARLINO_NETBT_CONF="$conf5" PARLINO_USERNAME=taro "$cli" listen --json \
    >"$work/received-cp932.json" 2>"$work/listen-cp932.err" &
listeners+=($!)
for name in BOB IVAN TARO; do
    for _ in $(seq 100); do
        ip netns exec "$h3" nmblookup -s "$client_conf" -B "$broadcast" "$name#03" 2>/dev/null | grep -q "$name<03>" &&
            break
        sleep 0.1
    done
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
    ip netns exec "$h3" env PARLINO_NETBT_CONF="$conf" PARLINO_USERNAME=alice XDG_CACHE_HOME="$work/cache" \
        "$cli" send "$@"
}

long200=$(printf 'a%.0s' $(seq 200))
long2100=$(printf '0123456789%.0s' $(seq 210))
# 300 characters of Russian; 1600 of CJK; a Japanese text of 301 characters
# whose double-byte characters fall on every block boundary.
russian300=$(python3 -c 'print(("Съешь же ещё этих мягких французских булок, да выпей чаю. " * 6)[:300], end="")')
cjk1600=$(python3 -c 'print(("中文日本語한국어" * 200)[:1600], end="")')
japanese301=$(python3 -c 'print("x" + ("日本語のテキストです。" * 28)[:300], end="")')

note "smbclient -M -> parlino-cli listen"
smbclient_to OURHOST "short"
smbclient_to OURHOST "$long200"
smbclient_to ourhost "$long2100"
smbclient_to OURHOST $'line one\nline two'
smbclient_to OURHOST "Grüße aus Köln"
smbclient_to OURHOST "Grüße € Ā"
smbclient_to BOB ""

note "smbclient -M with CP866 -> parlino-cli listen with CP866"
for word in так там рад уже чем; do
    smbclient_to RUSHOST "$word" --option='dos charset=CP866'
done
smbclient_to IVAN "$russian300" --option='dos charset=CP866'

note "smbclient -M with CP850 -> parlino-cli listen: Cyrillic as raw UTF-8 in 127-byte blocks"
smbclient_to OURHOST "$russian300"

note "parlino-cli -> parlino-cli across hosts, through the second adapter"
start=$(date +%s%N)
ours_send "$conf3" OURHOST "from our own copy" || fail "ours to ours"
note "  sent in $(( ($(date +%s%N) - start) / 1000000 )) ms (the first adapter reaches nobody)"
ours_send "$conf3" OURHOST "$cjk1600" || fail "1600 CJK characters to ours"
ours_send "$conf3" OURHOST "$russian300" || fail "Cyrillic to ours"

note "parlino-cli send with CP932 -> parlino-cli listen with CP932, captured"
capture_start "pl-$id-br" br0 'tcp port 139' "$work/cp932.pcap" || fail "no capture"
ours_send "$conf3jp" JPHOST "$japanese301" || fail "Japanese text to ours"
ours_send "$conf3jp" JPHOST "$cjk1600" || fail "CJK text to ours with CP932"
capture_stop
# tshark selects the messenger requests; the block lengths are read from the
# SMB bytes, since tshark 4.0 takes a sendtxt's group id for its byte count.
tshark -r "$work/cp932.pcap" -Y 'smb.cmd == 0xd7 || smb.cmd == 0xd0' -T fields -e tcp.payload 2>/dev/null |
    python3 -c '
import sys
sizes = []
for line in sys.stdin:
    data, pos = bytes.fromhex(line.strip().replace(":", "")), 0
    while pos + 4 <= len(data):
        length = int.from_bytes(data[pos + 1:pos + 4], "big")
        smb, pos = data[pos + 4:pos + 4 + length], pos + 4 + length
        words = smb[32]
        count = int.from_bytes(smb[33 + 2 * words:35 + 2 * words], "little")
        block = smb[35 + 2 * words:35 + 2 * words + count]
        if count == 0:
            continue  # a reply
        if smb[4] == 0xD0:  # originator and destination come first
            block = block[block.index(0, 1) + 1:]
            block = block[block.index(0, 1) + 1:]
        assert block[0] == 1, block[:4]
        sizes.append(int.from_bytes(block[1:3], "little"))
print(len(sizes), max(sizes))
' >"$work/cp932-blocks.txt" || fail "the capture could not be read"
read -r blocks largest <"$work/cp932-blocks.txt"
[ "$blocks" -gt 20 ] && [ "$largest" -le 128 ] || fail "CP932 blocks: $blocks blocks, the largest $largest bytes"
note "  capture: $blocks text blocks, none above $largest bytes"

note "parlino-cli send -> smbd"
ours_send "$conf3" SAMBAPEER "short" || fail "short message to smbd"
# smbd ended the single-block session: the next processes send start, text
# and end to it straight away.
grep -q "^SAMBAPEER"$'\t' "$work/cache/parlino/single-block-refusals" || fail "smbd's refusal was not kept"
ours_send "$conf3" SAMBAPEER "$long200" || fail "multi-block message to smbd"
ours_send "$conf3" sambapeer "$long2100" || fail "long message to smbd"
printf 'line one\nline two\n' | ours_send "$conf3" SAMBAPEER || fail "line break to smbd"
ours_send "$conf3" SAMBAPEER "Grüße aus Köln" || fail "non-ASCII text to smbd"
ours_send "$conf3" SAMBAPEER "$russian300" || fail "Cyrillic to smbd"
ours_send "$conf3" SAMBAPEER "$cjk1600" || fail "CJK to smbd"

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
for pid in "${listeners[@]}"; do
    kill -TERM "$pid"
    wait "$pid" || fail "listen exited with status $?"
done
listeners=()

python3 - "$work" "$long200" "$long2100" "$russian300" "$cjk1600" "$japanese301" <<'PY'
import json, sys
work, long200, long2100, russian300, cjk1600, japanese301 = sys.argv[1:7]
def received(name):
    return [json.loads(line) for line in open(f"{work}/{name}", encoding="utf-8")]

got = [(r["to"], r["from"], r["text"]) for r in received("received.json")]
expected = [
    ("OURHOST", "tester", "short"), ("OURHOST", "tester", long200), ("ourhost", "tester", long2100[:1598]),
    ("OURHOST", "tester", "line one\r\nline two"), ("OURHOST", "tester", "Grüße aus Köln"),
    ("OURHOST", "tester", "Grüße € Ā"), ("BOB", "tester", ""), ("OURHOST", "tester", russian300),
    ("OURHOST", "ALICE", "from our own copy"), ("OURHOST", "ALICE", cjk1600), ("OURHOST", "ALICE", russian300),
]
assert got == expected, got

got = [(r["to"], r["text"]) for r in received("received-cp866.json")]
assert got == [("RUSHOST", w) for w in ["так", "там", "рад", "уже", "чем"]] + [("IVAN", russian300)], got
got = [(r["to"], r["from"], r["text"]) for r in received("received-cp932.json")]
assert got == [("JPHOST", "ALICE", japanese301), ("JPHOST", "ALICE", cjk1600)], got

# smbd converts what arrives from its own code page, CP850: the raw UTF-8 of
# text that CP850 cannot hold is written as its CP850 reading.
text = open(f"{work}/samba/messages.txt", encoding="utf-8").read()
messages = [block.split("\n", 1)[1].rsplit("\n@@END", 1)[0] for block in text.split("@@BEGIN")[1:]]
froms = [block.split("from=", 1)[1].split(" ", 1)[0] for block in text.split("@@BEGIN")[1:]]
as_cp850 = lambda t: t.encode("utf-8").decode("cp850")
want = ["short", long200, long2100[:1600], "line one\nline two", "Grüße aus Köln", as_cp850(russian300),
        as_cp850(cjk1600)]
assert messages == want, [m[:80] for m in messages]
assert froms == ["ALICE"] * 7, froms
print("interop: smbclient -> listen: 8 of 8, with CP866: 6 of 6; ours -> ours: 3 of 3, with CP932: 2 of 2; "
      "send -> smbd: 7 of 7")
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
