#!/bin/sh
# Prepares the Wine prefix the programs and tests run in, once per build folder:
# 64-bit (or, with 32, a 32-bit one for the emulated Wine of scripts/wine32.sh),
# no Mono or Gecko prompts, DirectDraw on the GDI renderer, no crash dialog.
# Usage: wine-prefix.sh <prefix folder> [32]
set -e
[ -f "$1/.vantel-ready" ] && exit 0
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
$wine wineboot -i >/dev/null 2>&1
$wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d no3d /f >/dev/null 2>&1
$wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
/usr/lib/wine/wineserver -w
touch "$prefix/.vantel-ready"
