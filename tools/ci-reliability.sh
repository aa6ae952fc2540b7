#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and UBSan, then the
# bitmap fuzzer for a minute under the same sanitizers (not with --no-fuzz).
# Any finding fails.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
tools/deps.sh test

. tools/sanitizers.bash

# Mesa unloads its GL driver when SDL_Quit closes the display, and what the
# driver still held then is traced to nobody: LeakSanitizer reports it under
# a wrong library name that no suppression can match. Linking the driver in
# keeps it loaded to the end, so what it holds stays reachable.
asan=build/asan
keep=()
# This machine's own architecture: the Windows tests add i386 drivers beside it.
dri=$(find "/usr/lib/$(gcc -print-multiarch)" -path "*/dri/swrast_dri.so" 2>/dev/null | head -n 1)
if [ -n "$dri" ]; then
    soname=$(readelf -d "$dri" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
    mkdir -p "$asan/keep"
    ln -sf "$dri" "$asan/keep/${soname:-swrast_dri.so}"
    keep=("-Wl,--no-as-needed,$root/$asan/keep/${soname:-swrast_dri.so},--as-needed" "-Wl,-rpath,$root/$asan/keep")
fi
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags ${keep[*]}" >/dev/null
cmake --build "$asan" -j"$(nproc)"
# The games that the sanitized tests already play frame by frame (the
# intro, the menu, a match) are not played again end to end here; the paths
# only the whole program takes are: the question, full screen, a closed
# window, pictures missing at start-up.
"${xrun[@]}" ctest --test-dir "$asan" --output-on-failure -j2 -E '^e2e[.](intro|menu|match)$'

# A minute of the bitmap fuzzer under the same sanitizers, unless the caller
# runs it alongside.
[ "${1:-}" = --no-fuzz ] || tools/fuzz.sh 60
