#!/bin/bash
# A screenshot of zq61station --audit against the simulated chips, for the README: a board
# written with its job's identity (PASS) and one whose product differs (FAIL).
#   scripts/station-audit-screenshot.sh [png] [lang]    default docs/zq61station-audit.png, en
# Uses the screenshot's own Wine prefix (build/shot-prefix, 1024x768 at 96 pixels per inch) and
# stops what it starts on every way out.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
shot="${1:-$repo/docs/zq61station-audit.png}"
lang="${2:-en}"

bash scripts/build-windows.sh

source scripts/shot-desktop.sh
trap 'zq_wineserver_stop; zq_xvfb_stop' EXIT
zq_shot_desktop 96

wine build/windows/sim_chip/zqsimctl.exe remove COM23 >>"$log" 2>&1 </dev/null
prog() { wine build/windows/programmer/zq61prog.exe "$@" >>"$log" 2>&1 </dev/null; }
prog write --port COM21 --vid 0A5C --pid BEEF --serial ZQ000101 --product "Bench Board"
prog write --port COM22 --vid 0A5C --pid BEEF --serial ZQ000102 --product "Bench Bard"

# Started in the job's folder, so the header names the job as an operator's shortcut would.
printf '%s' '{"name": "Bench board", "vid": "0A5C", "pid": "BEEF", "product": "Bench Board", "lock": false}' \
    >"$ZQ_WINE_LOGS/bench.json"
(cd "$ZQ_WINE_LOGS" && exec wine "$repo/build/windows/station/zq61station.exe" \
    --audit --job bench.json --lang "$lang" >>"$log" 2>&1 </dev/null) &
station=$!
sleep 6
import -window root -crop 1024x768+0+0 +repage "$shot"
wine taskkill /im zq61station.exe >>"$log" 2>&1 </dev/null || true
wait "$station" || true
echo "screenshot: $shot"
