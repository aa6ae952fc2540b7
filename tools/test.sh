#!/usr/bin/env bash
# Builds everything and runs every test; without a display, under Xvfb.
set -eu
cd "$(dirname "$0")/.."
tools/deps.sh test
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/test -j"$(nproc)"
run=(ctest --test-dir build/test --output-on-failure -j2)
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "${run[@]}"
else
    "${run[@]}"
fi
