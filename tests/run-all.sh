#!/bin/bash
# Runs every test level and ends in one summary line "tests: N passed, N failed".
#   1. native unit tests of the platform-free logic (sanitizers on)
#   2. Windows-side tests of the 64-bit build under wine64, on a private Xvfb (and those
#      labelled depth16 on one of 16 bits per pixel)
#   3. the release zip, packed as `make dist` packs it, unpacked and checked; then
#      end-to-end tests of the real programs under wine64 and Xvfb
#   4. the shipped 32-bit build under emulated 32-bit Wine (scripts/wine32.sh): the
#      Windows-side tests built for 32 bits (build/win32-tests), then the same
#      end-to-end tests against build/win32's programs (VANTEL_E2E_ARCH=32)
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
passed=0
failed=0
log="$build/test-logs"
mkdir -p "$log"

# Adds the counts of a ctest run (its closing line) to the totals.
count_ctest() {
    local line total bad
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$1" | tail -n 1)
    if [ -z "$line" ]; then
        failed=$((failed + 1))
        return
    fi
    bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
    total=$(echo "$line" | sed -E 's/.* out of ([0-9]+).*/\1/')
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

echo "== native unit tests"
(cd "$build/native" && ctest --output-on-failure) 2>&1 | tee "$log/native.txt"
count_ctest "$log/native.txt"

# Runs the Windows-side ctest cases of a build folder selected by the arguments on a
# private Xvfb of the given depth, with one wineserver for all of them: every case is
# a process of its own, and a server that stays up spares each the start of a new one.
# wine-run.sh's arch flag (--32 or "") says which Wine warms the prefix up.
windows_tests() {
    local depth=$1 name=$2 folder=$3 arch=$4 display xvfb
    shift 4
    display=$(python3 "$top/tests/e2e/rig.py" free-display)
    Xvfb ":$display" -screen 0 "1024x768x$depth" -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=":$display"
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    /usr/lib/wine/wineserver -p
    # Wine starts its background services with the first program; started here, they
    # do not hold on to the output of the first test case, which ctest waits for.
    "$top/scripts/wine-run.sh" $arch cmd /c exit </dev/null >/dev/null 2>&1
    (cd "$folder" && ctest "$@" --output-on-failure --timeout 120) 2>&1 | tee "$log/$name.txt"
    count_ctest "$log/$name.txt"
    /usr/lib/wine/wineserver -k 2>/dev/null
    kill $xvfb 2>/dev/null
    wait $xvfb 2>/dev/null
    unset DISPLAY
}

"$top/scripts/wine-prefix.sh" "$build/wineprefix"
export WINEPREFIX="$build/wineprefix"
echo "== Windows-side tests under wine64"
windows_tests 24 windows "$build/win64" "" -LE depth16
echo "== Windows-side tests on a 16-bit display"
windows_tests 16 windows16 "$build/win64" "" -L depth16

# Adds the counts of a run that ends in "NAME: N passed, N failed" (its closing line)
# to the totals.
count_named() {
    local line
    line=$(grep -E "^$2: [0-9]+ passed, [0-9]+ failed" "$1" | tail -n 1)
    if [ -n "$line" ]; then
        passed=$((passed + $(echo "$line" | sed -E 's/[a-z0-9]+: ([0-9]+) passed.*/\1/')))
        failed=$((failed + $(echo "$line" | sed -E 's/.* ([0-9]+) failed.*/\1/')))
    else
        failed=$((failed + 1))
    fi
}

count_e2e() {
    count_named "$1" e2e
}

echo "== release zip"
("$top/scripts/pack-dist.sh" "$build" && python3 "$top/tests/release/check_dist.py" "$build/vantel.zip") 2>&1 \
    | tee "$log/release.txt"
count_named "$log/release.txt" release

echo "== end-to-end tests"
python3 "$top/tests/e2e/run.py" 2>&1 | tee "$log/e2e.txt"
count_e2e "$log/e2e.txt"

# The shipped build runs only under emulation here; the emulated Wine and its
# prefix are made once and kept in the build folder (emu32-setup.sh says "cached").
level_started=$SECONDS
echo "== 32-bit emulation set-up"
if "$top/scripts/emu32-setup.sh" "${VANTEL_EMU32_DIR:-$build/emu32}" \
    && "$top/scripts/wine-prefix.sh" "$build/wineprefix32" 32; then
    echo "32-bit set-up took $((SECONDS - level_started)) s"
    export WINEPREFIX="$build/wineprefix32"
    echo "== Windows-side tests of the 32-bit build under emulation"
    windows_tests 24 windows32 "$build/win32-tests" --32 -LE depth16
    echo "== Windows-side tests of the 32-bit build on a 16-bit display"
    windows_tests 16 windows32-16 "$build/win32-tests" --32 -L depth16
    unset WINEPREFIX
    echo "== end-to-end tests of the 32-bit programs under emulation"
    VANTEL_E2E_ARCH=32 python3 "$top/tests/e2e/run.py" 2>&1 | tee "$log/e2e32.txt"
    count_e2e "$log/e2e32.txt"
else
    echo "the 32-bit emulation could not be set up"
    failed=$((failed + 1))
fi
echo "32-bit level took $((SECONDS - level_started)) s"

echo
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
