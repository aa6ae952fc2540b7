#!/usr/bin/env bash
# Builds the Debian package into build/package and prints its path: the
# launcher in /usr/games as Debian keeps games, compiled with Debian's own
# hardening flags.
set -eu
cd "$(dirname "$0")/.."
# The package's folders take their modes from the umask: under 077 it would
# install folders that only root can enter. dpkg-buildpackage sets 022 too.
umask 022
tools/deps.sh package >&2
build=build/package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DRALLYO_TESTS=OFF -DRALLYO_BINDIR=games \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >&2
cmake --build "$build" -j"$(nproc)" >&2
rm -f "$build"/rallyo_*.deb
(cd "$build" && cpack -G DEB >&2)
version=$(tools/version.sh)
deb=$PWD/$build/rallyo_${version}_$(dpkg --print-architecture).deb

# cpack counts each folder's size on the disk into Installed-Size, and
# folders take more room on some file systems than on others. dpkg-deb packs
# the same tree again, its size counted as dpkg-gencontrol counts it: each
# file's size rounded up to a KiB, and a KiB for each folder.
tree=$build/deb-tree
rm -rf "$tree"
dpkg-deb -R "$deb" "$tree"
size=$(find "$tree" -mindepth 1 -path "$tree/DEBIAN" -prune -o -printf '%y %s\n' |
    awk '{ n += $1 == "f" ? int(($2 + 1023) / 1024) : 1 } END { print n }')
sed -i "s/^Installed-Size: .*/Installed-Size: $size/" "$tree/DEBIAN/control"
dpkg-deb --root-owner-group -b "$tree" "$deb" >&2
echo "$deb"
