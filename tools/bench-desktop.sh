#!/usr/bin/env bash
# The desktop program against a bare Qt 6 program that only shows a tray
# icon (bench/ui/bare_tray.cpp), in the same run, under Xvfb with trayer:
#   1. cold start to the tray icon shown (the icon's window mapped), RUNS runs
#      of each, alternating: median and spread;
#   2. resident memory after 60 s idle, parlino with an archive of 100,000
#      messages, against the bare program;
#   3. receive-to-popup latency of personal messages on a loopback LAN: from
#      the moment the client took the message to the popup shown, as the
#      --verbose trace lines give them: median and 99th percentile.
#   tools/bench-desktop.sh [RUNS] [MESSAGES]
# Needs a built tree (build/default) and Xvfb, trayer, xdotool; no root: the
# hosts are 127.0.0.41 and .42 with ports chosen per run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-10}
messages=${2:-200}
build=$root/build/default
parlino=$build/ui/parlino
cli=$build/cli/parlino-cli
bare=$build/bench/ui/bench_bare_tray
fill=$build/bench/ui/archive_fill
for exe in "$parlino" "$cli" "$bare" "$fill"; do
    [ -x "$exe" ] || { echo "missing $exe: build the default preset first" >&2; exit 1; }
done
source "$root/tools/desktop/xsession.sh"
source "$root/tests/cli/loopback_hosts.sh"

work=$(mktemp -d)
pid=""
cleanup()
{
    set +e
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    xsession_stop
    rm -rf "$work"
}
trap cleanup EXIT
loopback_hosts "$work" 41 2 $((28500 + ($$ % 800) * 3))
mkdir -p "$work/run"
chmod 700 "$work/run"
export HOME=$work XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export PARLINO_USERNAME=bench PARLINO_NETBT_CONF=$work/hostA.conf
data=$XDG_DATA_HOME/"Parlino Messenger"/2.0.1.589
mkdir -p "$data"
"$fill" "$data/msgarchive.qdb" 100000 --received --hours 8760 >/dev/null
xsession_start $((30 + $$ % 30))

now_ms() { date +%s%3N; }
# Starts a program and prints the milliseconds until one of its windows is
# mapped (the tray icon, embedded by trayer), then stops it.
time_to_icon()
{
    local start=$(now_ms) found
    "$@" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 2000); do
        found=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1 || true)
        [ -n "$found" ] && break
        sleep 0.005
    done
    echo $(( $(now_ms) - start ))
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=""
    sleep 0.3
}
stats() # NAME VALUES... : median, min, max
{
    local name=$1
    shift
    printf '%s\n' "$@" | sort -n | awk -v name="$name" '{v[NR]=$1} END {
        printf "  %-26s median %7.1f  min %7.1f  max %7.1f  (%d runs)\n", name, (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2), v[1], v[NR], NR }'
}

echo "1. cold start to the tray icon shown, ms"
ours=() theirs=()
for _ in $(seq "$runs"); do
    theirs+=("$(time_to_icon "$bare")")
    ours+=("$(time_to_icon "$parlino")")
done
stats "bare Qt tray program" "${theirs[@]}"
stats "parlino" "${ours[@]}"

echo "2. resident memory after 60 s idle, kB"
"$bare" >/dev/null 2>&1 &
bare_pid=$!
"$parlino" >/dev/null 2>&1 &
pid=$!
sleep 60
bare_rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$bare_pid/status")
ours_rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
kill "$bare_pid"
wait "$bare_pid" 2>/dev/null || true
echo "  bare Qt tray program        $bare_rss"
echo "  parlino, 100,000 messages   $ours_rss  ($(awk -v a="$ours_rss" -v b="$bare_rss" 'BEGIN {printf "%.2f", a / b}') x)"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""

echo "3. receive-to-popup latency, $messages personal messages, ms"
"$parlino" --verbose >"$work/parlino.log" 2>&1 &
pid=$!
send() { PARLINO_NETBT_CONF="$work/hostB.conf" PARLINO_USERNAME=sender "$cli" send "$@"; }
for _ in $(seq 100); do send HOSTA "warm-up" 2>/dev/null && break; sleep 0.2; done
for i in $(seq "$messages"); do
    send HOSTA "latency $i" >/dev/null
    sleep 0.05
done
sleep 2
python3 - "$work/parlino.log" <<'PY'
import datetime, re, sys
received, shown = {}, {}
for line in open(sys.argv[1], encoding="utf-8"):
    m = re.match(r"parlino (\S+ \S+): message from \S+ to \S+ received (\S+): latency (\d+)", line)
    if m:
        day = m.group(1).split(" ")[0]
        received[m.group(3)] = datetime.datetime.fromisoformat(day + " " + m.group(2))
    m = re.match(r"parlino (\S+ \S+): popup: .*\| latency (\d+)$", line.rstrip())
    if m:
        shown[m.group(2)] = datetime.datetime.fromisoformat(m.group(1))
late = sorted((shown[k] - received[k]).total_seconds() * 1000 for k in shown if k in received)
if not late:
    sys.exit("no popup was seen")
p99 = late[min(len(late) - 1, int(round(0.99 * (len(late) - 1))))]
print("  %d popups: median %.1f ms, 99th percentile %.1f ms, max %.1f ms" % (len(late), late[len(late) // 2], p99, late[-1]))
PY
