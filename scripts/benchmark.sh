#!/bin/bash
# The benchmark: prints eleven groups of figures, each with its target:
#   1. frames per action, from the stand-in driver's log and counters;
#   2. the tool's overhead: ZQ61CFG.exe's time per action over the driver's time serving the
#      frames at 1 ms per frame, and where the rest of the time goes;
#   3. start-up to an input-ready dialog against a bare dialog program;
#   4. zq61prog read and write, process start to exit, against a bare program's same frames;
#   5. zq61prog batch: boards one by one, four and eight at once, and a shift of 300;
#   6. the configuration core's cost per call (host Google Benchmark);
#   7. the exe's size and the DLLs it imports;
#   8. the SQL ledger's time per chip on throw-away PostgreSQL and MariaDB servers;
#   9. zq61station: a board's arrival to its PASS tile against zq61prog batch's logged outcome, and
#      its start to its window;
#  10. labels: boards per minute with a label for each (to a loopback printer) over without;
#  11. ledger report --by hour over a sequence of a million records made by SQL, on both servers.
# Every timing is the median of several runs. A missed target is reported, not an error: the
# script fails only when something cannot be measured.
#   scripts/benchmark.sh [runs] [groups]
#     runs     runs per timing, default 7
#     groups   the groups to print, comma-separated (e.g. 2,5), default all; groups 1 and 2 come
#              from the same runs, so either prints both, and 3 prints them too
# Installs whatever is missing and builds what it measures, like scripts/test-all.sh. Uses a Wine
# prefix of its own (build/bench-prefix, or $ZQ_WINEPREFIX), so it never shares a wineserver with
# a test run; it starts Xvfb, the wineserver, the stand-in driver and the database servers and
# stops them on every exit.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
# The groups there are: the default and the check of the argument both come from this one list.
all_groups=1,2,3,4,5,6,7,8,9,10,11
runs="${1:-7}"
groups="${2:-$all_groups}"
case "$runs" in
'' | *[!0-9]* | 0) echo "usage: $0 [runs] [groups]" >&2; exit 2 ;;
esac
known_groups() {
    local group
    [[ "$groups" =~ ^[0-9]+(,[0-9]+)*$ ]] || return 1
    for group in ${groups//,/ }; do
        [[ ",$all_groups," == *",$group,"* ]] || return 1
    done
}
if ! known_groups; then
    echo "usage: $0 [runs] [groups]: groups are ${all_groups//,/, }, e.g. 2,5" >&2
    exit 2
fi
# True when any of the given groups was asked for.
wanted() {
    local group
    for group in "$@"; do
        [[ ",$groups," == *",$group,"* ]] && return 0
    done
    return 1
}
jobs=$(nproc)

bash scripts/install-deps.sh

mkdir -p build
build_targets() {
    local preset=$1
    shift
    local log="build/bench-$preset-build.log"
    { cmake --preset "$preset" && cmake --build --preset "$preset" -j"$jobs" --target "$@"; } \
        >"$log" 2>&1 || { tail -n 60 "$log"; exit 1; }
}
if wanted 6; then
    echo "== build: native (core_bench)"
    build_targets native core_bench
fi
if wanted 8; then
    echo "== build: native (ledger_bench)"
    build_targets native ledger_bench import_bench
fi
if wanted 11; then
    echo "== build: native (report_bench)"
    build_targets native report_bench
fi
if wanted 1 2 3 4 5 7 9 10; then
    echo "== build: windows (ZQ61CFG, zq61prog, zq61station, the stand-in driver, the benchmarks)"
    build_targets windows ZQ61CFG zq61prog zq61station zq61sim zqsimctl app_bench prog_bench \
        batch_bench station_bench label_bench
fi

export ZQ_WINEPREFIX="${ZQ_WINEPREFIX:-$repo/build/bench-prefix}"
export ZQ_WINE_LOGS="${ZQ_WINE_LOGS:-$repo/build/bench-logs}"
export ZQ_BUILD_DIR="$repo/build/windows"
source scripts/wine-env.sh
source scripts/xvfb.sh
source scripts/db-servers.sh
mkdir -p "$ZQ_WINE_LOGS"

# Everything Wine and Xvfb start is stopped on every way out, so nothing keeps running or holds
# the caller's output open.
cleanup() {
    zq_wineserver_stop
    zq_xvfb_stop
    zq_db_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Even `wine --version` goes to a file, not into a pipe.
wine --version >"$ZQ_WINE_LOGS/wine-version" 2>&1 </dev/null || true
echo
echo "ZQ61CFG benchmark, $(date '+%Y-%m-%d %H:%M'): $(nproc) CPUs, load average" \
    "$(cut -d' ' -f1-3 /proc/loadavg), $(cat "$ZQ_WINE_LOGS/wine-version"), $runs runs per timing," \
    "groups $groups"

status=0
if wanted 1 2 3 4 5 9 10; then
    ready="$WINEPREFIX/.zq-prefix-ready"
    if [ ! -f "$ready" ]; then
        echo "== Wine prefix: $WINEPREFIX"
        bash scripts/wine-prefix.sh >"$ZQ_WINE_LOGS/bench-prefix.out" 2>&1 ||
            { cat "$ZQ_WINE_LOGS/bench-prefix.out"; exit 1; }
        touch "$ready"
    fi

    zq_xvfb_start
    bash scripts/sim-driver.sh start >"$ZQ_WINE_LOGS/bench-driver.out" 2>&1 ||
        { cat "$ZQ_WINE_LOGS/bench-driver.out"; exit 1; }

    # Runs one benchmark program under Wine, its output to files, never into a pipe, and prints
    # what it measured; a program that fails makes the script fail at the end.
    run_group() {
        local name=$1
        shift
        local out="$ZQ_WINE_LOGS/$name.out"
        local err="$ZQ_WINE_LOGS/$name.err"
        local code=0
        wine "$ZQ_BUILD_DIR/bench/$name.exe" "$@" >"$out" 2>"$err" </dev/null || code=$?
        cat "$out"
        if [ "$code" -ne 0 ]; then
            echo "$name failed ($code); its errors: $err" >&2
            status=$code
        fi
    }

    # Groups 1 to 3: the real exe, driven from another process; groups 1 and 2 alone skip the
    # start-up launches.
    if wanted 1 2 3; then
        echo
        startup=()
        wanted 3 || startup=(--no-startup)
        run_group app_bench "$ZQ_BUILD_DIR/ui/ZQ61CFG.exe" "$ZQ_BUILD_DIR/bench/bare_dialog.exe" \
            "$runs" "${startup[@]}"
    fi
    # Group 4: zq61prog, process start to exit, against a bare program sending the same frames.
    if wanted 4; then
        echo
        run_group prog_bench "$ZQ_BUILD_DIR/programmer/zq61prog.exe" \
            "$ZQ_BUILD_DIR/bench/bare_frames.exe" "$runs"
    fi
    # Group 5: zq61prog batch, boards plugged and unplugged through the stand-in driver.
    if wanted 5; then
        echo
        run_group batch_bench "$ZQ_BUILD_DIR/programmer/zq61prog.exe" "$runs"
    fi
    # Group 9: zq61station's PASS tile against zq61prog batch's logged outcome, board by board.
    if wanted 9; then
        echo
        run_group station_bench "$ZQ_BUILD_DIR/station/zq61station.exe" \
            "$ZQ_BUILD_DIR/programmer/zq61prog.exe" "$runs"
    fi
    # Group 10: zq61prog batch with a label for every board over the same batch without.
    if wanted 10; then
        echo
        run_group label_bench "$ZQ_BUILD_DIR/programmer/zq61prog.exe" \
            "$repo/res/label_default.zpl" "$runs"
    fi
    cleanup
fi

# Group 6: the core, host build.
if wanted 6; then
    echo
    echo "6. The core: host Google Benchmark (build/native/bench/core_bench), median of $runs" \
        "repetitions"
    csv="build/bench-core.csv"
    build/native/bench/core_bench --benchmark_repetitions="$runs" \
        --benchmark_report_aggregates_only=true --benchmark_format=csv >"$csv" 2>/dev/null
    awk -F, -v q='"' '
        { gsub(q, "") }
        $1 ~ /_median$/ {
            name = substr($1, 1, length($1) - 7)
            scale = $5 == "ns" ? 1000 : $5 == "us" ? 1 : $5 == "ms" ? 0.001 : 0.000001
            micros = $3 / scale
            printf "   %-14s %10.3f us  (cpu %.3f us)   target < 5 us  %s\n", name, micros,
                $4 / scale, micros < 5 ? "ok" : "MISSED"
            found++
        }
        END { if (found < 4) { print "   FAILED: the core benchmark printed " found+0 " medians"; exit 1 } }
    ' "$csv"
fi

# Group 7: the exes' sizes and imports.
if wanted 7; then
    echo
    exe="$ZQ_BUILD_DIR/ui/ZQ61CFG.exe"
    size=$(stat -c %s "$exe")
    limit=$((1024 * 1024))
    verdict=ok
    [ "$size" -le "$limit" ] || verdict=MISSED
    echo "7. The exe: $exe"
    awk -v size="$size" -v verdict="$verdict" 'BEGIN {
        printf "   %-20s %8d bytes (%.1f KiB)   target <= 1 MiB    %s\n", "size", size, size / 1024,
            verdict
    }'
    # Windows' own DLLs an exe like this may import; anything else would have to ship with it.
    system_dlls=" advapi32 bcrypt comctl32 comdlg32 gdi32 imm32 kernel32 msvcrt ole32 oleaut32 "
    system_dlls+="odbc32 setupapi shell32 shlwapi user32 uxtheme version winmm winspool ws2_32 "
    check_imports() {
        local exe=$1 all_system=ok dll base kind
        local dlls
        dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print $3 }')
        for dll in $dlls; do
            base=$(echo "${dll%.*}" | tr '[:upper:]' '[:lower:]')
            kind="system"
            if [[ "$system_dlls" != *" $base "* && "$base" != api-ms-win-* ]]; then
                kind="NOT A SYSTEM DLL"
                all_system=MISSED
            fi
            printf '   imports %-20s %s\n' "$dll" "$kind"
        done
        printf '   %-20s %8d DLLs                  target: system DLLs only  %s\n' imports \
            "$(wc -w <<<"$dlls")" "$all_system"
    }
    check_imports "$exe"
    # The console programmer has no size target: CLI11's and the JSON library's iostreams make up
    # most of it.
    prog="$ZQ_BUILD_DIR/programmer/zq61prog.exe"
    echo "   and $prog: $(stat -c %s "$prog") bytes"
    check_imports "$prog"
    station="$ZQ_BUILD_DIR/station/zq61station.exe"
    echo "   and $station: $(stat -c %s "$station") bytes"
    check_imports "$station"
