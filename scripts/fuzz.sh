#!/bin/bash
# Builds the libFuzzer targets and runs each for a fixed time from its committed seed corpus.
# Prints the executions each ran; fails on any crash or sanitizer report.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
seconds="${ZQ_FUZZ_SECONDS:-30}"

mkdir -p build
cmake --preset fuzz >build/fuzz-build.log 2>&1 &&
    cmake --build --preset fuzz --target gather_form_fuzz show_record_fuzz log_csv_fuzz \
        job_file_fuzz serial_format_fuzz serial_list_fuzz -j"$(nproc)" \
        >>build/fuzz-build.log 2>&1 || { tail -n 60 build/fuzz-build.log; exit 1; }

failed=0
for target in gather_form show_record log_csv job_file serial_format serial_list; do
    # The seeds stay as committed; what the run finds goes to a scratch copy.
    work=$(mktemp -d)
    cp -r "tests/fuzz/corpus/$target/." "$work/"
    log="build/fuzz-$target.log"
    if "build/fuzz/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 \
        -artifact_prefix="build/fuzz-$target-" "$work" >"$log" 2>&1; then
        runs=$(grep -oE 'Done [0-9]+ runs' "$log" | grep -oE '[0-9]+' || echo '?')
        echo "fuzz $target: $runs executions in ${seconds} s, no failure"
    else
        echo "fuzz $target: FAILED"
        tail -n 40 "$log"
        failed=1
    fi
    rm -rf "$work"
done
exit "$failed"
