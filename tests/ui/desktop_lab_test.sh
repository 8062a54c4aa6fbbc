#!/usr/bin/env bash
# The desktop program end to end, in a lab LAN of network namespaces: parlino
# runs on host 2 under Xvfb with a tray host; smbclient -M (host 1, Samba),
# parlino-cli send and parlino-cli send --broadcast (host 3) reach it. It
# archives all three, shows each in its popup with the right text, blinks the
# tray icon, and ends on `parlino --exit`. SCREENSHOTS=DIR keeps pictures of
# the popup and the tray. Its compose window, driven with xdotool, sends to a
# parlino-cli listen and to smbd. Skips (status 77) without root or the X tools.
#   desktop_lab_test.sh PARLINO PARLINO_CLI
set -euo pipefail
parlino=$1
cli=$2
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
tag=desktop
source "$(dirname "$0")/desktop_lab_common.sh"
desktop_lab_up nmbd smbd smbclient python3
samba_start "$h1" "$work/samba" "$broadcast"
client_conf=$(samba_client_conf "$work/samba")

desk_conf=$(conf DESKHOST)
send_conf=$(conf SENDHOST)

ip netns exec "$h3" env PARLINO_NETBT_CONF="$send_conf" PARLINO_USERNAME=carol "$cli" listen --json \
    >"$work/carol.json" 2>"$work/carol.err" &
listener=$!
ip netns exec "$h2" env PARLINO_NETBT_CONF="$desk_conf" PARLINO_USERNAME=bob QT_QPA_PLATFORM=xcb \
    "$parlino" --verbose >"$work/parlino.log" 2>&1 &
program=$!
wait_log "tray: Parlino Messenger - Online" 300
note "online"

printf 'from smbclient\nsecond line' |
    ip netns exec "$h1" smbclient -s "$client_conf" -M DESKHOST -N -U tester >"$work/smbclient.out" 2>&1 ||
    fail "smbclient -M: $(cat "$work/smbclient.out")"
wait_log "popup: .*tester wrote to DESKHOST: |  | from smbclient | second line"
[ -n "${SCREENSHOTS:-}" ] && mkdir -p "$SCREENSHOTS" && import -window root "$SCREENSHOTS/desktop-popup.png"

ip netns exec "$h3" env PARLINO_NETBT_CONF="$send_conf" PARLINO_USERNAME=alice "$cli" send bob "from parlino-cli" ||
    fail "parlino-cli send"
wait_log "popup: .*ALICE wrote to bob: |  | from parlino-cli"

ip netns exec "$h3" env PARLINO_NETBT_CONF="$send_conf" PARLINO_USERNAME=alice "$cli" send --broadcast LABGROUP \
    "to the whole workgroup" || fail "parlino-cli send --broadcast"
wait_log "popup: .*ALICE wrote to LABGROUP: |  | to the whole workgroup"
grep -q "tray blinking" "$work/parlino.log" || fail "the tray icon did not blink"
if [ -n "${SCREENSHOTS:-}" ]; then
    import -window root "$SCREENSHOTS/desktop-broadcast.png"
    import -window root "$work/root.png"
    convert "$work/root.png" -crop 200x40+824+0 +repage -scale 400% "$SCREENSHOTS/desktop-tray.png"
fi

note "the compose window sends to parlino-cli listen and to smbd"
env PARLINO_USERNAME=bob PARLINO_NETBT_CONF="$desk_conf" "$parlino" --write || fail "parlino --write"
wait_log "action write"
sleep 1
ip netns exec "$h2" xdotool type --delay 10 "carol; SAMBAPEER"
ip netns exec "$h2" xdotool key Tab
ip netns exec "$h2" xdotool type --delay 10 "from the compose window"
[ -n "${SCREENSHOTS:-}" ] && import -window root "$SCREENSHOTS/desktop-compose.png"
ip netns exec "$h2" xdotool key ctrl+Return
wait_log ": sent$" 300
for _ in $(seq 50); do grep -q 'from the compose window' "$work/carol.json" && break; sleep 0.1; done
grep -q '"from":"DESKHOST","to":"carol","text":"from the compose window"' "$work/carol.json" ||
    fail "parlino-cli listen did not get the composed message: $(cat "$work/carol.json")"
for _ in $(seq 50); do grep -q 'from the compose window' "$work/samba/messages.txt" && break; sleep 0.1; done
grep -q '@@BEGIN from=DESKHOST' "$work/samba/messages.txt" || fail "smbd did not get the composed message"
grep -q 'from the compose window' "$work/samba/messages.txt" || fail "smbd did not get the composed text"

archive=$XDG_DATA_HOME/"Parlino Messenger"/2.0.1.589/msgarchive.qdb
"$cli" archive show "$archive" --received --csv >"$work/archive.csv" || fail "archive show"
python3 - "$work/archive.csv" <<'PY'
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1], encoding="utf-8", newline="")))
got = sorted((r["origin"], r["recipient"], r["text"]) for r in rows)
want = sorted([("tester", "DESKHOST", "from smbclient\r\nsecond line"), ("ALICE", "bob", "from parlino-cli"),
               ("ALICE", "LABGROUP", "to the whole workgroup")])
assert got == want, got
print("desktop: archived 3 of 3")
PY
"$cli" archive show "$archive" --sent --csv >"$work/sent.csv" || fail "archive show --sent"
grep -c 'from the compose window' "$work/sent.csv" | grep -qx 2 || fail "the sent message was not archived for both recipients"

# The archive window opens on the received messages at a second start's
# request, and keeps its placement when the program ends.
env PARLINO_USERNAME=bob PARLINO_NETBT_CONF="$desk_conf" "$parlino" --archive || fail "parlino --archive"
wait_log "archive window shown, page 0"
timeout 20 xdotool search --sync --onlyvisible --name "^Message archive\$" >/dev/null || fail "no archive window"
[ -n "${SCREENSHOTS:-}" ] && import -window root "$SCREENSHOTS/desktop-archive.png"

env PARLINO_USERNAME=bob PARLINO_NETBT_CONF="$desk_conf" "$parlino" --exit || fail "parlino --exit"
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "parlino did not end on --exit"
wait "$program" || fail "parlino ended with status $?"
program=""
grep -q '"MsgArcShowDays"' "$XDG_CONFIG_HOME/parlino/registry.reg" || fail "the settings were not saved"
grep -q 'Windows\\msgarchive\]' "$XDG_CONFIG_HOME/parlino/registry.reg" || fail "the archive window's placement was not saved"
note "all checks passed"
