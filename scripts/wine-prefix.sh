#!/bin/sh
# Prepares a Wine prefix the programs and tests run in, once per folder: 64-bit (or,
# with 32, a 32-bit one for the emulated Wine of scripts/wine32.sh), no Mono or Gecko
# prompts, DirectDraw on the GDI renderer, no crash dialog.
# Usage: wine-prefix.sh <prefix folder> [32|64] [desktop]
#
# Without "desktop" the prefix is for a display without a window manager (the tests'
# Xvfb): its windows are unmanaged. Wine otherwise waits up to 2 s at every hide or
# close of a window for a window manager to withdraw it, and none ever does there.
# "desktop" leaves them to the window manager of a real display (make run).
set -e
# The marker names what the prefix was made with; another one means make it anew.
kind="v2 ${2:-64} ${3:-tests}"
[ -f "$1/.vantel-ready" ] && [ "$(cat "$1/.vantel-ready")" = "$kind" ] && exit 0
# One maker at a time (make test prepares the prefixes behind the builds); a second
# one waits for the first, then finds the prefix made.
mkdir -p "$(dirname "$1")"
exec 9>"$1.lock"
flock 9
[ -f "$1/.vantel-ready" ] && [ "$(cat "$1/.vantel-ready")" = "$kind" ] && exit 0
rm -rf "$1"
prefix=$(mkdir -p "$1" && cd "$1" && pwd) # Wine wants a full path
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$2" = 32 ]; then
    top=$(cd "$(dirname "$0")/.." && pwd)
    export WINEARCH=win32
    wine="$top/scripts/wine32.sh"
    "$top/scripts/emu32-setup.sh" "${VANTEL_EMU32_DIR:-$top/build/emu32}" >/dev/null
    # user32 loads zlib1.dll from the prefix (Debian's wine32 leaves it out): put it
    # there before Wine's first start needs it.
    mkdir -p "$prefix/drive_c/windows/system32"
    cp "${VANTEL_EMU32_DIR:-$top/build/emu32}/root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll" \
        "$prefix/drive_c/windows/system32/"
else
    export WINEARCH=win64
    wine=/usr/lib/wine/wine64
fi
$wine wineboot -i >/dev/null 2>&1 9>&-
# One registry file of settings: a Wine start less than a reg call each (seconds under emulation).
settings="$prefix/vantel-settings.reg"
{
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Direct3D]\r\n"renderer"="no3d"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
    if [ "${3:-tests}" != desktop ]; then
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n'
    fi
} >"$settings"
$wine regedit /S "$(echo "Z:$settings" | sed 's|/|\\|g')" >/dev/null 2>&1 9>&-
/usr/lib/wine/wineserver -w
echo "$kind" >"$prefix/.vantel-ready"
