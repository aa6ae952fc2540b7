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

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt=(apt-get -o DPkg::Lock::Timeout=600)

# Installs every package named that is not installed yet.
need() {
    local p missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    $sudo "${apt[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive $sudo "${apt[@]}" install -y -qq $missing
}

need cmake make pkg-config dpkg-dev g++-mingw-w64-i686 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix \
    binutils-mingw-w64-i686 mingw-w64-tools
[ "$mode" = test ] && need googletest

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

# SDL 1.2 for Windows, from Debian's own source, built once and kept.
sdl=$out/sdl
if [ ! -f "$sdl/lib/pkgconfig/sdl.pc" ] || [ ! -f "$sdl/bin/SDL.dll" ]; then
    apt_private
    rm -rf "$out/sdl-src"
    mkdir -p "$out/sdl-src"
    "${apt[@]}" "${APT_PRIVATE[@]}" update -qq
    (cd "$out/sdl-src" && "${apt[@]}" "${APT_PRIVATE[@]}" source -qq libsdl1.2 >/dev/null)
    src=$(find "$out/sdl-src" -mindepth 1 -maxdepth 1 -type d -name 'libsdl1.2-*' | head -n 1)
    [ -n "$src" ] || { echo "apt-get source libsdl1.2 gave no source tree" >&2; exit 1; }
    # The console keeps the banner (no stdout.txt), and SDL.dll needs no
    # MinGW runtime DLL beside it.
    (cd "$src" && ./configure -q --build="$(sh build-scripts/config.guess)" --host=i686-w64-mingw32 --prefix="$sdl" --disable-static --enable-shared \
        --disable-stdio-redirect CC="i686-w64-mingw32-gcc -static-libgcc" >/dev/null &&
        make -s -j2 >/dev/null 2>&1 && make -s install >/dev/null)
    i686-w64-mingw32-strip --strip-unneeded "$sdl/bin/SDL.dll"
    # What the zip says of SDL's source: the package and version it was built from.
    dpkg-parsechangelog -l "$src/debian/changelog" -S Version >"$sdl/debian-version"
    cp "$src/COPYING" "$sdl/COPYING"
fi

# The game (and with "test" its tests) for Windows, and the zip. Built with
# the flags the Linux tests use, so the zip holds the very program tested.
tests=OFF
[ "$mode" = test ] && tests=ON
cmake -S . -B "$out/game" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" -DRALLYO_WIN32_SDL="$sdl" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRALLYO_TESTS=$tests >/dev/null
cmake --build "$out/game" -j2
rm -f "$out"/rallyo-*-win32.zip
(cd "$out/game" && cpack -G ZIP -B "$out/pack" >/dev/null)
mv "$out"/pack/rallyo-*-win32.zip "$out/"
rm -rf "$out/pack"
ls "$out"/rallyo-*-win32.zip
