#!/bin/bash
# Runs ZQ61CFG against the simulated chips: installs whatever is missing, builds the Windows
# build, prepares the project's Wine prefix with the stand-in driver, puts an example identity
# on the first simulated chip (COM21; COM22 stays blank) and starts the tool on your display.
# Where there is no display, it runs the tool under Xvfb, reads COM21 and saves a screenshot.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash scripts/build-windows.sh

source scripts/wine-env.sh
bash scripts/wine-prefix.sh >/dev/null
source scripts/xvfb.sh
trap 'zq_wineserver_stop; zq_xvfb_stop' EXIT

headless=1
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    headless=0
else
    zq_xvfb_start
fi
zq_wineserver_start
bash scripts/sim-driver.sh start >/dev/null

# An example identity on COM21: marker, VID 2E1B, PID 6C04, serial ZQ000001 and the product
# string "ZQ61 Demo Board" as a USB string descriptor (UTF-16LE).
ctl=build/windows/sim_chip/zqsimctl.exe
product="ZQ61 Demo Board"
descriptor=$(printf '%02X 03' $(((${#product} + 1) * 2)))
for ((i = 0; i < 18; i++)); do
    # Zero code units after the string, as the tool itself writes them: the tool shows the
    # string up to its first zero unit.
    if ((i < ${#product})); then
        descriptor+=$(printf ' %02X 00' "'${product:i:1}")
    else
        descriptor+=' 00 00'
    fi
done
simctl() { wine "$ctl" "$@" >>"$ZQ_WINE_LOGS/run.log" 2>&1 </dev/null; }
simctl fill COM21 FF
simctl set COM21 00 5B
simctl set COM21 04 1B 2E 04 6C
simctl set COM21 10 $(printf '%s' ZQ000001 | od -An -tx1)
simctl set COM21 1A $descriptor

exe=build/windows/ui/ZQ61CFG.exe
if [ "$headless" = 0 ]; then
    echo "ZQ61CFG is running on $DISPLAY; close it to end."
    wine "$exe" >>"$ZQ_WINE_LOGS/run.log" 2>&1 </dev/null
    exit 0
fi

shot="$repo/build/zq61cfg-screenshot.png"
ready="$repo/build/demo.ready"
done_file="$repo/build/demo.done"
rm -f "$ready" "$done_file" "$shot"
wine build/windows/demo/demo_snapshot.exe "$exe" "$ready" "$done_file" \
    >>"$ZQ_WINE_LOGS/run.log" 2>&1 </dev/null &
demo=$!
for _ in $(seq 1 300); do
    [ -e "$ready" ] && break
    sleep 0.1
done
if [ -e "$ready" ]; then
    # The Wine desktop is 800x600 at the top left of the screen.
    import -window root -crop 800x600+0+0 +repage "$shot"
fi
touch "$done_file"
wait "$demo" || true
rm -f "$ready" "$done_file"
if [ -e "$shot" ]; then
    echo "No display: ZQ61CFG ran under Xvfb and read COM21; screenshot saved to $shot"
else
    echo "ZQ61CFG did not come up (see $ZQ_WINE_LOGS/run.log)" >&2
    exit 1
fi
