#!/usr/bin/env bash
# Builds Rallyo for 32-bit Windows on Debian 12 and leaves
# build/win32/rallyo-<version>-win32.zip: the game, SDL.dll, the pictures,
# a readme and the licences. With "test" it builds the Windows tests too
# (tools/test-windows.sh runs them). Installs what it needs as root or with
# sudo, asking apt only for what is missing.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/win32
mode=${1:-package}

. tools/apt.bash
if [ "$mode" = test ]; then need windows-test; else need windows; fi

# The machine's own Debian archives, as deb-src entries in a private apt
# configuration: the system's sources and package lists stay as they are.
apt_private() {
    local dir=$out/apt
    mkdir -p "$dir/sources.list.d" "$dir/lists/partial" "$dir/cache/archives/partial"
    {
        # deb822 files: each stanza of Types "deb" again as "deb-src".
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] || continue
            awk 'BEGIN { RS = ""; ORS = "\n\n" }
                 /(^|\n)Types:[^\n]*(^|[ \t])deb([ \t]|\n|$)/ {
                     sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print
                 }' "$f"
        done
        # One-line files: "deb [options] uri suite components".
        for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
            [ -f "$f" ] || continue
            sed -n 's/^[[:space:]]*deb\([[:space:]]\)/deb-src\1/p' "$f" |
                awk '{ print "Types: deb-src"; o = ""
                       if ($2 ~ /^\[/) { o = $2; while (o !~ /\]$/) { $2 = ""; $0 = $0; o = o " " $2 }
                                         sub(/^\[/, "", o); sub(/\]$/, "", o); $2 = ""; $0 = $0 }
                       n = split(o, opts, " ")
                       for (i = 1; i <= n; i++) if (opts[i] ~ /^signed-by=/) { sub(/^signed-by=/, "", opts[i]); print "Signed-By: " opts[i] }
                       print "URIs: " $2; print "Suites: " $3
                       c = ""; for (i = 4; i <= NF; i++) c = c " " $i
                       print "Components:" c; print "" }'
        done
    } >"$dir/sources.list.d/src.sources"
    grep -q '^Types: deb-src' "$dir/sources.list.d/src.sources" ||
        { echo "no Debian archive in this machine's apt sources" >&2; exit 1; }
    APT_PRIVATE=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$dir/sources.list.d"
        -o "Dir::State::Lists=$dir/lists" -o "Dir::Cache=$dir/cache" -o APT::Sandbox::User=root)
}

# SDL 1.2 for Windows, from Debian's own source, built once and kept; a kept
# build made any other way is made again. The console keeps the banner (no
# stdout.txt), SDL.dll needs no MinGW runtime DLL beside it, and no folder of
# this machine's goes into it.
sdl=$out/sdl
sdl_configure=(--host=i686-w64-mingw32 --disable-static --enable-shared --disable-stdio-redirect
    "CC=i686-w64-mingw32-gcc -static-libgcc" "CFLAGS=-g -O2 -ffile-prefix-map=$out/sdl-src=.")
if [ "$(cat "$sdl/configured" 2>/dev/null)" != "${sdl_configure[*]}" ]; then
    apt_private
    rm -rf "$out/sdl-src" "$sdl"
    mkdir -p "$out/sdl-src"
    apt_update "${APT_PRIVATE[@]}"
    (cd "$out/sdl-src" && "${apt_get[@]}" "${APT_PRIVATE[@]}" source -qq libsdl1.2 >/dev/null)
    src=$(find "$out/sdl-src" -mindepth 1 -maxdepth 1 -type d -name 'libsdl1.2-*' | head -n 1)
    [ -n "$src" ] || { echo "apt-get source libsdl1.2 gave no source tree" >&2; exit 1; }
    # The linker and strip write SOURCE_DATE_EPOCH into the DLL as its time:
    # here the time of the source's own Debian changelog entry, as Debian
    # dates its builds, so that SDL.dll is the same bytes whenever, and for
    # whichever commit of the game, it is built.
    sdl_time=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Timestamp)
    (export SOURCE_DATE_EPOCH=$sdl_time && cd "$src" &&
        ./configure -q --build="$(sh build-scripts/config.guess)" --prefix="$sdl" "${sdl_configure[@]}" >/dev/null &&
        make -s -j2 >/dev/null 2>&1 && make -s install >/dev/null &&
        i686-w64-mingw32-strip --strip-unneeded "$sdl/bin/SDL.dll")
    # What the zip says of SDL's source: the package and version it was built from.
    dpkg-parsechangelog -l "$src/debian/changelog" -S Version >"$sdl/debian-version"
    cp "$src/COPYING" "$sdl/COPYING"
    # Written last: a build cut short is never kept.
    echo "${sdl_configure[*]}" >"$sdl/configured"
fi

# The game (and with "test" its tests) for Windows, and the zip. Built with
# the flags the Linux tests use, so the zip holds the very program tested;
# the source folder's name stays out of its debugging and __FILE__ strings.
# Stripping the installed rallyo.exe writes SOURCE_DATE_EPOCH into it as its
# time (tools/release.sh sets it; without it, the time of the build).
tests=OFF
[ "$mode" = test ] && tests=ON
cmake -S . -B "$out/game" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" -DRALLYO_WIN32_SDL="$sdl" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRALLYO_TESTS=$tests -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$root=." >/dev/null
cmake --build "$out/game" -j2
rm -rf "$out/zip-tree"
cmake --install "$out/game" --prefix "$out/zip-tree" --strip >/dev/null
version=$(tools/version.sh)
rm -f "$out"/rallyo-*-win32.zip
tools/zip-folder.sh "$out/zip-tree" "$out/rallyo-$version-win32.zip"
ls "$out"/rallyo-*-win32.zip
