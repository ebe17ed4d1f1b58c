#!/bin/bash
# A screenshot of zq61station --audit against the simulated chips, for the README: a board
# written with its job's identity (PASS) and one whose product differs (FAIL).
#   scripts/station-audit-screenshot.sh [png]    default docs/zq61station-audit.png
# Uses the screenshot's own Wine prefix (build/shot-prefix, 1024x768 at 96 pixels per inch) and
# stops what it starts on every way out.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
shot="${1:-$repo/docs/zq61station-audit.png}"

bash scripts/build-windows.sh

export ZQ_WINEPREFIX="$repo/build/shot-prefix"
export ZQ_WINE_LOGS="$repo/build/shot-logs"
source scripts/wine-env.sh
source scripts/xvfb.sh
trap 'zq_wineserver_stop; zq_xvfb_stop' EXIT
mkdir -p "$ZQ_WINE_LOGS"
log="$ZQ_WINE_LOGS/shot.log"
if [ ! -f "$WINEPREFIX/.zq-prefix-ready" ]; then
    bash scripts/wine-prefix.sh >>"$log" 2>&1
    touch "$WINEPREFIX/.zq-prefix-ready"
fi
reg() { env -u DISPLAY wine reg "$@" >>"$log" 2>&1 </dev/null; }
zq_wineserver_start
reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f
reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f
zq_wineserver_stop
zq_xvfb_start
bash scripts/sim-driver.sh start >>"$log"

wine build/windows/sim_chip/zqsimctl.exe remove COM23 >>"$log" 2>&1 </dev/null
prog() { wine build/windows/programmer/zq61prog.exe "$@" >>"$log" 2>&1 </dev/null; }
prog write --port COM21 --vid 0A5C --pid BEEF --serial ZQ000101 --product "Bench Board"
prog write --port COM22 --vid 0A5C --pid BEEF --serial ZQ000102 --product "Bench Bard"

# Started in the job's folder, so the header names the job as an operator's shortcut would.
printf '%s' '{"name": "Bench board", "vid": "0A5C", "pid": "BEEF", "product": "Bench Board", "lock": false}' \
    >"$ZQ_WINE_LOGS/bench.json"
(cd "$ZQ_WINE_LOGS" && exec wine "$repo/build/windows/station/zq61station.exe" \
    --audit --job bench.json >>"$log" 2>&1 </dev/null) &
station=$!
sleep 6
import -window root -crop 1024x768+0+0 +repage "$shot"
wine taskkill /im zq61station.exe >>"$log" 2>&1 </dev/null || true
wait "$station" || true
echo "screenshot: $shot"
