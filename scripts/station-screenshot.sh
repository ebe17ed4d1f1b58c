#!/bin/bash
# A screenshot of zq61station against the simulated chips, for the README: four chip ports, one
# board verified (PASS), one going mute mid-write (FAIL), one locked (SKIPPED) and one port whose
# board was programmed and unplugged again (waiting).
#   scripts/station-screenshot.sh [dpi] [png] [lang]
# default 96, docs/zq61station.png and en; lang zh-CN for the Chinese window.
# Uses a Wine prefix of its own (build/shot-prefix) with a 1024x768 desktop at the given pixels
# per inch, so the test prefix keeps its own; stops what it starts on every way out.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
dpi="${1:-96}"
shot="${2:-$repo/docs/zq61station.png}"
lang="${3:-en}"

bash scripts/build-windows.sh

source scripts/shot-desktop.sh
trap 'zq_wineserver_stop; zq_xvfb_stop' EXIT
zq_shot_desktop "$dpi"

ctl=build/windows/sim_chip/zqsimctl.exe
simctl() { wine "$ctl" "$@" >>"$log" 2>&1 </dev/null; }
simctl add COM24 chip-a
simctl add COM25 chip-a
simctl remove COM23           # another driver's port: no tile, kept out of the picture
simctl mute COM22 72          # the first read, then 20 frames of the write
simctl fill COM25 FF
simctl set COM25 00 5B        # configured ...
simctl set COM25 03 57        # ... and locked

# Started in the log's folder, so the header names the log as an operator's shortcut would.
csv="$ZQ_WINE_LOGS/shift.csv"
rm -f "$csv"
(cd "$ZQ_WINE_LOGS" && exec wine "$repo/build/windows/station/zq61station.exe" \
    --serial-from ZQ000101 --log shift.csv --lang "$lang" >>"$log" 2>&1 </dev/null) &
station=$!
# The log's outcome lines: every line but the header and the `started` ones.
outcomes() {
    if [ -f "$csv" ]; then awk 'NR > 1 && !/,started,/ { n++ } END { print n + 0 }' "$csv"; else echo 0; fi
}
wait_outcomes() {
    for _ in $(seq 1 100); do
        [ "$(outcomes)" -ge "$1" ] && return 0
        sleep 0.1
    done
    echo "the station did not record $1 outcomes (see $log)" >&2
    exit 1
}
wait_outcomes 4
simctl remove COM24           # unplugged after its PASS: the tile waits for the next board
sleep 1
import -window root -crop 1024x768+0+0 +repage "$shot"
wine taskkill /im zq61station.exe >>"$log" 2>&1 </dev/null || true
wait "$station" || true
echo "screenshot at $dpi dpi ($lang): $shot"
