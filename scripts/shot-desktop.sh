# Sourced by the screenshot scripts: a Wine prefix of the screenshots' own (build/shot-prefix),
# so the tests' prefix keeps its settings, with a 1024x768 desktop at the given pixels per inch,
# Xvfb and the stand-in driver started. Sets $log; the caller's EXIT trap stops what it starts:
#   trap 'zq_wineserver_stop; zq_xvfb_stop' EXIT
#   zq_shot_desktop DPI
export ZQ_WINEPREFIX="$repo/build/shot-prefix"
export ZQ_WINE_LOGS="$repo/build/shot-logs"
source scripts/wine-env.sh
source scripts/xvfb.sh

zq_shot_desktop() {
    mkdir -p "$ZQ_WINE_LOGS"
    log="$ZQ_WINE_LOGS/shot.log"
    if [ ! -f "$WINEPREFIX/.zq-prefix-ready" ]; then
        bash scripts/wine-prefix.sh >>"$log" 2>&1
        touch "$WINEPREFIX/.zq-prefix-ready"
    fi
    zq_wineserver_start
    env -u DISPLAY wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ \
        /d 1024x768 /f >>"$log" 2>&1 </dev/null
    env -u DISPLAY wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$1" /f >>"$log" 2>&1 </dev/null
    # Both are read when a session starts.
    zq_wineserver_stop
    zq_xvfb_start
    bash scripts/sim-driver.sh start >>"$log"
}
