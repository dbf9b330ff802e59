#!/bin/sh
# Runs a Windows test program under wine64, or with --32 under the emulated 32-bit
# Wine (scripts/wine32.sh), with the project's Wine prefix of that kind.
# The prefix and the display come from the environment set by tests/run-all.sh;
# without them a private prefix in the build folder is used.
top=$(cd "$(dirname "$0")/.." && pwd)
wine=/usr/lib/wine/wine64 arch=win64 prefix="$top/build/wineprefix"
if [ "$1" = "--32" ]; then
    shift
    wine="$top/scripts/wine32.sh" arch=win32 prefix="$top/build/wineprefix32"
fi
: "${WINEPREFIX:=$prefix}"
export WINEPREFIX WINEARCH=$arch WINEDEBUG="${WINEDEBUG:--all}" WINE_D3D_CONFIG=renderer=no3d
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec "$wine" "$@"
