#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and UBSan, then the
# bitmap fuzzer for a minute under the same sanitizers. Any finding fails.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
tools/deps.sh test

xrun=()
[ -n "${DISPLAY:-}" ] || xrun=(xvfb-run -a -s "-screen 0 1024x768x24")

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0

# Mesa unloads its GL driver when SDL_Quit closes the display, and what the
# driver still held then is traced to nobody: LeakSanitizer reports it under
# a wrong library name that no suppression can match. Linking the driver in
# keeps it loaded to the end, so what it holds stays reachable.
asan=build/asan
keep=()
dri=$(find /usr/lib -path '*/dri/swrast_dri.so' 2>/dev/null | head -n 1)
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
"${xrun[@]}" ctest --test-dir "$asan" --output-on-failure -j2

# The fuzzer changes into a folder of its own: every path it gets is absolute.
fuzz=build/fuzz
cmake -S . -B "$fuzz" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRALLYO_FUZZ=ON \
    -DRALLYO_TESTS=OFF >/dev/null
cmake --build "$fuzz" --target bitmap_fuzz -j"$(nproc)"
found=$(mktemp -d)
trap 'rm -rf "$found"' EXIT
# A few bytes of run-length data may rightly describe the largest picture the
# GL takes; the loaders then need some 3 GB and many seconds, which is no finding.
status=0
"${xrun[@]}" "$root/$fuzz/fuzz/bitmap_fuzz" -max_total_time=60 -timeout=120 -rss_limit_mb=8192 \
    -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$found/" "$found" "$root/fuzz/corpus" \
    >"$found/log" 2>&1 || status=$?
grep -E '^(stat::|Done|INFO: Seed)' "$found/log" || true
if [ "$status" -ne 0 ]; then
    tail -n 60 "$found/log"
    echo "bitmap fuzzer: finding (status $status); the input is in the log above"
    for crash in "$found"/crash-* "$found"/leak-* "$found"/oom-* "$found"/timeout-*; do
        [ -f "$crash" ] && { echo "$crash:"; od -A d -t x1 "$crash" | head -n 40; }
    done
    exit 1
fi
echo "bitmap fuzzer: no finding"
