#!/usr/bin/env bash
# The bitmap fuzzer (libFuzzer with ASan and UBSan) for the given number of
# seconds, 60 when none is given. Any finding fails: a crash, a leak, a
# picture that takes over a minute, or one that makes the loaders need more
# than 1 GB (the largest picture they accept costs about 112 MB).
# Inputs that reach new code are kept in build/fuzz/found-corpus; a finding
# is saved in build/fuzz/findings and shown.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
tools/deps.sh test

. tools/sanitizers.bash

fuzz=build/fuzz
cmake -S . -B "$fuzz" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRALLYO_FUZZ=ON \
    -DRALLYO_TESTS=OFF >/dev/null
cmake --build "$fuzz" --target bitmap_fuzz -j"$(nproc)"

# The fuzzer changes into a folder of its own: every path it gets is absolute.
kept=$root/$fuzz/found-corpus
findings=$root/$fuzz/findings
mkdir -p "$kept" "$findings"
log=$root/$fuzz/log
status=0
"${xrun[@]}" "$root/$fuzz/fuzz/bitmap_fuzz" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=1024 \
    -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$findings/" "$kept" "$root/fuzz/corpus" \
    >"$log" 2>&1 || status=$?
grep -E '^(stat::|Done|INFO: Seed)' "$log" || true
if [ "$status" -ne 0 ]; then
    tail -n 60 "$log"
    echo "bitmap fuzzer: finding (status $status); the input is in the log above"
    for input in "$findings"/crash-* "$findings"/leak-* "$findings"/oom-* "$findings"/timeout-*; do
        [ -f "$input" ] && { echo "$input:"; od -A d -t x1 "$input" | head -n 40; }
    done
    exit 1
fi
echo "bitmap fuzzer: no finding in $seconds s"
