#!/usr/bin/env bash
# Builds the Windows game and its tests (tools/windows.sh test) and runs
# them under Wine in Xvfb: the rules and drawing tests, the executable's
# make-up, the zip played end to end, and the frame rate of a match.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/win32
bash tools/windows.sh test

game=$out/game
zip=$(ls "$out"/rallyo-*-win32.zip)
. tests/checks.bash
. tools/apt.bash

# The executable: a 32-bit console program that needs nothing but SDL.dll,
# the system's GL and GLU, user32 for its question, winmm for its pads,
# kernel32 and msvcrt, and carries its icon.
exe_makeup() {
    local exe=$game/rallyo.exe dump dlls
    file -b "$exe" | grep -q '^PE32 executable (console) Intel 80386' || { file -b "$exe"; return 1; }
    dump=$(i686-w64-mingw32-objdump -p "$exe")
    dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$dump" | tr a-z A-Z | sort | tr '\n' ' ')
    [ "$dlls" = "GLU32.DLL KERNEL32.DLL MSVCRT.DLL OPENGL32.DLL SDL.DLL USER32.DLL WINMM.DLL " ] ||
        { echo "imports: $dlls"; return 1; }
    awk '/DLL Name: USER32.dll/ { u = 1; next } /DLL Name:/ { u = 0 } u && /MessageBoxA/ { found = 1 } END { exit !found }' \
        <<<"$dump" || { echo "no MessageBoxA from USER32"; return 1; }
    # Resource types 3 (icon) and 14 (icon group) at the top of .rsrc.
    sed -n '/The .rsrc Resource Directory section/,/^$/p' <<<"$dump" >"$out/rsrc.txt"
    grep -q 'Type Table.*IDs: 2' "$out/rsrc.txt" && grep -q '^010   Entry: ID: 0x000003' "$out/rsrc.txt" &&
        grep -q '^018   Entry: ID: 0x00000e' "$out/rsrc.txt" || { cat "$out/rsrc.txt"; return 1; }
}
check "rallyo.exe: PE32 console, its imports, its icon" exe_makeup

# The zip's file list, exactly.
zip_list() {
    unzip -Z1 "$zip" | sort | diff -u - <(printf '%s\n' LICENSE.txt SDL-COPYING.txt SDL.dll gfx/ gfx/Font.bmp \
        gfx/background.bmp gfx/p1.bmp gfx/p2.bmp gfx/pileczka.bmp gfx/qor.bmp gfx/start.bmp readme.txt rallyo.exe |
        sort) || return 1
    # The texts in Windows line endings: every line feed after a carriage return.
    local t
    for t in readme.txt LICENSE.txt SDL-COPYING.txt; do
        [ "$(unzip -p "$zip" "$t" | tr -cd '\n' | wc -c)" = "$(unzip -p "$zip" "$t" | grep -c $'\r$')" ] ||
            { echo "$t: a line without CR LF"; return 1; }
    done
    cmp -s <(unzip -p "$zip" rallyo.exe) "$game/rallyo.exe" && return 1  # stripped for the zip
    return 0
}
check "the zip" zip_list

# Wine runs the game as a 32-bit program, from i386 packages. Should the
# kernel run no 32-bit program (built without, or booted with its IA-32
# emulation off), or the registry not give those packages at all, what needs
# no Wine has been checked above, and the run says loudly what it could not
# do; any other failure fails it.
skipped() {
    echo "Windows tests under Wine: SKIPPED, $*"
    checks_done windows
    exit
}
# The smallest 32-bit program: exit(0) through the i386 system call.
printf '.globl _start\n_start: movl $1, %%eax\nxorl %%ebx, %%ebx\nint $0x80\n' |
    as --32 -o "$out/i386.o" && ld -m elf_i386 -o "$out/i386" "$out/i386.o"
"$out/i386" 2>"$out/i386.err" ||
    skipped "this machine runs no 32-bit programs: $(sed 's/.*: //' "$out/i386.err")"
if ! need wine 2>"$out/deps.err"; then
    cat "$out/deps.err" >&2
    skipped "$(tail -n 1 "$out/deps.err" | sed 's/^deps: //')"
fi

# A Wine of the tests' own, kept under build/ between runs.
export WINEPREFIX=$out/wine WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_CACHE_HOME=$out/cache  # Mesa's shader cache, out of the user's home
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe
mkdir -p "$XDG_CACHE_HOME"
# Wine plays the game's sound through ALSA, which on a machine without a
# sound card says so on the game's stderr; ALSA's default device here takes
# the sound and drops it, quietly.
echo 'pcm.!default { type null }' >"$out/asound.conf"
export ALSA_CONFIG_PATH=$out/asound.conf
# Display numbers of its own, from 200 up: the Linux tests may be starting
# X servers of theirs beside it, and two picking one number at once fail.
xrun=(xvfb-run -a -n 200 -s "-screen 0 1024x768x24 -noreset")
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "${xrun[@]}" bash -c 'wineboot -i && wineserver -w'
fi

# The rules and drawing tests, built for Windows, from the source folder
# where gfx/ is.
cp "$out/sdl/bin/SDL.dll" "$game/tests/"
cp "$out/sdl/bin/SDL.dll" "$game/tests/bench/"
unit() { "${xrun[@]}" bash -c 'wine "$1" --gtest_brief=1; status=$?; wineserver -k; exit $status' _ "$game/tests/rallyo_tests.exe"; }
check "rules and drawing tests under Wine" unit

# End to end on the unpacked zip.
g++ -O2 -o "$out/wmclose" tests/tools/wmclose.cpp -lX11
e2e() { WMCLOSE=$out/wmclose bash tests/windows/e2e.sh "$zip" "$out/shots" && wineserver -k; }
check "the zip played under Wine" e2e

# The speed of a match against the computer; reported, not judged.
echo "== frame rate of a match against the computer under Wine (${RALLYO_BENCH_SECONDS:-10} s)"
"${xrun[@]}" bash -c 'wine "$1" "$2"; status=$?; wineserver -k; exit $status' _ \
    "$game/tests/bench/rallyo_bench.exe" "${RALLYO_BENCH_SECONDS:-10}" | tr -d '\r' || true

checks_done windows
