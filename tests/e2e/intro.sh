#!/usr/bin/env bash
# The logo splash as a player meets it: the logo comes out of the dark and
# goes back, about three seconds that no key or click shortens; closing the
# window during it ends the game at once with status 0.
set -u
game=$(realpath "$1")
. "$(dirname "$0")/lib.bash"
start_x

# Mean brightness (0 to 1) of the logo's part of a window picture.
logo() {
    convert "$1" -crop 386x241+207+155 +repage -colorspace Gray -format '%[fx:mean]' info:
}

start_game "$game"
answer alt+n
id=$(wait_window Rallyo) || fail "no game window: $(cat "$WORK/err")"
start=$(date +%s%N)
shoot "$id" "$WORK/early.png"
# Keys and clicks through the first half of the splash, while we watch.
(
    for ((i = 0; i < 4; i++)); do
        xdotool key Escape Return space
        xdotool mousemove --window "$id" 400 300 click 1 click 3
        sleep 0.1
    done
) &
# Pictures until the menu shows: the brightest is the logo uncovered.
held=0
while :; do
    shoot "$id" "$WORK/now.png" || fail "the game window went away during the splash"
    read -r title _ < <(ink "$WORK/now.png" 20 15 95 25)
    [ "${title:-0}" -gt 40 ] && break
    held=$(awk -v a="$held" -v b="$(logo "$WORK/now.png")" 'BEGIN { print (b > a ? b : a) }')
    [ $(($(date +%s%N) - start)) -lt 20000000000 ] || fail "no menu 20 s after the window opened"
done
shown=$((($(date +%s%N) - start) / 1000000))
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended during the splash"
[ "$shown" -ge 2500 ] || fail "the menu came after $shown ms: the splash was cut short"

early=$(logo "$WORK/early.png")
awk -v e="$early" -v h="$held" 'BEGIN { exit !(h > 0.07 && e < h * 3 / 4) }' ||
    fail "logo not veiled at first (brightness $early) and then shown (at most $held)"

# Closing the window in the menu.
wm_close "$id" || fail "could not ask the window to close"
wait_game 10 || fail "the game did not end when its window was closed in the menu"
[ "$GAME_STATUS" -eq 0 ] || fail "status $GAME_STATUS after closing the window in the menu"

# Closing it half way through the splash ends the game with status 0.
start_game "$game"
answer alt+n
id=$(wait_window Rallyo) || fail "no game window the second time"
sleep 1
wm_close "$id" || fail "could not ask the window to close"
wait_game 5 || fail "the game did not end when its window was closed during the splash"
[ "$GAME_STATUS" -eq 0 ] || fail "status $GAME_STATUS after closing the window during the splash"
[ ! -s "$WORK/err" ] || fail "unexpected stderr: $(cat "$WORK/err")"
cmp -s "$WORK/out" <(printf '%s' "$BANNER") || fail "console: $(cat "$WORK/out")"
echo "intro: ok (menu after $shown ms; logo brightness $early at first, $held at most)"
