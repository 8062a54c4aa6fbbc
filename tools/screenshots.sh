#!/usr/bin/env bash
# Pictures of the desktop program for people to look at: parlino runs under
# Xvfb with a tray host, on a loopback LAN of its own (127.0.0.61 and .62,
# ports chosen per run; no root needed), and each window is photographed.
#   tools/screenshots.sh [OUTDIR] [LANGUAGE_FILE]
# OUTDIR defaults to /tmp/parlino-screenshots; LANGUAGE_FILE (german.lng,
# russian.lng) shows the windows in that translation. Needs a built tree
# (tools/test.sh or tools/run.sh builds build/default).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-/tmp/parlino-screenshots}")
language=${2:-}
parlino=$root/build/default/ui/parlino
cli=$root/build/default/cli/parlino-cli
[ -x "$parlino" ] && [ -x "$cli" ] || { echo "build first: tools/test.sh" >&2; exit 1; }
for tool in Xvfb trayer xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: tools/bootstrap.sh installs it" >&2; exit 1; }
done
source "$root/tools/desktop/xsession.sh"
source "$root/tests/cli/loopback_hosts.sh"

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
mkdir -p "$out" "$work/run" "$work/home/.config/parlino"
chmod 700 "$work/run"
loopback_hosts "$work" 61 2 $((26000 + ($$ % 1000) * 3))
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
suffix=""
if [ -n "$language" ]; then
    suffix="-${language%.lng}"
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Parlino Software\\Parlino Messenger\\Options]\r\n"SysLanguageFile"="%s"\r\n' \
        "$language" >"$XDG_CONFIG_HOME/parlino/registry.reg"
fi

shot() { import -window root "$out/$1$suffix.png"; echo "$out/$1$suffix.png"; }
send() { PARLINO_NETBT_CONF="$work/hostB.conf" PARLINO_USERNAME=carol "$cli" send "$@"; }

xsession_start $((20 + $$ % 20))
PARLINO_NETBT_CONF="$work/hostA.conf" PARLINO_USERNAME=bob "$parlino" --verbose >"$work/parlino.log" 2>&1 &
program=$!
for _ in $(seq 100); do send HOSTA "Good morning! The meeting moves to room 4.12 at ten." 2>/dev/null && break; sleep 0.2; done
sleep 1
shot popup

send HOSTA "$(printf 'A longer message with several lines:\n- the report is ready\n- the printer on floor 3 works again\n- lunch at noon?\n\nRegards, Carol')"
sleep 1
shot popup-long
import -window root "$work/root.png"
convert "$work/root.png" -crop 200x40+824+0 +repage -scale 400% "$out/tray$suffix.png"
echo "$out/tray$suffix.png"

# The tray menu, on a right click on the icon at the tray's right end.
xdotool mousemove 1010 14 click 3
sleep 1
shot tray-menu
xdotool key Escape
"$parlino" --exit
wait "$program" || true
program=""
