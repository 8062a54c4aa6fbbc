# Sourced by the desktop tests and scripts: an X server of their own (Xvfb)
# with a tray host (trayer), on a display number chosen per run.
#   xsession_start DISPLAYNUM [NAMESPACE]   starts both (inside NAMESPACE when
#                                           given) and exports DISPLAY
#   xsession_stop
xsession_pids=()

xsession_start()
{
    local number=$1 ns=${2:-} run=()
    [ -n "$ns" ] && run=(ip netns exec "$ns")
    rm -f "/tmp/.X11-unix/X$number" "/tmp/.X$number-lock"
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
