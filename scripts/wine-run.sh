#!/bin/sh
# Runs a Windows test program under wine64 with the project's Wine prefix.
# The prefix and the display come from the environment set by tests/run-all.sh;
# without them a private prefix in the build folder is used.
: "${WINEPREFIX:=$(cd "$(dirname "$0")/.." && pwd)/build/wineprefix}"
export WINEPREFIX WINEARCH=win64 WINEDEBUG="${WINEDEBUG:--all}" WINE_D3D_CONFIG=renderer=no3d
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec /usr/lib/wine/wine64 "$@"
