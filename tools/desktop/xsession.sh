# Sourced by the desktop tests and scripts: an X server of their own (Xvfb)
# with a tray host (trayer), on a display number chosen per run.
#   xsession_start DISPLAYNUM [NAMESPACE]   starts both (inside NAMESPACE when
#                                           given) on DISPLAYNUM or the next
#                                           free display, and exports DISPLAY
#   xsession_stop
xsession_pids=()

# True when display NUMBER belongs to an X server that runs: its lock file
# names a live process, or its abstract socket is bound (the socket file may
# be gone).
xsession_taken()
{
    local pid
    if [ -e "/tmp/.X$1-lock" ]; then
        pid=$(tr -dc '0-9' <"/tmp/.X$1-lock" 2>/dev/null || true)
        [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && return 0
    fi
    grep -q "@/tmp/.X11-unix/X$1\$" /proc/net/unix 2>/dev/null
}

xsession_start()
{
    local number=$1 ns=${2:-} run=()
    [ -n "$ns" ] && run=(ip netns exec "$ns")
    # Another session's display is never taken over: the next free number is.
    while xsession_taken "$number"; do
        number=$((number + 1))
    done
    rm -f "/tmp/.X11-unix/X$number" "/tmp/.X$number-lock"  # left by a server that died
    "${run[@]}" Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xsession_pids+=($!)
    export DISPLAY=":$number"
    local _
    for _ in $(seq 100); do
        [ -S "/tmp/.X11-unix/X$number" ] && break
        sleep 0.05
    done
    "${run[@]}" env DISPLAY=":$number" trayer --edge top --align right --widthtype pixel --width 160 \
        --height 28 --transparent false --tint 0x303030 --expand false >/dev/null 2>&1 &
    xsession_pids+=($!)
    sleep 0.5
}

xsession_stop()
{
    local pid
    for pid in "${xsession_pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    xsession_pids=()
    return 0
}
