#!/bin/bash
# Packs the release: the shipped 32-bit programs, the sample skins and the user's
# README.txt (with Windows line ends) into BUILD/vantel.zip, under one folder Vantel.
#   pack-dist.sh BUILD
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
stage="$build/dist/Vantel"
rm -rf "$build/dist" "$build/vantel.zip"
mkdir -p "$stage/skins"
cp "$build/win32/vantel.exe" "$build/win32/vantelmsg.exe" "$stage/"
cp "$top"/resources/skins/* "$stage/skins/"
sed 's/$/\r/' "$top/resources/README.txt" > "$stage/README.txt"
(cd "$build/dist" && zip -qrX ../vantel.zip Vantel)
echo "$build/vantel.zip"
