#!/bin/sh
# Installs what building and testing need, when it is missing (Debian).
set -e
packages="cmake make g++ python3 g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 xvfb xdotool
imagemagick x11-utils x11-xserver-utils googletest zip alsa-utils faketime"
missing=""
for p in $packages; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
