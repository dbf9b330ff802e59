#!/bin/sh
# Runs the benchmarks (64-bit build) under wine64 with the project's Wine prefix, on a
# private Xvfb; with 32, the 32-bit ones (build/win32-tests) under the emulated Wine.
# Usage: run-bench.sh <build folder> [32]
set -u
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd) || exit 1
if [ "${2:-}" = 32 ]; then
    prefix="$build/wineprefix32" tests="$build/win32-tests" arch=--32
else
    prefix="$build/wineprefix" tests="$build/win64" arch=""
fi
"$top/scripts/wine-prefix.sh" "$prefix" ${2:-} || exit 1
export WINEPREFIX="$prefix"

# Xvfb picks a free display itself and writes its number to descriptor 3.
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
xvfb=$!
tries=0
until [ -s "$number" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 $xvfb 2>/dev/null; then
        echo "Xvfb did not start" >&2
        kill $xvfb 2>/dev/null
        rm -f "$number"
        exit 1
    fi
    sleep 0.1
done
export DISPLAY=":$(cat "$number")"
rm -f "$number"

"$top/scripts/wine-run.sh" $arch "$tests/tests/bench/region_bench.exe"
status=$?
"$top/scripts/wine-run.sh" $arch "$tests/tests/bench/tick_bench.exe" || status=1

# Let this prefix's Wine processes end before their display goes away.
timeout 30 /usr/lib/wine/wineserver -w 2>/dev/null
kill $xvfb 2>/dev/null
wait $xvfb 2>/dev/null
exit $status
