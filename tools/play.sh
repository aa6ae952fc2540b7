#!/usr/bin/env bash
# Builds the game and starts it from the source tree, where its gfx/ is.
set -eu
cd "$(dirname "$0")/.."
tools/deps.sh play
cmake -S . -B build/play -DCMAKE_BUILD_TYPE=Release -DRALLYO_TESTS=OFF >/dev/null
cmake --build build/play -j"$(nproc)"
exec build/play/rallyo
