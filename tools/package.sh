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
version=$(sed -n 's/^project(rallyo VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
echo "$PWD/$build/rallyo_${version}_$(dpkg --print-architecture).deb"
