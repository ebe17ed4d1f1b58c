# Sourced by the project's scripts and by anyone running the Windows build under Wine:
#   source scripts/wine-env.sh
# Sets up the project's own prefix (never ~/.wine) and helpers to start and stop its wineserver.
#
# Where Wine is not Windows, and what the tests do about it (the product's code is written for
# Windows and bends to none of these):
# - No port broadcasts (WM_DEVICECHANGE): the tests send them to the dialog themselves; the
#   batch's port watch follows the serial-port map, which Wine updates. A real unplug seen by the
#   dialog is checked on a real station (the package README's first-run checklist).
# - Share modes are not enforced on serial ports: the tests make a port busy through the
#   stand-in driver instead; the share-mode refusal is exercised on Windows only.
# - The spooler hands a queue's jobs to CUPS: a queue: printer is tried on real Windows.
# - A session never ends, and Wine's end of one waits for no program: the tests send
#   WM_QUERYENDSESSION and WM_ENDSESSION themselves; only logging off a real PC during a write
#   exercises the station's and the batch's hold on the session's end.
# - No console close, logoff or shutdown events (closing a console kills the process): the
#   console handler is exercised by calling it; the first-run checklist covers it on Windows.
# - Loading user32 adds about 100 ms to a program's start, which is why zq61prog loads it only
#   for a batch.

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
