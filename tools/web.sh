#!/usr/bin/env bash
# Builds the game for the browser into build/web/: index.html, rallyo.js,
# rallyo.wasm and rallyo.data, a folder that any static web server serves.
set -eu
cd "$(dirname "$0")/.."
tools/deps.sh web
# Debian's emcc runs its JavaScript tools with node and needs Debian's own
# modules (acorn) found, whichever node is on the PATH.
export NODE_PATH=/usr/share/nodejs
# The source folder's name stays out of __FILE__ and debugging strings.
emcmake cmake -S . -B build/web-build -DCMAKE_BUILD_TYPE=Release -DRALLYO_TESTS=OFF \
    -DRALLYO_WEB_DIR="$PWD/build/web" -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$PWD=." >/dev/null
cmake --build build/web-build -j2
ls -l build/web
