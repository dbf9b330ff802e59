#!/bin/sh
# Sets up 32-bit Wine under qemu's user-mode emulation in a private folder, once:
# these machines cannot run 32-bit code, and installing wine32 (or adding the i386
# architecture) would break the 64-bit Wine of the other test levels. So nothing
# here touches the machine's apt or dpkg: Debian's packages are fetched through
# private apt states and unpacked with dpkg -x, never installed.
# Usage: emu32-setup.sh <folder>   (prints where it is and how long it took)
set -e
dir=$(mkdir -p "$1" && cd "$1" && pwd)
root="$dir/root"
started=$(date +%s.%N)
# One set-up at a time: a second caller (make test prepares it behind the builds) waits
# for the first, then finds it made.
exec 9>"$dir.lock"
flock 9
took() { echo "$(date +%s.%N) $started" | awk '{ printf "%.1f", $1 - $2 }'; }
if [ -f "$dir/.ready" ]; then
    echo "32-bit emulation: cached in $dir ($(took) s)"
    exit 0
fi
echo "32-bit emulation: setting up in $dir (downloads about 250 MB once)"

# A private apt state of the given architecture: its own sources (the machine's, or
# with a release name the machine's mirrors with that release's suites), lists, cache
# and an empty dpkg status, so apt fetches every dependency and the machine's own
# state is neither read nor changed. The trusted keys stay the machine's.
apt_state() { # <folder> <architecture> [Debian release]
    mkdir -p "$1/etc/apt/sources.list.d" "$1/etc/apt/apt.conf.d" "$1/etc/apt/preferences.d" \
        "$1/state/lists/partial" "$1/cache/archives/partial" "$1/dpkg"
    : >"$1/dpkg/status"
    for sources in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list; do
        [ -f "$sources" ] || continue
        # bookworm, bookworm-updates, bookworm-security -> trixie, trixie-updates, ...
        awk -v release="${3:-}" 'release != "" && ($1 == "Suites:" || $1 == "deb") {
            for (i = ($1 == "deb" ? 3 : 2); i <= ($1 == "deb" ? 3 : NF); i++)
                sub(/^[a-z]+/, release, $i)
        } { print }' "$sources" >"$1/etc/apt/sources.list.d/$(basename "$sources")"
    done
    cat >"$1/apt.conf" <<CONF
APT::Architecture "$2";
APT::Architectures { "$2"; };
Dir::Etc "$1/etc/apt";
Dir::Etc::TrustedParts "/etc/apt/trusted.gpg.d";
Dir::Etc::Trusted "/etc/apt/trusted.gpg";
Dir::State "$1/state";
Dir::State::status "$1/dpkg/status";
Dir::Cache "$1/cache";
Acquire::Languages "none";
APT::Sandbox::User "root";
CONF
    APT_CONFIG="$1/apt.conf" apt-get update -qq
}

# Wine's 32-bit half and the X, GL, TLS and D-Bus libraries it opens at run time. The
# 32-bit Wine talks to the machine's wineserver, so it must be the machine's version.
wine=$(dpkg-query -W -f '${Version}' wine64)
apt_state "$dir/apt-i386" i386
APT_CONFIG="$dir/apt-i386/apt.conf" apt-get install --download-only -y -qq --no-install-recommends \
    "wine32=$wine" "libwine=$wine" libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1 \
    libxfixes3 libxxf86vm1 libgl1 libgl1-mesa-dri libgnutls30 libdbus-1-3 fonts-wine \
    libasound2 >/dev/null

# Bookworm's qemu 7.2 hands Wine's fault handler a wrong trap number; trixie's
# qemu-user (statically linked) does not.
apt_state "$dir/apt-trixie" amd64 trixie
(cd "$dir/apt-trixie/cache/archives" && APT_CONFIG="$dir/apt-trixie/apt.conf" apt-get download -qq qemu-user)

rm -rf "$root" "$dir/qemu"
mkdir -p "$root" "$dir/qemu"
for deb in "$dir"/apt-i386/cache/archives/*.deb; do dpkg -x "$deb" "$root"; done
dpkg -x "$dir"/apt-trixie/cache/archives/qemu-user_*.deb "$dir/qemu"

# Wine starts itself and every child as <bindir>/wine-preloader <bindir>/wine ...,
# and Debian ships no preloader: this one hands the command to the emulator.
# It finds the root and the emulator from where it lies, so the folder may move.
cat >"$root/usr/lib/wine/wine-preloader" <<'SH'
#!/bin/sh
root=$(cd "$(dirname "$0")/../../.." && pwd)
exec "$root/../qemu/usr/bin/qemu-i386" -L "$root" "$@"
SH
chmod +x "$root/usr/lib/wine/wine-preloader"

# user32 loads zlib1.dll, which the packages leave beside the mingw libraries.
cp "$root/usr/i686-w64-mingw32/lib/zlib1.dll" "$root/usr/lib/i386-linux-gnu/wine/i386-windows/"

# The root's own library cache: without it the emulated loader reads the host's
# cache and loads the 64-bit libc.
printf '/lib/i386-linux-gnu\n/usr/lib/i386-linux-gnu\n' >"$root/etc/ld.so.conf"
ldconfig -r "$root"

# The downloaded packages are not needed again; the lists stay for a later refresh.
rm -f "$dir"/apt-i386/cache/archives/*.deb "$dir"/apt-trixie/cache/archives/*.deb
touch "$dir/.ready"
echo "32-bit emulation: ready in $dir ($(took) s)"
