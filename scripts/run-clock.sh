#!/bin/sh
# Runs the clock (64-bit build, with the message program beside it) under wine64 from
# a program folder of its own in the build folder; with 32, the shipped 32-bit build under the emulated 32-bit Wine
# (set up on first use). On $DISPLAY when there is one; otherwise on a private Xvfb,
# where a screenshot of the running clock is left in the build folder and the clock closed.
# Usage: run-clock.sh [32|64]
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
if [ "${1:-64}" = 32 ]; then
    prefix="$build/wineprefix32" programs="$build/win32" run="$build/run32" arch=--32
else
    prefix="$build/wineprefix" programs="$build/win64" run="$build/run" arch=""
fi
"$top/scripts/wine-prefix.sh" "$prefix" "${1:-64}"
mkdir -p "$run"
cp "$programs/vantel.exe" "$programs/vantelmsg.exe" "$run/"
export WINEPREFIX="$prefix"

if [ -n "$DISPLAY" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$top/scripts/wine-run.sh" $arch "$run/vantel.exe"
fi

# A machine without a sound card: the clock's sound goes to a file instead, so
# it starts without the "Sound is disabled" box.
home="$run-home"
mkdir -p "$home"
printf 'pcm.!default { type file slave.pcm "null" file "%s/played.raw" format "raw" }\n' "$home" >"$home/.asoundrc"
export HOME="$home"

display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
export DISPLAY=":$display"
tries=0
until xdpyinfo >/dev/null 2>&1; do
    tries=$((tries + 1)); [ $tries -gt 100 ] && { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
"$top/scripts/wine-run.sh" $arch "$run/vantel.exe" &
clock=$!
tries=0
until window=$(xdotool search --onlyvisible --name '^Vantel - Digital clock$' 2>/dev/null | head -n 1) && [ -n "$window" ]; do
    tries=$((tries + 1)); [ $tries -gt 600 ] && { echo "The clock window did not appear" >&2; exit 1; }
    sleep 0.1
done
# Wine paints the whole screen black as it starts; the desktop colour goes on after.
xsetroot -solid '#3a6ea5'
sleep 1 # let the first ticks draw the digits before the picture is taken
import -window root -crop 400x200+0+0 "$build/clock-screenshot.png"
echo "Screenshot of the running clock: $build/clock-screenshot.png"
xdotool windowfocus --sync "$window" key Escape 2>/dev/null || true
tries=0
while kill -0 $clock 2>/dev/null; do
    tries=$((tries + 1)); [ $tries -gt 100 ] && { kill $clock; break; }
    sleep 0.1
done
/usr/lib/wine/wineserver -k 2>/dev/null || true
