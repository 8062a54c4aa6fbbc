#!/usr/bin/env bash
# parlino-cli broadcasts and browse between three hosts of a loopback LAN
# (127.0.0.91 to .93, ports chosen per run): a broadcast to the workgroup
# reaches every listen, one to a computer only that computer; browse lists the
# hosts that announced themselves and searches their messenger names.
set -euo pipefail
cli=$1
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

base=$((26000 + ($$ % 2000) * 3))
source "$(dirname "$0")/loopback_hosts.sh"
loopback_hosts "$work" 91 3 "$base" LABGROUP

fail() { echo "FAIL: $*" >&2; exit 1; }
on() { local host=$1; shift; PARLINO_NETBT_CONF="$work/host$host.conf" PARLINO_USERNAME=user$host "$cli" "$@"; }
# Started without a function, so that $! is the process of parlino-cli itself.
background() {
  local host=$1 out=$2; shift 2
  PARLINO_NETBT_CONF="$work/host$host.conf" PARLINO_USERNAME=user$host "$cli" "$@" >"$out" 2>"$out.err" &
  pids+=($!)
}

# browse on A runs first, so that it hears B and C announce themselves as they start.
background A "$work/browse" browse --wait 6 --search
browser=$!
sleep 0.5
background B "$work/outB" listen --json
background C "$work/outC" listen --json

for _ in $(seq 100); do on A send HOSTB "ping" 2>/dev/null && on A send HOSTC "ping" 2>/dev/null && break; sleep 0.1; done
on A send --broadcast '*' "to everyone" || fail "broadcast to *"
on A send --broadcast labgroup "to the workgroup" || fail "broadcast to the workgroup"
on A send --broadcast HOSTC "only C" || fail "broadcast to a computer"
long=$(printf 'y%.0s' $(seq 200))
on A send --broadcast '*' "$long" || fail "long broadcast"
set +e
out=$(on A send --broadcast NOBODY "x" 2>&1); status=$?
set -e
[ "$status" -eq 5 ] || fail "broadcast to a missing computer gave status $status"
[[ "$out" == *"Unknown error"* ]] || fail "broadcast to a missing computer said: $out"

wait "$browser" || fail "browse exited with status $?"
sleep 0.5
python3 - "$work" "$long" <<'PY'
import json, sys, os
work, long = sys.argv[1], sys.argv[2]
def broadcasts(host):
    records = [json.loads(l) for l in open(os.path.join(work, "out" + host), encoding="utf-8")]
    return [(r["to"], r["text"]) for r in records if r["kind"] == 2]
everyone = [("*", "to everyone"), ("LABGROUP", "to the workgroup")]
cut = ("*", long[:128])
b, c = broadcasts("B"), broadcasts("C")
assert b == everyone + [cut], b
assert c == everyone + [("HOSTC", "only C"), cut], c
browse = open(os.path.join(work, "browse"), encoding="utf-8").read()
for line in ["LABGROUP  (workgroup or domain)", "    HOSTA", "    HOSTB", "    HOSTC",
             "recipient HOSTB on HOSTB in LABGROUP", "recipient USERB on HOSTB in LABGROUP",
             "recipient USERC on HOSTC in LABGROUP"]:
    assert line in browse, (line, browse)
progress = open(os.path.join(work, "browse.err"), encoding="utf-8").read()
assert "progress: 3 of 3 computers" in progress, progress
PY
echo "cli broadcast: all checks passed"
