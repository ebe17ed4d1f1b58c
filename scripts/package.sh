#!/bin/bash
# Builds build/dist/ZQ61CFG-<version>-win64.zip: the three exes, the default label, a README for
# Windows users and SHA256SUMS. Then unpacks it into a fresh folder and checks, under Wine
# against the stand-in driver, that each exe starts from there: zq61prog lists the simulated
# chips, ZQ61CFG reads one and zq61station programs one.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash scripts/build-windows.sh

# The build's own version, generated from the project's.
version=$(cat build/windows/version.txt)
name="ZQ61CFG-$version-win64"
stage="build/dist/$name"
zip="build/dist/$name.zip"
rm -rf "$stage" "$zip"
mkdir -p "$stage"
cp build/windows/ui/ZQ61CFG.exe build/windows/programmer/zq61prog.exe \
    build/windows/station/zq61station.exe "$stage/"
# Windows users read it in Notepad: CRLF line ends.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' res/dist/README.txt >"$stage/README.txt"
# The default label, for --label; CRLF too, so that it opens in Notepad as it is meant.
sed -e 's/$/\r/' res/label_default.zpl >"$stage/label_default.zpl"
(cd "$stage" && sha256sum ZQ61CFG.exe zq61prog.exe zq61station.exe README.txt label_default.zpl \
    >SHA256SUMS)
(cd build/dist && zip -q -r "$name.zip" "$name")
echo "package: $zip"

# Unpacked where nothing of the build is near.
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
unzip -q "$zip" -d "$check"
(cd "$check/$name" && sha256sum -c --quiet SHA256SUMS)

source scripts/wine-env.sh
bash scripts/wine-prefix.sh >/dev/null
source scripts/xvfb.sh
trap 'zq_wineserver_stop; zq_xvfb_stop; rm -rf "$check"' EXIT
zq_xvfb_start
zq_wineserver_start
bash scripts/sim-driver.sh start >/dev/null

log="$ZQ_WINE_LOGS/package.log"
prog="$check/$name/zq61prog.exe"
[ "$(wine "$prog" --version 2>>"$log" </dev/null | tr -d '\r')" = "$version" ] ||
    { echo "zq61prog.exe from the package does not report $version" >&2; exit 1; }
wine "$prog" list >"$check/list.txt" 2>>"$log" </dev/null ||
    { echo "zq61prog.exe from the package found no chip" >&2; exit 1; }
echo "zq61prog.exe starts from the package: $(tr -d '\r' <"$check/list.txt" | paste -sd ' ')"

# ZQ61CFG from the package: its dialog comes up and reads the first chip.
touch "$check/done"
wine build/windows/demo/demo_snapshot.exe "$check/$name/ZQ61CFG.exe" "$check/ready" \
    "$check/done" >>"$log" 2>&1 </dev/null ||
    { echo "ZQ61CFG.exe from the package did not come up (see $log)" >&2; exit 1; }
[ -e "$check/ready" ] || { echo "ZQ61CFG.exe from the package read nothing" >&2; exit 1; }
echo "ZQ61CFG.exe starts from the package and reads a chip"

# zq61station from the package: its batch programs a chip and records it, then the window is
# closed as an operator closes it (taskkill without /f sends WM_CLOSE) and the station exits 0,
# its --count reached.
station_log="$check/station.csv"
wine "$check/$name/zq61station.exe" --serial-from PK000001 --count 1 \
    --log "Z:${station_log//\//\\}" >>"$log" 2>&1 </dev/null &
station=$!
for _ in $(seq 1 100); do
    grep -q ',verified,' "$station_log" 2>/dev/null && break
    sleep 0.1
done
if ! grep -q ',verified,' "$station_log" 2>/dev/null; then
    kill "$station" 2>/dev/null || true
    echo "zq61station.exe from the package programmed no chip (see $log)" >&2
    exit 1
fi
wine taskkill /im zq61station.exe >>"$log" 2>&1 </dev/null || true
wait "$station" ||
    { echo "zq61station.exe from the package did not close cleanly (see $log)" >&2; exit 1; }
echo "zq61station.exe starts from the package and programs a chip"
