#!/bin/bash
# Runs every test level and ends in one summary line "tests: N passed, N failed".
# The levels run in two lanes side by side, each with Xvfb displays, a Wine prefix and
# a wineserver of its own, so that both cores are at work:
#   64-bit lane: native unit tests of the platform-free logic (sanitizers on); the
#                Windows-side tests of the 64-bit build under wine64 (those labelled
#                depth16 on a display of 16 bits per pixel); the release zip, packed as
#                `make dist` packs it, unpacked and checked; the end-to-end tests of the
#                real programs under wine64
#   32-bit lane: the shipped 32-bit build under the emulated 32-bit Wine
#                (scripts/wine32.sh, made once and kept in the build folder): half of
#                the Windows-side tests built for 32 bits (build/win32-tests), then the
#                same end-to-end tests against build/win32's programs (VANTEL_E2E_ARCH=32)
# The 64-bit lane, the shorter, then runs the other half of the 32-bit Windows-side
# tests in a second 32-bit prefix.
# Each level prints its counts and time as it ends; the run ends with a table of them.
# Each level's whole output is kept in build/test-logs.
#
# tests/run-all.sh check runs only the quick levels, for the edit loop (make check):
# the native unit tests and the Windows-side tests of the 64-bit build.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
log="$build/test-logs"
mkdir -p "$log"
results="$log/results.txt" # one line a level: name passed failed seconds
: >"$results"
run_started=$SECONDS

# Notes a level's counts and time (appends of one short line do not mix).
record() { # <name> <passed> <failed> <seconds>
    echo "$1 $2 $3 $4" >>"$results"
    echo "== $1: $2 passed, $3 failed in $4 s"
}

# The counts "passed failed" of a ctest run's closing line (a run without one failed).
ctest_counts() {
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$1" | tail -n 1)
    if [ -z "$line" ]; then
        echo "0 1"
        return
    fi
    echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2 \1/' | awk '{ print $1 - $2, $2 }'
}

# The counts of a run that ends in "NAME: N passed, N failed".
named_counts() { # <file> <name>
    local line
    line=$(grep -E "^$2: [0-9]+ passed, [0-9]+ failed" "$1" | tail -n 1)
    if [ -z "$line" ]; then
        echo "0 1"
        return
    fi
    echo "$line" | sed -E 's/^[a-z0-9]+: ([0-9]+) passed, ([0-9]+) failed.*/\1 \2/'
}

# Starts a private Xvfb of the given depth; sets DISPLAY and xvfb (its process id).
# Xvfb picks a free display itself: no race with the other lane looking for one.
start_xvfb() {
    local depth=$1 answer
    answer=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "1024x768x$depth" -nolisten tcp 3>"$answer" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 200); do [ -s "$answer" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n 1 "$answer")"
    rm -f "$answer"
}

# Runs the Windows-side ctest cases of a build folder selected by the arguments on a
# private Xvfb of the given depth, with one wineserver for all of them: every case is
# a process of its own, and a server that stays up spares each the start of a new one.
# wine-run.sh's arch flag (--32 or "") says which Wine warms the prefix up.
windows_tests() {
    local depth=$1 name=$2 folder=$3 arch=$4 started=$SECONDS counts
    shift 4
    echo "== $name: Windows-side tests"
    start_xvfb "$depth"
    /usr/lib/wine/wineserver -p
    # Wine starts its background services with the first program; started here, they
    # do not hold on to the output of the first test case, which ctest waits for.
    "$top/scripts/wine-run.sh" $arch cmd /c exit </dev/null >/dev/null 2>&1
    (cd "$folder" && ctest "$@" --output-on-failure --timeout 120) >"$log/$name.txt" 2>&1
    grep -E '^ *[0-9]+/[0-9]+ Test|tests passed|^The following|^\s+[0-9]+ - ' "$log/$name.txt" | grep -v ' Passed ' || true
    counts=$(ctest_counts "$log/$name.txt")
    /usr/lib/wine/wineserver -k 2>/dev/null
    kill $xvfb 2>/dev/null
    wait $xvfb 2>/dev/null
    unset DISPLAY
    record "$name" $counts $((SECONDS - started))
}

