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
fill=$root/build/default/bench/ui/archive_fill
[ -x "$parlino" ] && [ -x "$cli" ] && [ -x "$fill" ] || { echo "build first: tools/test.sh" >&2; exit 1; }
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
# Every start of the program below is the same user on the loopback host A:
# a later start hands its action to the running one, and nothing ever runs
# on the machine's own interfaces.
export PARLINO_USERNAME=bob PARLINO_NETBT_CONF=$work/hostA.conf
suffix=""
[ -n "$language" ] && suffix="-${language%.lng}"
# Two hot keys and a sound, so that the options show some; and the language.
printf '%s\r\n' 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Parlino Software\Parlino Messenger\Options]' \
    "\"SysLanguageFile\"=\"$language\"" '"HotKeyWriteNewMsg"=dword:00000674' '"HotKeyBrowseLan"=dword:00000924' \
    '"SoundEventIncMsgPriv"="/usr/share/sounds/freedesktop/stereo/message.oga"' >"$XDG_CONFIG_HOME/parlino/registry.reg"

shot() { import -window root "$out/$1$suffix.png"; echo "$out/$1$suffix.png"; }
# A picture of the one window whose title is TITLE.
shot_window() # NAME TITLE
{
    local window="" _
    for _ in $(seq 50); do
        window=$(xdotool search --onlyvisible --name "^$2\$" 2>/dev/null | head -1) && [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "no window \"$2\"" >&2; return 1; }
    import -window "$window" "$out/$1$suffix.png"
    echo "$out/$1$suffix.png"
}
title() { grep -m1 "^$1=" "$root/language/$language" | cut -d= -f2-; }
data=$XDG_DATA_HOME/"Parlino Messenger"/2.0.1.589
mkdir -p "$data"
printf '1;CAROL;Carol Smith;Colleagues;1\r\n1;HOSTB;Build server;Colleagues;1\r\n2;WORKGROUP;Everybody;Colleagues;1\r\n1;DAD;Dad;Family;0\r\n' \
    >"$data/contacts.txt"
# A conversation of the last two days in the archive, for the archive window.
"$fill" "$data/msgarchive.qdb" --sample >/dev/null
send() { PARLINO_NETBT_CONF="$work/hostB.conf" PARLINO_USERNAME=carol "$cli" send "$@"; }
# A click at x, y inside the archive window.
click() { xdotool mousemove --window "$archive" "$1" "$2" click 1; sleep 0.3; }

xsession_start $((20 + $$ % 20))
"$parlino" --verbose >"$work/parlino.log" 2>&1 &
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
sleep 0.5

# The contact list, on a left click on the icon, and a new contact.
xdotool mousemove 1010 14 click 1
sleep 1
shot contact-list
xdotool mousemove 900 10 click 1   # "Add new contact", the first row
sleep 1
xdotool type --delay 20 "EVE"
xdotool key Tab
xdotool type --delay 20 "Eve from accounting"
xdotool key Tab
xdotool type --delay 20 "Colleagues"
sleep 0.5
shot contact-edit
xdotool key Escape
sleep 0.5

# A compose window with two recipients and a text.
"$parlino" --write
sleep 1
xdotool type --delay 20 "HOSTB, WORKGROUP"
xdotool key Tab
xdotool type --delay 20 "Could you restart the build server? Thanks!"
sleep 0.5
shot compose
xdotool key Escape

# The archive window, in the lower left corner, on each page. The page
# buttons are the first stops of the keyboard focus; the filter page's edits
# lie at fixed heights below the toolbar.
"$parlino" --archive
archive_title="Message archive"
[ -n "$language" ] && archive_title=$(title 1201 | tr -d '\r')
archive=$(xdotool search --sync --onlyvisible --name "^$archive_title\$" | head -1)
xdotool windowfocus --sync "$archive"
sleep 1
shot archive-incoming
xdotool key Tab space
sleep 0.5
shot archive-outgoing
xdotool key Tab space Tab Tab Tab
xdotool type alice
xdotool key Return
sleep 0.5
shot archive-dialog
xdotool key shift+Tab shift+Tab space
click 250 102
xdotool key Return
sleep 0.5
shot archive-filter
click 250 133
xdotool type lunch
xdotool key Return
sleep 0.5
shot archive-filter-text
click 20 165
xdotool click 3
sleep 0.5
shot archive-menu
xdotool key Escape

# The LAN search: a messenger of carol runs on host B and announces itself.
search_title="Local network search" options_title="Options"
[ -n "$language" ] && search_title=$(title 1801) && options_title=$(title 601)
PARLINO_NETBT_CONF="$work/hostB.conf" PARLINO_USERNAME=carol "$cli" listen >/dev/null 2>&1 &
listener=$!
sleep 2
"$parlino" --search
sleep 2
shot_window lan-search "$search_title"
# Grouped by status: a click on the header of the fifth column.
window=$(xdotool search --onlyvisible --name "^$search_title\$" | head -1)
xdotool windowactivate --sync "$window" 2>/dev/null || true
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 560)) $((Y + 50)) click 1
sleep 0.5
shot_window lan-search-by-status "$search_title"
xdotool key Escape  # the window has the focus since the click
kill "$listener" 2>/dev/null && wait "$listener" 2>/dev/null || true

# The options, page by page: the tree has the focus, Down walks its pages.
"$parlino" --options
sleep 1
for page in system hot-keys sound tray sending receiving archive; do
    [ "$page" != system ] && xdotool key Down && sleep 0.3
    shot_window "options-$page" "$options_title"
done
xdotool key Escape
"$parlino" --exit
wait "$program" || true
program=""
