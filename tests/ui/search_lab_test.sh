#!/usr/bin/env bash
# The LAN search window end to end, in a lab LAN of network namespaces:
# parlino runs on host 2 under Xvfb with a tray host, Samba (SAMBAPEER) on
# host 1 and parlino-cli listen (HOSTC, user userC) on host 3. `parlino
# --search` opens the window, which must list SAMBAPEER and both messenger
# names of host 3 in LABGROUP as available, read from the --verbose lines the
# window writes for each row. SCREENSHOTS=DIR keeps a picture of the window.
# Skips (status 77) without root or the X tools.
#   search_lab_test.sh PARLINO PARLINO_CLI
set -euo pipefail
parlino=$1
cli=$2
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
tag=search
source "$(dirname "$0")/desktop_lab_common.sh"
desktop_lab_up nmbd smbd nmblookup
completed() { grep -c "lan search: search complete" "$work/parlino.log" 2>/dev/null || true; }

desk_conf=$(conf DESKHOST)
peer_conf=$(conf HOSTC)

ip netns exec "$h2" env PARLINO_NETBT_CONF="$desk_conf" PARLINO_USERNAME=bob QT_QPA_PLATFORM=xcb \
    "$parlino" --verbose >"$work/parlino.log" 2>&1 &
program=$!
wait_log "tray: Parlino Messenger - Online" 300
note "online"

# Both announce themselves when they start, which parlino now hears.
samba_start "$h1" "$work/samba" "$broadcast"
ip netns exec "$h3" env PARLINO_NETBT_CONF="$peer_conf" PARLINO_USERNAME=userC "$cli" listen \
    >"$work/listen.out" 2>&1 &
listener=$!
sleep 3

env PARLINO_USERNAME=bob "$parlino" --search || fail "parlino --search"
window=""
for attempt in 1 2 3 4 5 6 7 8; do
    for _ in $(seq 300); do
        [ "$(completed)" -ge "$attempt" ] && break
        sleep 0.1
    done
    [ "$(completed)" -ge "$attempt" ] || fail "search $attempt did not complete"
    if grep -q "lan search: SAMBAPEER | lab samba peer | SAMBAPEER | LABGROUP | Available" "$work/parlino.log" &&
        grep -q "lan search: USERC |  | HOSTC | LABGROUP | Available" "$work/parlino.log" &&
        grep -q "lan search: HOSTC |  | HOSTC | LABGROUP | Available" "$work/parlino.log"; then
        break
    fi
    [ "$attempt" -eq 8 ] && fail "the window did not list SAMBAPEER, HOSTC and USERC"
    # Not announced yet: "Start search" again a little later.
    sleep 5
    window=$(xdotool search --onlyvisible --name "^Local network search\$" | head -1)
    [ -n "$window" ] || fail "no LAN search window"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 40)) $((Y + 15)) click 1
done
note "listed SAMBAPEER, HOSTC and USERC after $attempt search(es)"
grep -q "lan search: BOB |  | DESKHOST | LABGROUP | Available" "$work/parlino.log" ||
    fail "the window did not list the own user"
[ -n "${SCREENSHOTS:-}" ] && mkdir -p "$SCREENSHOTS" && import -window root "$SCREENSHOTS/search-lab.png"

env PARLINO_USERNAME=bob "$parlino" --exit || fail "parlino --exit"
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "parlino did not end on --exit"
wait "$program" || fail "parlino ended with status $?"
program=""
grep -q '"Height"' "$XDG_CONFIG_HOME/parlino/registry.reg" || fail "the window's placement was not saved"
note "all checks passed"
