#!/usr/bin/env bash
# The menu as a player meets it: the yellow title and lines, the line under
# the pointer red, the points target run through its twenty values back to
# the 5 a fresh game shows, and the two ways out, "Quit" and the window's
# close button, both with status 0.
set -u
game=$(realpath "$1")
. "$(dirname "$0")/lib.bash"
start_x

# Text-space boxes of the lines as window rectangles "x y w h": text at
# (tx, ty) is window pixel (1.25 tx, 600 - 1.25 ty), a glyph 20 pixels high.
title="25 17 85 21"
cpu="67 430 135 21"
points="67 480 95 21"
value="162 480 60 21"
quit="67 505 60 21"

# Starts the game and waits for its menu; the window id in $id.
to_menu() {
    start_game "$game"
    answer alt+n
    id=$(wait_window Rallyo) || fail "no game window: $(cat "$WORK/err")"
    wait_menu "$id" || fail "no menu"
    xdotool mousemove --window "$id" 600 100
    sleep 0.3
}

# "yellow red" pixel counts of a box ($2) of the window's picture, saved as $1.
look() {
    shoot "$id" "$WORK/$1.png" || fail "no picture of the window"
    ink "$WORK/$1.png" $2
}

# Has the picture $1 the same pixels as $2 in the box of the points value?
same_value() {
    local box n
    box=$(set -- $value; echo "${3}x${4}+${1}+${2}")
    n=$(compare -metric AE -extract "$box" "$WORK/$1.png" "$WORK/$2.png" null: 2>&1)
    [[ "$n" =~ ^[0-9]+$ ]] || fail "cannot compare pictures: $n"
    [ "$n" -eq 0 ]
}

to_menu
read -r y r < <(look fresh "$title")
[ "$y" -gt 80 ] && [ "$r" -eq 0 ] || fail "title not yellow: $y yellow, $r red pixels"
for box in "$cpu" "$points" "$value" "$quit"; do
    read -r y r < <(ink "$WORK/fresh.png" $box)
    [ "$y" -gt 40 ] && [ "$r" -eq 0 ] || fail "line at $box not yellow: $y yellow, $r red"
done

xdotool mousemove --window "$id" 100 440
sleep 0.3
read -r y r < <(look hover "$cpu")
[ "$r" -gt 80 ] && [ "$y" -eq 0 ] || fail "hovered \"P1 vs CPU\" not red: $y yellow, $r red"
read -r y r < <(ink "$WORK/hover.png" $points)
[ "$y" -gt 40 ] && [ "$r" -eq 0 ] || fail "\"Punkty:\" not yellow beside a hovered line: $y yellow, $r red"

# Over the value the whole "Punkty:" line turns red, value and all.
xdotool mousemove --window "$id" 180 490
sleep 0.3
for box in "$points" "$value"; do
    read -r y r < <(look over "$box")
    [ "$r" -gt 40 ] && [ "$y" -eq 0 ] || fail "\"Punkty:\" at $box not red under the pointer: $y yellow, $r red"
done

# One click makes 10, twenty make 5 again.
away() {
    xdotool mousemove --window "$id" 600 100
    sleep 0.3
}
xdotool click 1
away
look ten "$value" >/dev/null
! same_value ten fresh || fail "a click on the value did not change it"
xdotool mousemove --window "$id" 180 490
for ((i = 1; i < 20; i++)); do
    xdotool click 1
    sleep 0.05
done
away
look twenty "$value" >/dev/null
same_value twenty fresh || fail "twenty clicks did not bring the value back to 5"

xdotool mousemove --window "$id" 100 515 click 1
wait_game 10 || fail "the game did not end on a click on Quit"
[ "$GAME_STATUS" -eq 0 ] || fail "status $GAME_STATUS after Quit"
[ ! -s "$WORK/err" ] || fail "unexpected stderr: $(cat "$WORK/err")"
cmp -s "$WORK/out" <(printf '%s' "$BANNER") || fail "console: $(cat "$WORK/out")"

# The window's close button.
to_menu
wm_close "$id" || fail "could not ask the window to close"
wait_game 10 || fail "the game did not end when its window was closed"
[ "$GAME_STATUS" -eq 0 ] || fail "status $GAME_STATUS after closing the window"
[ ! -s "$WORK/err" ] || fail "unexpected stderr: $(cat "$WORK/err")"

# With a sound device playing (SDL's silent one stands in for a sound
# card), "Quit" ends the game just as cleanly.
SDL_AUDIODRIVER=dummy to_menu
xdotool mousemove --window "$id" 100 515 click 1
wait_game 10 || fail "with sound, the game did not end on a click on Quit"
[ "$GAME_STATUS" -eq 0 ] || fail "with sound, status $GAME_STATUS after Quit"
[ ! -s "$WORK/err" ] || fail "with sound, unexpected stderr: $(cat "$WORK/err")"
echo "menu: ok"
