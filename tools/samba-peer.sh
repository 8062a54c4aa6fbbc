#!/usr/bin/env bash
# A Samba peer (nmbd and smbd) inside one host of a lab LAN (tools/netbios-lab.sh),
# with a private configuration bound to that host's lab interface only and
# every state folder under DIR. Source this file, then:
#   samba_start NAMESPACE DIR BROADCAST [MIN_PROTOCOL]
#                           starts nmbd and smbd as SAMBAPEER of LABGROUP (server min
#                           protocol NT1 unless given) and waits until nmbd answers a
#                           broadcast query; received messages are appended to
#                           DIR/messages.txt as "@@BEGIN from=F to=T", the text, "@@END"
#   samba_start_wins NAMESPACE DIR BROADCAST ADDRESS
#                           the same peer as the lab's WINS server (nmbd with wins
#                           support, granting at most 30 s to live, so that
#                           clients refresh within a test) on its address ADDRESS;
#                           its client configuration resolves through WINS only
#   samba_stop DIR
#   samba_client_conf DIR   the client configuration for smbclient and nmblookup

samba_client_conf() { echo "$1/client.conf"; }

# EXTRA: lines for the server's [global]; RESOLVE: the clients' lines on
# name resolution.
samba_write_conf()
{
    local dir=$1 protocol=$2 extra=${3:-} resolve=${4:-"name resolve order = bcast"}
    mkdir -p "$dir"/{lock,state,cache,private,pid,ncalrpc,binddns,log,client}
    chmod 777 "$dir"
    : >"$dir/messages.txt"
    chmod 666 "$dir/messages.txt"
    # smbd runs the message command as the guest account.
    cat >"$dir/deliver.sh" <<DELIVER
#!/bin/sh
{ printf '@@BEGIN from=%s to=%s\n' "\$1" "\$2"; cat "\$3"; printf '\n@@END\n'; } >>"$dir/messages.txt"
rm -f "\$3"
DELIVER
    chmod 755 "$dir/deliver.sh"
    cat >"$dir/smb.conf" <<CONF
[global]
    netbios name = SAMBAPEER
    workgroup = LABGROUP
    server string = lab samba peer
    interfaces = lan0
    bind interfaces only = yes
    disable netbios = no
    server min protocol = $protocol
    message command = $dir/deliver.sh '%f' '%t' '%s' &
    lock directory = $dir/lock
    state directory = $dir/state
    cache directory = $dir/cache
    private dir = $dir/private
    pid directory = $dir/pid
    ncalrpc dir = $dir/ncalrpc
    binddns dir = $dir/binddns
    log file = $dir/log/%m.log
    log level = 1
    dns proxy = no
    load printers = no
    disable spoolss = yes
    map to guest = Bad User
$extra
CONF
    cat >"$dir/client.conf" <<CONF
[global]
    workgroup = LABGROUP
    interfaces = lan0
    bind interfaces only = yes
    $resolve
    name cache timeout = 0
    lock directory = $dir/client
    state directory = $dir/client
    cache directory = $dir/client
    private dir = $dir/client
    client min protocol = NT1
CONF
}

samba_start()
{
    local ns=$1 dir=$2 broadcast=$3 protocol=${4:-NT1}
    samba_write_conf "$dir" "$protocol"
    samba_run "$ns" "$dir" -B "$broadcast"
}

samba_start_wins()
{
    local ns=$1 dir=$2 broadcast=$3 address=$4
    samba_write_conf "$dir" NT1 "    wins support = yes
    min wins ttl = 10
    max wins ttl = 30" "name resolve order = wins
    wins server = $address"
    samba_run "$ns" "$dir" -B "$broadcast" && samba_run "$ns" "$dir" --recursion -U "$address"
}

# Starts nmbd and smbd in NAMESPACE and waits until nmbd answers a query (the
# given nmblookup options say where) for its messenger name, which it does
# once its registration is over (some seconds after start).
samba_run()
{
    local ns=$1 dir=$2
    shift 2
    [ -f "$dir/pid/nmbd.pid" ] || ip netns exec "$ns" nmbd -D -s "$dir/smb.conf"
    [ -f "$dir/pid/smbd.pid" ] || ip netns exec "$ns" smbd -D -s "$dir/smb.conf"
    local _
    for _ in $(seq 150); do
        ip netns exec "$ns" ss -ltn 2>/dev/null | grep -q ':139 ' &&
            ip netns exec "$ns" nmblookup -s "$dir/client.conf" "$@" 'SAMBAPEER#03' \
                2>/dev/null | grep -q 'SAMBAPEER<03>' && return 0
        sleep 0.2
    done
    echo "samba peer did not start; log:" >&2
    cat "$dir"/log/* >&2 2>/dev/null
    return 1
}

samba_stop()
{
    local dir=$1 pidfile
    for pidfile in "$dir"/pid/smbd.pid "$dir"/pid/nmbd.pid; do
        [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    done
    return 0
}
