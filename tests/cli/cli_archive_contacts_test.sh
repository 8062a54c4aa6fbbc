#!/usr/bin/env bash
# parlino-cli listen --archive, archive show and contacts --poll between two
# hosts of a loopback LAN (127.0.0.91 and 127.0.0.92, ports chosen per run):
# every received message lands in the archive, and a contact on the listening
# computer is available while it listens and unavailable after it stopped.
set -euo pipefail
cli=$1
work=$(mktemp -d)
listener=""
cleanup() { [ -n "$listener" ] && kill "$listener" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

base=$((28000 + ($$ % 2000) * 3))
source "$(dirname "$0")/loopback_hosts.sh"
loopback_hosts "$work" 91 2 "$base"

fail() { echo "FAIL: $*" >&2; exit 1; }
onA() { PARLINO_NETBT_CONF="$work/hostA.conf" PARLINO_USERNAME=alice "$cli" "$@"; }

printf '1;hostb;Host B;Lab;1\r\n1;bob;Bob;Lab;1\r\n1;nobody;Nobody;Lab;1\r\n' >"$work/contacts.txt"

PARLINO_NETBT_CONF="$work/hostB.conf" PARLINO_USERNAME=bob \
  "$cli" listen --json --archive "$work/msgarchive.qdb" >"$work/out" 2>"$work/err" &
listener=$!
for _ in $(seq 100); do onA send HOSTB "ping" 2>/dev/null && break; sleep 0.1; done

onA send bob "hello bob" || fail "send to bob"
printf 'first line\nsecond line\n' | onA send HOSTB || fail "multi-line message"

polled=$(onA contacts "$work/contacts.txt" --poll) || fail "contacts --poll while listening"
grep -q "Host B  <hostb>  user or computer  available" <<<"$polled" || fail "HOSTB not available: $polled"
grep -q "Bob  <bob>  user or computer  available" <<<"$polled" || fail "bob not available: $polled"
grep -q "Nobody  <nobody>  user or computer  not available" <<<"$polled" || fail "nobody available: $polled"

# The archive is held for writing by listen; show opens it for reading.
shown=$("$cli" archive show "$work/msgarchive.qdb" --received --csv) || fail "archive show while listening"
python3 - "$shown" <<'PY'
import csv, io, sys
rows = list(csv.reader(io.StringIO(sys.argv[1])))
assert rows[0] == ["index", "received", "type", "origin", "recipient", "text"], rows
texts = [(r[2], r[3], r[4], r[5]) for r in rows[1:]]
expected = [("received", "ALICE", "HOSTB", "first line\r\nsecond line"),
            ("received", "ALICE", "bob", "hello bob"),
            ("received", "ALICE", "HOSTB", "ping")]
assert texts[:3] == expected, texts
PY

kill -TERM "$listener"
wait "$listener" || fail "listen exited with status $?"
listener=""

polled=$(onA contacts "$work/contacts.txt" --poll) || fail "contacts --poll after listen stopped"
grep -q "Host B  <hostb>  user or computer  not available" <<<"$polled" || fail "HOSTB still available: $polled"

dialog=$("$cli" archive show "$work/msgarchive.qdb" --dialog Bob --days 1)
grep -q "hello bob" <<<"$dialog" || fail "conversation with bob: $dialog"
grep -q "^1 messages$" <<<"$dialog" || fail "conversation count: $dialog"
echo "cli archive and contacts: all checks passed"
