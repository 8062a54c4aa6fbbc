#!/usr/bin/env bash
# parlino-cli send and listen between two hosts of a loopback LAN
# (127.0.0.81 and 127.0.0.82, ports chosen per run): every kind of text arrives
# whole, failures give their statuses and words, and listen releases its names
# when it is stopped.
set -euo pipefail
cli=$1
work=$(mktemp -d)
listener=""
cleanup() { [ -n "$listener" ] && kill "$listener" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

base=$((24000 + ($$ % 2500) * 3))
source "$(dirname "$0")/loopback_hosts.sh"
loopback_hosts "$work" 81 2 "$base"

fail() { echo "FAIL: $*" >&2; exit 1; }
send() { PARLINO_NETBT_CONF="$work/hostA.conf" PARLINO_USERNAME=alice "$cli" send "$@"; }

PARLINO_NETBT_CONF="$work/hostB.conf" PARLINO_USERNAME=bob "$cli" listen --json >"$work/out" 2>"$work/err" &
listener=$!
for _ in $(seq 100); do send HOSTB "ping" 2>/dev/null && break; sleep 0.1; done

long=$(printf 'x%.0s' $(seq 200))
huge=$(printf '0123456789%.0s' $(seq 170))
send bob "short" || fail "short message"
send HOSTB "$long" || fail "multi-block message"
send HOSTB "$huge" || fail "message over 1600 characters"
printf 'first line\nsecond line\n' | send --from Carol bob || fail "text from standard input"
send HOSTB "Grüße aus Köln" || fail "non-ASCII text"

set +e
out=$(send NOBODY "anyone?" 2>&1); status=$?
set -e
[ "$status" -eq 3 ] || fail "missing recipient gave status $status"
[[ "$out" == *"Recipient not found"* ]] || fail "missing recipient said: $out"

kill -TERM "$listener"
for _ in $(seq 100); do kill -0 "$listener" 2>/dev/null || break; sleep 0.05; done
kill -0 "$listener" 2>/dev/null && fail "listen did not stop on SIGTERM"
wait "$listener" || fail "listen exited with status $?"
listener=""
set +e
send HOSTB "after stop" 2>/dev/null; status=$?
set -e
[ "$status" -eq 3 ] || fail "the name was not released (status $status)"

python3 - "$work/out" "$long" "$huge" <<'PY'
import json, sys
records = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
texts = [r["text"] for r in records if r["text"] != "ping"]
expected = ["short", sys.argv[2], sys.argv[3][:1600], "first line\r\nsecond line", "Grüße aus Köln"]
assert texts == expected, (texts, expected)
carol = [r for r in records if r["from"] == "Carol"][0]
assert carol == {"kind": 1, "address": "bob", "from": "Carol", "to": "bob", "text": "first line\r\nsecond line"}, carol
assert all(r["from"] in ("ALICE", "Carol") for r in records), records
PY
echo "cli messaging: all checks passed"
