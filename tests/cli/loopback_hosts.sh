# Sourced by the script tests of parlino-cli: writes the provider
# configurations of a loopback LAN of hosts A, B, ... on 127.0.0.FIRST and up,
# with ports chosen per run, into WORK/hostA.conf, WORK/hostB.conf, ...
#   loopback_hosts WORK FIRST COUNT BASEPORT [WORKGROUP]
loopback_hosts()
{
    local work=$1 first=$2 count=$3 base=$4 workgroup=${5:-WORKGROUP} i j names=ABCDEFGH targets
    for i in $(seq 0 $((count - 1))); do
        targets=""
        for j in $(seq 0 $((count - 1))); do
            [ "$j" -ne "$i" ] && targets="$targets${targets:+, }127.0.0.$((first + j))"
        done
        cat >"$work/host${names:$i:1}.conf" <<CONF
[netbt]
interfaces = 127.0.0.$((first + i))
netbios_name = HOST${names:$i:1}
workgroup = $workgroup
name_port = $base
datagram_port = $((base + 1))
session_port = $((base + 2))
broadcast_targets = $targets
oem_codepage = CP850
CONF
    done
}
