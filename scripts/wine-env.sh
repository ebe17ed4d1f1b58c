# Sourced by the project's scripts and by anyone running the Windows build under Wine:
#   source scripts/wine-env.sh
# Sets up the project's own prefix (never ~/.wine) and helpers to start and stop its wineserver.

zq_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

export WINEPREFIX="${ZQ_WINEPREFIX:-$zq_repo/build/wine-prefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# ACP 936 needs both the generated locale and these variables.
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
# Wine's background processes inherit stdout/stderr: their output goes here, never into a pipe.
export ZQ_WINE_LOGS="${ZQ_WINE_LOGS:-$zq_repo/build/wine-logs}"

# Starts a persistent wineserver for the prefix and warms it with one trivial program, so that
# later programs start fast and the stand-in driver's state survives between them.
zq_wineserver_start() {
    mkdir -p "$ZQ_WINE_LOGS"
    # Fails when this prefix's wineserver already runs; that one is used as it is.
    wineserver -p >>"$ZQ_WINE_LOGS/wineserver.log" 2>&1 </dev/null || true
    wine cmd /c exit >>"$ZQ_WINE_LOGS/wine.log" 2>&1 </dev/null
}

# Stops every Wine process of this prefix and waits until they are gone.
zq_wineserver_stop() {
    mkdir -p "$ZQ_WINE_LOGS"
    wineserver -k >>"$ZQ_WINE_LOGS/wineserver.log" 2>&1 </dev/null || true
    wineserver -w >>"$ZQ_WINE_LOGS/wineserver.log" 2>&1 </dev/null || true
}
