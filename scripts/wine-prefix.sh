#!/bin/sh
# Prepares the Wine prefix the programs and tests run in, once per build folder:
# 64-bit, no Mono or Gecko prompts, DirectDraw on the GDI renderer, no crash dialog.
# Usage: wine-prefix.sh <prefix folder>
set -e
prefix="$1"
[ -f "$prefix/.vantel-ready" ] && exit 0
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
$wine wineboot -i >/dev/null 2>&1
$wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d no3d /f >/dev/null 2>&1
$wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
/usr/lib/wine/wineserver -w
touch "$prefix/.vantel-ready"
