#!/bin/sh
# Runs a program under the emulated 32-bit Wine that scripts/emu32-setup.sh set up
# (in $VANTEL_EMU32_DIR, by default build/emu32), as wine64 would run it. The prefix
# comes from WINEPREFIX, as for wine64; it must be a 32-bit one (wine-prefix.sh ... 32).
dir=${VANTEL_EMU32_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build/emu32}
# VANTEL_EMULATED tells the tests that timings are the emulator's here.
export WINEARCH=win32 VANTEL_EMULATED=1
exec "$dir/qemu/usr/bin/qemu-i386" -L "$dir/root" "$dir/root/usr/lib/wine/wine" "$@"
