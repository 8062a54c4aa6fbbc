#!/usr/bin/env bash
# Global hot keys on an X11 session: parlino runs under Xvfb on a loopback
# host; a key press that the options bind (Ctrl+Alt+W: write a message,
# Ctrl+Shift+F9: find users) reaches it as its action, also with Num Lock on.
# Skips (status 77) without the X tools.
#   desktop_hotkeys_test.sh PARLINO
set -euo pipefail
parlino=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/desktop/xsession.sh"
source "$here/../cli/loopback_hosts.sh"
skip() { echo "SKIPPED: $*"; exit 77; }
for tool in Xvfb trayer xdotool; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (tools/bootstrap.sh installs it)"
done

work=$(mktemp -d)
program=""
cleanup()
{
    set +e
    [ -n "$program" ] && kill "$program" 2>/dev/null && wait "$program" 2>/dev/null
    xsession_stop
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; cat "$work/parlino.log" >&2; exit 1; }
wait_log()
{
    local _
    for _ in $(seq 100); do grep -q -- "$1" "$work/parlino.log" && return 0; sleep 0.1; done
    fail "the log never showed: $1"
}

loopback_hosts "$work" 51 1 $((27500 + ($$ % 800) * 3))
mkdir -p "$work/run" "$work/config/parlino"
chmod 700 "$work/run"
export HOME=$work XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export PARLINO_USERNAME=hotkeys PARLINO_NETBT_CONF=$work/hostA.conf
# Ctrl (0x200) + Alt (0x400) + W (0x57); Ctrl + Shift (0x100) + F9 (0x78).
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Parlino Software\\Parlino Messenger\\Options]\r\n%s\r\n%s\r\n%s\r\n' \
    '"HotKeyEnabled"=dword:00000001' '"HotKeyWriteNewMsg"=dword:00000657' '"HotKeyBrowseLan"=dword:00000378' \
    >"$work/config/parlino/registry.reg"

xsession_start $((60 + $$ % 30))
"$parlino" --verbose >"$work/parlino.log" 2>&1 &
program=$!
wait_log "tray: "
sleep 0.5
xdotool key ctrl+alt+w
wait_log "action write"
xdotool key shift+ctrl+F9
wait_log "action search"
xdotool key Num_Lock
xdotool key ctrl+alt+w
[ "$(grep -c 'action write' "$work/parlino.log")" -ge 2 ] || fail "Num Lock hid the hot key"
xdotool key Num_Lock
xdotool key ctrl+w  # not bound: nothing
sleep 0.5
[ "$(grep -c 'action write' "$work/parlino.log")" -eq 2 ] || fail "an unbound combination acted"
"$parlino" --exit
wait "$program" || fail "parlino ended with status $?"
program=""
echo "hotkeys: all checks passed"
