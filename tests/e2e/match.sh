#!/usr/bin/env bash
# Both matches as players meet them: from the menu into a match, the ball
# flying, the paddles answering their keys, Escape, the fade to black and
# the menu back; then the window closed during a match.
set -u
game=$(realpath "$1")
. "$(dirname "$0")/lib.bash"
start_x

# The white of the labels over the court, left part and right part: "n n".
labels() {
    convert "$1" -crop 160x40+0+0 +repage "$WORK/l.png"
    convert "$1" -crop 160x40+640+0 +repage "$WORK/r.png"
    echo "$(where "$WORK/l.png" "$WHITE" | cut -d' ' -f1) $(where "$WORK/r.png" "$WHITE" | cut -d' ' -f1)"
}

hold() {  # key, seconds
    xdotool keydown --window "$id" "$1"
    sleep "$2"
    xdotool keyup --window "$id" "$1"
}

# Plays one match from the menu: $1 the line's click position, $2 the
# left side's up key (or "" when the computer steers it), $3 its name. Then
# Escape, and pictures until the menu is back: at least $4 of them show the
# court darkened, the darkest to $5 of its brightness or less.
play() {
    local line=$1 leftUp=$2
    xdotool mousemove --window "$id" ${line} click 1
    sleep 0.5
    menu_up "$id" && fail "$3: the menu still shows after the click"
    snap "$id" "$WORK/start.png"
    read -r l r < <(labels "$WORK/start.png")
    [ "$l" -gt 30 ] && [ "$r" -gt 30 ] || fail "$3: no labels above the court ($l, $r)"

    ball_in_play "$id" "$3: "
    [ "$rx2" -gt 770 ] && [ "$lx2" -lt 30 ] || fail "$3: paddles at x $rx2 and $lx2"

    hold Up 0.6
    read -r _ _ _ _ _ ry3 _ _ ly3 < <(pieces "$id")
    [ $((ry2 - ry3)) -gt 10 ] || fail "$3: the right paddle did not follow Up ($ry2 -> $ry3)"
    hold Down 0.3
    read -r _ _ _ _ _ ry4 _ _ _ < <(pieces "$id")
    [ $((ry4 - ry3)) -gt 10 ] || fail "$3: the right paddle did not follow Down ($ry3 -> $ry4)"
    if [ -n "$leftUp" ]; then
        hold "$leftUp" 0.6
        read -r _ _ _ _ _ _ _ _ ly4 < <(pieces "$id")
        [ $((ly3 - ly4)) -gt 10 ] || fail "$3: the left paddle did not follow $leftUp ($ly3 -> $ly4)"
    else
        # Some three seconds in, the ball has been on the computer's half.
        [ "$ly3" != "$ly1" ] || fail "$3: the computer's paddle never moved from $ly1"
    fi

    fade_out "$id" "$3: " "$4" "$5"
    kill -0 "$GAME_PID" 2>/dev/null || fail "$3: the game ended"
}

start_game "$game"
answer alt+n
id=$(wait_window Rallyo) || fail "no game window: $(cat "$WORK/err")"
wait_menu_up "$id" 20 || fail "no menu after the intro"
# 20 points to win, so that no match ends before its Escape.
for ((i = 0; i < 3; i++)); do
    xdotool mousemove --window "$id" 100 492 click 1
    sleep 0.1
done

# Against the computer the fade takes at least 10 x 150 + 300 ms, long
# enough to be seen darkening even on a busy machine. The two-player fade
# is over in about a third of a second and may fall between two pictures;
# its steps and its black end are measured in the screen tests.
play "100 441" "" "P1 vs CPU" 2 0.5
cpu=$FADE_MS
[ "$cpu" -ge 1800 ] || fail "the fade against the computer took $cpu ms, not 10 x 150 + 300"
play "100 465" w "P1 vs P2" 0 1
two=$FADE_MS

# Closing the window in the middle of a match ends the game at once.
xdotool mousemove --window "$id" 100 441 click 1
sleep 1
snap "$id" "$WORK/third.ppm"
title_yellow "$WORK/third.ppm" && fail "no third match"
wm_close "$id" || fail "could not ask the window to close"
wait_game 2 || fail "the game did not end when its window was closed during a match"
[ "$GAME_STATUS" -eq 0 ] || fail "status $GAME_STATUS after the window was closed during a match"
[ ! -s "$WORK/err" ] || fail "unexpected stderr: $(cat "$WORK/err")"
echo "match: ok (back in the menu $cpu ms after Escape against the computer, $two ms for two players)"
