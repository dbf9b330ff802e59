#!/bin/sh
# Builds the libFuzzer targets with clang in <build>/fuzz and runs each for a bounded
# time from a copy of its seed corpus (tests/fuzz/corpus/<target>), so the tree stays
# as it is. Prints per target the executions and the findings (crash, leak, timeout
# and out-of-memory files), then the totals; exits non-zero on any finding.
#   tests/fuzz/run-fuzz.sh [build folder]   VANTEL_FUZZ_SECONDS: seconds per target (25)
set -u

BUILD=${1:-build}
SECONDS_EACH=${VANTEL_FUZZ_SECONDS:-25}
TARGETS="settings_values date_texts skin_values wave_image message_text screen_places pixel_runs bitmap_header"
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DIR=$BUILD/fuzz

if ! command -v clang++ >/dev/null 2>&1; then
    echo "make fuzz needs clang with libFuzzer: apt-get install clang" >&2
    exit 2
fi
CC=clang CXX=clang++ cmake -S "$ROOT" -B "$DIR" -DVANTEL_LIBFUZZER=ON >/dev/null || exit 2
cmake --build "$DIR" --target libfuzzer_targets -j"${JOBS:-2}" >/dev/null || {
    cmake --build "$DIR" --target libfuzzer_targets -j1 2>&1 | tail -30
    exit 2
}

total_runs=0
total_findings=0
failed=0
printf '%-16s %12s %10s %9s\n' target executions exec/s findings
for target in $TARGETS; do
    work=$DIR/run/$target
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/findings"
    cp "$ROOT/tests/fuzz/corpus/$target/"* "$work/corpus/"
    "$DIR/tests/fuzz/${target}_libfuzzer" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/findings/" "$work/corpus" >"$work/log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log" | tail -1)
    findings=$(find "$work/findings" -type f | wc -l)
    printf '%-16s %12s %10s %9s\n' "$target" "${runs:-?}" "${rate:-?}" "$findings"
    if [ "$findings" -gt 0 ] || [ "$status" -ne 0 ]; then
        failed=1
        echo "  exit status $status; log $work/log; findings in $work/findings/:" >&2
        find "$work/findings" -type f | sed 's/^/    /' >&2
        grep -m3 -E 'ERROR|property broken|runtime error' "$work/log" | sed 's/^/    /' >&2
    fi
    total_runs=$((total_runs + ${runs:-0}))
    total_findings=$((total_findings + findings))
done
echo "fuzz: $total_runs executions in all, $total_findings findings ($SECONDS_EACH s per target)"
exit $failed
