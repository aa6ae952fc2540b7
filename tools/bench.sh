#!/usr/bin/env bash
# Plays a match against the computer for about 20 s (or $1 seconds) under
# Xvfb with Mesa's software renderer, and prints the simulated frames per
# second and what each frame costs.
set -eu
cd "$(dirname "$0")/.."
tools/deps.sh test
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/bench --target rallyo_bench -j2 >/dev/null
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe
xvfb-run -a -s "-screen 0 1024x768x24" build/bench/tests/bench/rallyo_bench "${1:-20}"