# Runs a command whose last line is "NAME: N passed, N failed" into its log, showing its
# outcome lines; records the level.
named_level() { # <level> <NAME> <command...>
    local level=$1 name=$2 started=$SECONDS
    shift 2
    echo "== $level"
    "$@" >"$log/$level.txt" 2>&1
    grep -E '\.\.\. (FAIL|ERROR)|^(FAIL|ERROR):|^tightest wait|run took' "$log/$level.txt" || true
    record "$level" $(named_counts "$log/$level.txt" "$name") $((SECONDS - started))
}

# The native tests, then the 64-bit build's Windows-side tests.
quick_levels() {
    local started=$SECONDS
    echo "== native unit tests"
    (cd "$build/native" && ctest --output-on-failure) >"$log/native.txt" 2>&1
    grep -E 'tests passed|\*\*\*Failed|Failed  ' "$log/native.txt" || true
    record native $(ctest_counts "$log/native.txt") $((SECONDS - started))

    "$top/scripts/wine-prefix.sh" "$build/wineprefix"
    export WINEPREFIX="$build/wineprefix"
    windows_tests 24 windows64 "$build/win64" "" -LE depth16
    windows_tests 16 windows64-depth16 "$build/win64" "" -L depth16
    unset WINEPREFIX
}

lane64() {
    quick_levels
    named_level release release \
        sh -c "'$top/scripts/pack-dist.sh' '$build' && python3 '$top/tests/release/check_dist.py' '$build/vantel.zip'"
    named_level e2e64 e2e python3 "$top/tests/e2e/run.py"
    # Then half of the 32-bit Windows-side cases (every other one), in a 32-bit prefix
    # of its own, while the 32-bit lane runs the other half and the end-to-end tests.
    if "$top/scripts/wine-prefix.sh" "$build/wineprefix32-b" 32; then
        export WINEPREFIX="$build/wineprefix32-b"
        windows_tests 24 windows32-odd "$build/win32-tests" --32 -LE depth16 -I 1,,2
        windows_tests 16 windows32-depth16 "$build/win32-tests" --32 -L depth16
        unset WINEPREFIX
    else
        echo "the second 32-bit prefix could not be made"
        record windows32-odd 0 1 0
    fi
}

lane32() {
    local started=$SECONDS
    # The emulated Wine and its prefix are made once and kept in the build folder
    # (make test starts making them behind the builds; this waits for that).
    echo "== 32-bit emulation set-up"
    if ! "$top/scripts/emu32-setup.sh" "${VANTEL_EMU32_DIR:-$build/emu32}" \
        || ! "$top/scripts/wine-prefix.sh" "$build/wineprefix32" 32; then
        echo "the 32-bit emulation could not be set up"
        record emu32-setup 0 1 $((SECONDS - started))
        return
    fi
    record emu32-setup 0 0 $((SECONDS - started))
    export WINEPREFIX="$build/wineprefix32"
    windows_tests 24 windows32-even "$build/win32-tests" --32 -LE depth16 -I 2,,2
    unset WINEPREFIX
    VANTEL_E2E_ARCH=32 named_level e2e32 e2e python3 "$top/tests/e2e/run.py"
}

if [ "${1:-}" = check ]; then
    quick_levels
else
    # Each lane's lines carry its name, as the two print at the same time.
    (lane32 2>&1 | sed -u 's/^/[32-bit] /') &
    lane32_pid=$!
    lane64 2>&1 | sed -u 's/^/[64-bit] /'
    wait $lane32_pid
fi

echo
echo "level                  passed  failed  seconds"
passed=0 failed=0
while read -r name p f s; do
    printf '%-22s %6d  %6d  %7d\n' "$name" "$p" "$f" "$s"
    passed=$((passed + p)) failed=$((failed + f))
done <"$results"
echo "the test run took $((SECONDS - run_started)) s"
# make test notes when it began: the packages, the builds and what was made behind them.
if [ -f "$log/started" ]; then
    echo "make test took $(($(date +%s) - $(cat "$log/started"))) s in all, packages and builds included"
    rm -f "$log/started"
    grep -h "^prepared:" "$log/prepare.txt" 2>/dev/null || true
fi
echo
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
