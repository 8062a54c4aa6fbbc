#!/usr/bin/env bash
# A packet capture inside a lab namespace (tools/netbios-lab.sh). Source this
# file, then:
#   capture_start NAMESPACE INTERFACE FILTER FILE
#                   starts tshark there, writing what FILTER selects to FILE,
#                   and returns once the capture is live, its pid in $capture;
#                   fails if it is not live within 10 s
#   capture_stop    ends it, if one runs; FILE then holds every packet it saw
# tshark writes "Capturing on" before its capture process has opened the
# interface, so traffic sent at once can be missed. "Capture started" comes
# once that process has opened the interface with its filter and begun FILE.
# That process takes the kernel's packets in batches, and a stop drops the
# batch it has not taken yet: the stop first gives it a second to take them.

capture=""

capture_start()
{
    local namespace=$1 interface=$2 filter=$3 file=$4 _
    ip netns exec "$namespace" tshark -i "$interface" -f "$filter" -w "$file" >"$file.log" 2>&1 &
    capture=$!
    for _ in $(seq 100); do
        grep -qs 'Capture started' "$file.log" && return 0
        sleep 0.1
    done
    echo "the capture on $interface did not start: $(cat "$file.log")" >&2
    return 1
}

capture_stop()
{
    [ -n "$capture" ] || return 0
    sleep 1
    kill -INT "$capture" 2>/dev/null || true  # it may have ended by itself
    wait "$capture" || true
    capture=""
}
