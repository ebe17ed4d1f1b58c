#!/bin/bash
# Installs whatever is missing, builds every preset and runs every test: the host build of the
# configuration core and the SQL ledger (against throw-away PostgreSQL and MariaDB servers), the
# same under AddressSanitizer and UndefinedBehaviorSanitizer and under ThreadSanitizer, and the
# Windows build under Wine against the simulated chip.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
jobs=$(nproc)

# First and in a fraction of a second: no Windows header outside a windows/ folder.
echo "== check: the platform line"
bash scripts/check-platform-line.sh

bash scripts/install-deps.sh

mkdir -p build
for preset in native native-asan native-tsan windows; do
    echo "== build: $preset"
    log="build/$preset-build.log"
    { cmake --preset "$preset" && cmake --build --preset "$preset" -j"$jobs"; } >"$log" 2>&1 ||
        { tail -n 60 "$log"; exit 1; }
done

# The benchmark's cheapest group (the exes' sizes and imports: seconds, no program run), so that
# its command line and its build of what it measures cannot rot unnoticed.
echo "== benchmark: group 7"
bash scripts/benchmark.sh 1 7

# Everything started here is stopped on every way out, so nothing keeps the caller's output open.
source scripts/db-servers.sh
trap 'zq_db_stop' EXIT
trap 'exit 130' INT TERM
echo "== database servers: PostgreSQL and MariaDB on loopback (build/db-servers)"
zq_db_start

for preset in native native-asan native-tsan; do
    echo "== test: $preset"
    ctest --preset "$preset"
done

echo "== fuzz: form conversions and read rules"
bash scripts/fuzz.sh

echo "== test: windows (under Wine, in Xvfb, against the stand-in driver)"
source scripts/wine-env.sh
bash scripts/wine-prefix.sh >/dev/null
source scripts/xvfb.sh
# A tiny volume the batch's log can fill up on, for the test of a record that cannot be written.
small="$repo/build/small-volume"
mkdir -p "$small"
if mountpoint -q "$small" || mount -t tmpfs -o size=64k zq-small-volume "$small" 2>/dev/null; then
    export ZQ_SMALL_VOLUME="Z:${small//\//\\}"
fi
# Everything Wine and Xvfb start is stopped on every way out, so nothing keeps the caller's
# output open.
trap 'zq_wineserver_stop; zq_xvfb_stop; zq_db_stop; umount "$small" 2>/dev/null || true' EXIT
zq_xvfb_start
zq_wineserver_start
ctest --preset windows
