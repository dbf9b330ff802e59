#!/bin/bash
# Runs the clock (64-bit build, with the message program beside it) under wine64 from
# a program folder of its own in the build folder; with 32, the shipped 32-bit build
# under the emulated 32-bit Wine (set up on first use). On $DISPLAY when there is one;
# otherwise on a private Xvfb, where a screenshot of the running clock is left in the
# build folder and the clock closed.
# Usage: run-clock.sh [32|64]
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
arch=${1:-64}
if [ "$arch" = 32 ]; then
    programs="$build/win32" run="$build/run32" flag=--32
else
    programs="$build/win64" run="$build/run" flag=""
fi
mkdir -p "$run"
cp "$programs/vantel.exe" "$programs/vantelmsg.exe" "$run/"

if [ -n "$DISPLAY" ] && xdpyinfo >/dev/null 2>&1; then
    # A real display has a window manager: a prefix of its own that leaves windows to it.
    export WINEPREFIX="$build/wineprefix-desktop$([ "$arch" = 32 ] && echo 32)"
    [ -f "$WINEPREFIX/.vantel-ready" ] || echo "Making the Wine prefix $WINEPREFIX (once)..."
    "$top/scripts/wine-prefix.sh" "$WINEPREFIX" "$arch" desktop
    exec "$top/scripts/wine-run.sh" $flag "$run/vantel.exe"
fi

export WINEPREFIX="$build/wineprefix$([ "$arch" = 32 ] && echo 32)"
[ -f "$WINEPREFIX/.vantel-ready" ] || echo "Making the Wine prefix $WINEPREFIX (once; under emulation a minute or more)..."
"$top/scripts/wine-prefix.sh" "$WINEPREFIX" "$arch"

# A machine without a sound card: the clock's sound goes to a file instead, so
# it starts without the "Sound is disabled" box.
home="$run-home"
mkdir -p "$home"
printf 'pcm.!default { type file slave.pcm "null" file "%s/played.raw" format "raw" }\n' "$home" >"$home/.asoundrc"
export HOME="$home"

displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$displayfile"' EXIT
for _ in $(seq 200); do [ -s "$displayfile" ] && break; sleep 0.1; done
[ -s "$displayfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$displayfile")"

# CPU time (clock ticks) of a process and its children that have ended.
cpu_time() {
    awk '{ print $14 + $15 + $16 + $17 }' "/proc/$1/stat" 2>/dev/null || echo 0
}

"$top/scripts/wine-run.sh" $flag "$run/vantel.exe" &
clock=$!
# A first start (a new prefix, emulation) can take minutes: wait as long as the clock
# runs and works, and give up only when it has ended or done nothing for a minute.
echo "Waiting for the clock window..."
started=$SECONDS last_cpu=0 last_progress=$SECONDS told=$SECONDS
until window=$(xdotool search --onlyvisible --name '^Vantel - Digital clock$' 2>/dev/null | head -n 1) \
    && [ -n "$window" ]; do
    if ! kill -0 $clock 2>/dev/null; then
        wait $clock && code=0 || code=$?
        echo "The clock ended (exit code $code) before its window appeared" >&2
        exit 1
    fi
    cpu=$(cpu_time $clock)
    [ "$cpu" != "$last_cpu" ] && last_cpu=$cpu last_progress=$SECONDS
    if [ $((SECONDS - last_progress)) -ge 60 ] || [ $((SECONDS - started)) -ge 600 ]; then
        echo "The clock window did not appear: the clock did no work for $((SECONDS - last_progress)) s" \
            "($((SECONDS - started)) s since its start)" >&2
        kill $clock 2>/dev/null
        exit 1
    fi
    if [ $((SECONDS - told)) -ge 10 ]; then
        echo "Still waiting for the clock window after $((SECONDS - started)) s; the clock is starting" \
            "(CPU time $((cpu / $(getconf CLK_TCK))) s)"
        told=$SECONDS
    fi
    sleep 0.2
done
echo "The clock window appeared after $((SECONDS - started)) s"
# Wine paints the whole screen black as it starts; the desktop colour goes on after.
xsetroot -solid '#3a6ea5'
# The picture is taken once a tick has drawn the face: the seconds change it.
geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /Width/ {w=$2} /Height/ {h=$2} END {print w "x" h "+" x "+" y}')
first=$(import -window root -crop "$geometry" rgb:- | md5sum)
for _ in $(seq 100); do
    sleep 0.2
    [ "$(import -window root -crop "$geometry" rgb:- | md5sum)" != "$first" ] && break
done
import -window root -crop 400x200+0+0 "$build/clock-screenshot.png"
echo "Screenshot of the running clock: $build/clock-screenshot.png"
xdotool windowfocus --sync "$window" key Escape 2>/dev/null || true
for _ in $(seq 100); do kill -0 $clock 2>/dev/null || break; sleep 0.1; done
kill $clock 2>/dev/null || true
/usr/lib/wine/wineserver -k 2>/dev/null || true
