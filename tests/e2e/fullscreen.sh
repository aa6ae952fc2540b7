#!/usr/bin/env bash
# "Yes" to the question, as a player sees it on a desktop: under a window
# manager the game takes the whole 1024 x 768 screen, its 800 x 600 picture
# scaled up by 1.28 each way; the title and the lines stand where the
# scaling puts them, the line under the pointer turns red by the scaled
# position, and a click on the scaled "Quit" ends the game with status 0.
set -u
game=$(realpath "$1")
. "$(dirname "$0")/lib.bash"
command -v openbox >/dev/null || fail "no openbox (tools/deps.sh test installs it)"
GAME_PID= WM_PID=
start_x
trap 'kill $GAME_PID $WM_PID $XVFB_PID 2>/dev/null; wait 2>/dev/null; rm -rf "$WORK"' EXIT
openbox --sm-disable >/dev/null 2>&1 &
WM_PID=$!
# The game only once the window manager has the screen: a box mapped while
# it is still taking over need not come up as one it manages.
for ((i = 0; i < 200; i++)); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

# With a window manager the box is raised and focused through it; the key
# then goes where the focus is, as from a keyboard.
start_game "$game"
box=$(wait_window 'Fullscreen\?') ||
    fail "no question; the game $(kill -0 "$GAME_PID" 2>/dev/null && echo "still runs" || echo "has ended"), its stderr: $(cat "$WORK/err")"
for ((try = 0; try < 5; try++)); do
    xdotool windowactivate --sync "$box" 2>/dev/null
    sleep 0.3
    xdotool key Return
    sleep 1
    xdotool search --onlyvisible --name '^Fullscreen\?$' >/dev/null 2>&1 || break
done
id=$(wait_window Rallyo) || fail "no game window after Yes: $(cat "$WORK/err")"

# Window boxes "x y w h" of the menu's title and "Quit", and the same
# boxes on the screen, times 1.28.
title="25 17 85 21" quit="67 505 60 21"
scaled() { set -- $1; echo "$(($1 * 128 / 100)) $(($2 * 128 / 100)) $(($3 * 128 / 100)) $(($4 * 128 / 100))"; }
screen() { import -window root "$WORK/$1.png" 2>/dev/null || fail "no picture of the screen"; }

# Waits up to $1 seconds until the screen, saved as $2, shows more than 20
# pixels of colour $3 (yellow or red) in the screen box $4.
until_seen() {
    local i yellow red
    for ((i = 0; i < $1 * 5; i++)); do
        screen "$2"
        read -r yellow red < <(ink "$WORK/$2.png" $4)
        [ "${!3}" -gt 20 ] && return 0
        sleep 0.2
    done
    return 1
}

until_seen 20 menu yellow "$(scaled "$title")" || fail "no scaled menu title within 20 s"
eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
[ "$X,$Y ${WIDTH}x$HEIGHT" = "0,0 1024x768" ] || fail "the game covers $X,$Y ${WIDTH}x$HEIGHT, not the screen"
[ "$(identify -format '%w %h' "$WORK/menu.png")" = "1024 768" ] || fail "screen picture size"

# The court fills the screen to its bottom right corner; a window of 800 x
# 600 would leave black there.
[ "$(convert "$WORK/menu.png" -crop 200x140+820+620 -format '%[fx:int(255*maxima.g)]' info:)" -gt 40 ] ||
    fail "the bottom right of the screen is dark: the picture is not scaled"

read -r yellow red < <(ink "$WORK/menu.png" $(scaled "$quit"))
[ "$yellow" -gt 20 ] && [ "$red" -eq 0 ] || fail "scaled Quit: $yellow yellow, $red red"
read -r yellow _ < <(ink "$WORK/menu.png" $quit)
[ "$yellow" -eq 0 ] || fail "Quit drawn where an unscaled window would have it"

# The pointer where Quit stands in window pixels is, on this screen, above
# the lines: nothing turns red. Where Quit is seen, it does.
xdotool mousemove 97 515
sleep 0.5
screen unscaled
read -r _ red < <(ink "$WORK/unscaled.png" 0 400 400 300)
[ "$red" -eq 0 ] || fail "a line turned red with the pointer at window Quit's place ($red red)"
xdotool mousemove 124 659
until_seen 5 hover red "$(scaled "$quit")" || fail "the scaled Quit does not turn red under the pointer"
[ -z "${KEEP_SHOTS:-}" ] || cp "$WORK/menu.png" "$WORK/hover.png" "$KEEP_SHOTS"

xdotool click 1
wait_game 20 || fail "still running 20 s after Quit"
[ "$GAME_STATUS" -eq 0 ] || fail "status $GAME_STATUS after Quit: $(cat "$WORK/err")"
cmp -s "$WORK/out" <(printf '%s' "$BANNER") || fail "console: $(od -c "$WORK/out" | tail -3)"
[ ! -s "$WORK/err" ] || fail "stderr: $(cat "$WORK/err")"
echo "fullscreen: ok"