fi

# Group 8: the SQL ledger against loopback servers, started only now so that nothing else runs.
if wanted 8; then
    echo
    if zq_db_start >"$ZQ_WINE_LOGS/db-servers.out" 2>&1; then
        code=0
        build/native/bench/ledger_bench 300 >"$ZQ_WINE_LOGS/ledger_bench.out" 2>&1 </dev/null ||
            code=$?
        cat "$ZQ_WINE_LOGS/ledger_bench.out"
        [ "$code" -eq 0 ] || status=$code
        code=0
        build/native/bench/import_bench 300000 >"$ZQ_WINE_LOGS/import_bench.out" 2>&1 \
            </dev/null || code=$?
        cat "$ZQ_WINE_LOGS/import_bench.out"
        [ "$code" -eq 0 ] || status=$code
    else
        echo "8. The SQL ledger: FAILED: the database servers did not start" \
            "($ZQ_WINE_LOGS/db-servers.out)"
        status=1
    fi
    zq_db_stop
fi

# Group 11: the line's report over a million records, on servers of its own, started last.
if wanted 11; then
    echo
    if zq_db_start >"$ZQ_WINE_LOGS/db-servers-report.out" 2>&1; then
        code=0
        build/native/bench/report_bench 500000 "$runs" >"$ZQ_WINE_LOGS/report_bench.out" 2>&1 \
            </dev/null || code=$?
        cat "$ZQ_WINE_LOGS/report_bench.out"
        [ "$code" -eq 0 ] || status=$code
    else
        echo "11. ledger report: FAILED: the database servers did not start" \
            "($ZQ_WINE_LOGS/db-servers-report.out)"
        status=1
    fi
    zq_db_stop
fi

exit "$status"
