#!/usr/bin/env bash
# Every picture of gfx/ replaced by something broken: the game says one line
# for each, naming the file, and goes on to its menu without crashing and
# without growing past what a normal start takes.
set -u
game=$(realpath "$1")
gfx=$(realpath gfx)
. "$(dirname "$0")/lib.bash"
start_x

# Peak memory of the running game, in kB.
peak() { awk '/^VmHWM:/ { print $2 }' "/proc/$GAME_PID/status"; }

# Starts the game in folder $1, answers "No" and waits out the intro.
run_in() {
    cd "$1" || fail "no folder $1"
    start_game "$game"
    cd - >/dev/null || exit 1
    answer alt+n
    wait_window Rallyo >/dev/null || fail "no game window in $1: $(cat "$WORK/err")"
    sleep 5
    kill -0 "$GAME_PID" 2>/dev/null || { wait "$GAME_PID"; fail "the game ended (status $?): $(cat "$WORK/err")"; }
}

# A normal start first, for the memory it takes.
mkdir "$WORK/good"
ln -s "$gfx" "$WORK/good/gfx"
run_in "$WORK/good"
normal=$(peak)
kill "$GAME_PID"
wait "$GAME_PID" 2>/dev/null

bad="$WORK/bad/gfx"
mkdir -p "$bad"
: >"$bad/Font.bmp"                                                      # empty
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\2\0\0\0\2\10\2\0\0\0' >"$bad/background.bmp"  # no BMP
mkdir "$bad/p1.bmp"                                                     # a folder
{ printf 'BM\x46\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\xff\xff\0\0\xff\xff\0\0\1\0\x18\0'
  head -c 24 /dev/zero; printf 'abcdefghijkl'; } >"$bad/p2.bmp"          # 65535 x 65535, 12 bytes of pixels
head -c 20 "$gfx/p1.bmp" >"$bad/pileczka.bmp"                           # header cut short
RANDOM=7
for ((i = 0; i < 256; i++)); do printf "\\x$(printf %02x $((RANDOM % 256)))"; done >"$bad/start.bmp"
# qor.bmp: missing

run_in "$WORK/bad"
broken=$(peak)
expected=(
    "Unable to load gfx/Font.bmp: the file is empty"
    "Nieudalo sie zaladowacgfx/background.bmp: File is not a Windows BMP file"
    "Nieudalo sie zaladowacgfx/p1.bmp: Is a directory"
    "Nieudalo sie zaladowacgfx/p2.bmp: the picture is 65535 x 65535 pixels, larger than the "
    "Nieudalo sie zaladowacgfx/pileczka.bmp: the file ends at byte 20, inside its header"
    "Nieudalo sie zaladowacgfx/start.bmp: "
    "Nieudalo sie zaladowacgfx/qor.bmp: Couldn't open gfx/qor.bmp"
)
mapfile -t said <"$WORK/err"
[ "${#said[@]}" -eq "${#expected[@]}" ] || fail "${#said[@]} lines for ${#expected[@]} pictures: $(cat "$WORK/err")"
for i in "${!expected[@]}"; do
    case "${said[$i]}" in
    "${expected[$i]}"*) ;;
    *) fail "line $((i + 1)) is \"${said[$i]}\", not \"${expected[$i]}...\"" ;;
    esac
done
[ "$(cat "$WORK/out")" = "$BANNER" ] || fail "console: $(cat "$WORK/out")"

# The menu is up, drawn without its pictures: the background quad in plain white.
[ "$(pixel 612 468)" = "255,255,255" ] || fail "no plain menu background: $(pixel 612 468)"
# A header believed would cost 112 MB (the largest side the game takes,
# squared, as a surface and its RGBA copy); the rest is the allocator's business, more so under ASan.
[ "$broken" -lt $((normal + 262144)) ] || fail "peak memory $broken kB against $normal kB for a normal start"
echo "badgfx: ok (peak $broken kB, a normal start $normal kB)"
