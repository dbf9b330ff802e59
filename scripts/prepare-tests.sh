#!/bin/sh
# Makes what the test levels run in but does not depend on the build: the 64-bit Wine
# prefix, the emulated 32-bit Wine and its two prefixes. make test starts this behind the
# builds, so that the downloads and the slow emulated first start overlap them; the
# test levels then find everything made (or wait for a maker still at work).
# Usage: prepare-tests.sh <build folder>
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1
"$top/scripts/wine-prefix.sh" "$build/wineprefix"
"$top/scripts/emu32-setup.sh" "${VANTEL_EMU32_DIR:-$build/emu32}" \
    && "$top/scripts/wine-prefix.sh" "$build/wineprefix32" 32 \
    && "$top/scripts/wine-prefix.sh" "$build/wineprefix32-b" 32
