#!/usr/bin/env bash
# Sends the same 100 messages to the same smbd with `parlino-cli send` and with
# `smbclient -M`, one process per message as a user would, in one run inside a
# lab LAN, and prints the time per message of each. Needs root.
# A third line gives what smbd alone takes (tools/raw-smb-send.py: one process,
# no process start and no name query): the floor under both senders.
#   tools/bench-send-vs-smbclient.sh [build/default/cli/parlino-cli] [COUNT]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build/default/cli/parlino-cli}
count=${2:-100}
source tools/samba-peer.sh
[ "$(id -u)" -eq 0 ] || { echo "needs root to build network namespaces" >&2; exit 1; }

id="bsm$$"
work=$(mktemp -d)
chmod 755 "$work"
trap 'samba_stop "$work/samba"; sleep 0.5; tools/netbios-lab.sh down "$id"; rm -rf "$work"' EXIT
net=$(tools/netbios-lab.sh up "$id" 2 | awk '/subnet/ {print $2}')
samba_start "pl-$id-h1" "$work/samba" "169.254.$net.255"
cat >"$work/ours.conf" <<CONF
[netbt]
interfaces = lan0
netbios_name = BENCHHOST
workgroup = LABGROUP
oem_codepage = CP850
CONF

text="A short personal message, 46 characters long."
now() { date +%s%N; }
# Each loop runs inside the sending host's namespace as one `ip netns exec`:
# entering the namespace costs a few milliseconds per process, the same for
# both senders, and is part of neither.
run_ours()
{
    ip netns exec "pl-$id-h2" env PARLINO_NETBT_CONF="$work/ours.conf" XDG_CACHE_HOME="$work/cache" bash -c '
        for i in $(seq "$1"); do "$2" send SAMBAPEER "$3 $i"; done' _ "$count" "$cli" "$text"
}
run_smbclient()
{
    ip netns exec "pl-$id-h2" bash -c '
        for i in $(seq "$1"); do
            printf "%s" "$3 $i" | smbclient -s "$2" -M SAMBAPEER -N >/dev/null 2>&1
        done' _ "$count" "$work/samba/client.conf" "$text"
}

start=$(now); run_smbclient; smbclient_ns=$(( $(now) - start ))
start=$(now); run_ours; ours_ns=$(( $(now) - start ))
floor_ms=$(ip netns exec "pl-$id-h2" python3 tools/raw-smb-send.py "169.254.$net.1" SAMBAPEER "$count" "$text")
sleep 1
delivered=$(grep -c '^@@BEGIN' "$work/samba/messages.txt")
printf '%-22s %10s %14s\n' "sender" "messages" "ms/message"
printf '%-22s %10d %14.1f\n' "smbclient -M" "$count" "$(echo "$smbclient_ns / $count / 1000000" | bc -l)"
printf '%-22s %10d %14.1f\n' "parlino-cli send" "$count" "$(echo "$ours_ns / $count / 1000000" | bc -l)"
printf '%-22s %10d %14.1f\n' "smbd alone (raw)" "$count" "$floor_ms"
printf 'speed-up: %.2fx; smbd delivered %d of %d\n' "$(echo "$smbclient_ns / $ours_ns" | bc -l)" "$delivered" $((3 * count))
