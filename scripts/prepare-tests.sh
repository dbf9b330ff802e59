#!/bin/bash
# Makes what the test levels run in but does not depend on the build: the 64-bit Wine
# prefix, the emulated 32-bit Wine and its two prefixes. make test starts this behind the
# builds, so that the downloads and the slow emulated first start overlap them; the
# test levels then find everything made (or wait for a maker still at work).
# Usage: prepare-tests.sh <build folder>
top=$(cd "$(dirname "$0")/.." && pwd)
build=$1

# Runs a step and says how long it took.
step() { # <what> <command...>
    local what=$1 started=$SECONDS
    shift
    if "$@"; then
        echo "prepared: $what in $((SECONDS - started)) s"
    else
        echo "prepared: $what FAILED after $((SECONDS - started)) s"
        return 1
    fi
}

step "64-bit prefix" "$top/scripts/wine-prefix.sh" "$build/wineprefix"
step "32-bit emulation" "$top/scripts/emu32-setup.sh" "${VANTEL_EMU32_DIR:-$build/emu32}" \
    && step "32-bit prefix" "$top/scripts/wine-prefix.sh" "$build/wineprefix32" 32 \
    && step "second 32-bit prefix" "$top/scripts/wine-prefix.sh" "$build/wineprefix32-b" 32
