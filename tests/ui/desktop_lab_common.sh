# Shared by the desktop program's end-to-end tests (sourced): the lab LAN of
# three network namespaces with Samba on host 1 (samba-peer.sh), an X session on host 2 where
# parlino runs with --verbose into $work/parlino.log, and what the tests need
# around it. The test sets `tag` (its short name) and `tools` first and
# calls desktop_lab_up with the commands it needs.
source "$tools/samba-peer.sh"
source "$tools/desktop/xsession.sh"
lab=$tools/netbios-lab.sh

skip() { echo "SKIPPED: $*"; exit 77; }
note() { echo "$tag: $*"; }
fail()
{
    echo "FAIL: $*" >&2
    echo "--- parlino's log:" >&2
    cat "$work/parlino.log" >&2 2>/dev/null
    exit 1
}
wait_log() # PATTERN [TRIES]
{
    local _
    for _ in $(seq "${2:-200}"); do
        grep -q -- "$1" "$work/parlino.log" 2>/dev/null && return 0
        sleep 0.1
    done
    fail "the log never showed: $1"
}
conf() # NAME: a provider configuration for a host of the lab LAN
{
    cat >"$work/$1.conf" <<CONF
[netbt]
interfaces = lan0
netbios_name = $1
workgroup = LABGROUP
oem_codepage = CP850
CONF
    echo "$work/$1.conf"
}
desktop_lab_cleanup()
{
    set +e
    [ -n "$program" ] && kill "$program" 2>/dev/null
    [ -n "$listener" ] && kill "$listener" 2>/dev/null
    xsession_stop
    samba_stop "$work/samba"
    sleep 0.5
    "$lab" down "$id"
    rm -rf "$work"
}
# desktop_lab_up TOOL...: skips without root or a tool; sets id, work, net,
# broadcast, h1-h3 and the XDG folders, and starts the X session on h2
# (the test starts Samba on h1 with samba_start when it needs it).
desktop_lab_up()
{
    [ "$(id -u)" -eq 0 ] || skip "needs root to build network namespaces"
    local tool
    for tool in ip Xvfb trayer xdotool import "$@"; do
        command -v "$tool" >/dev/null || skip "$tool is not installed (tools/bootstrap.sh installs it)"
    done
    id="$tag$$"
    work=$(mktemp -d)
    chmod 755 "$work"
    program="" listener=""
    trap desktop_lab_cleanup EXIT
    net=$("$lab" up "$id" 3 | awk '/subnet/ {print $2}') || skip "cannot create network namespaces here"
    broadcast=169.254.$net.255
    h1=pl-$id-h1 h2=pl-$id-h2 h3=pl-$id-h3
    mkdir -p "$work/home" "$work/run"
    chmod 700 "$work/run"
    export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config
    export XDG_DATA_HOME=$work/home/.local/share
    xsession_start $((40 + $$ % 50)) "$h2"
}
