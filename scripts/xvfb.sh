# Sourced: a private X display for the dialog when there is none to use.
#   zq_xvfb_start   starts Xvfb on a free display number and exports DISPLAY
#   zq_xvfb_stop    stops it again

zq_xvfb_pid=""

zq_xvfb_start() {
    local number=90
    while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do
        number=$((number + 1))
    done
    mkdir -p "${ZQ_WINE_LOGS:-/tmp}"
    # Output to a file: a server holding the caller's pipe would keep it open after we end.
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp \
        >"${ZQ_WINE_LOGS:-/tmp}/xvfb.log" 2>&1 </dev/null &
    zq_xvfb_pid=$!
    export DISPLAY=":$number"
    for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$number" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start (see ${ZQ_WINE_LOGS:-/tmp}/xvfb.log)" >&2
    return 1
}

zq_xvfb_stop() {
    if [ -n "$zq_xvfb_pid" ]; then
        kill "$zq_xvfb_pid" 2>/dev/null || true
        wait "$zq_xvfb_pid" 2>/dev/null || true
        zq_xvfb_pid=""
    fi
}
