#!/usr/bin/env bash
# Start-up as a player meets it: the banner on the console before the
# question, the question's two answers each opening the 800 x 600 window,
# and no display at all.
set -u
game=$(realpath "$1")
. "$(dirname "$0")/lib.bash"
start_x

for key in Return alt+n; do
    start_game "$game"
    wait_window 'Fullscreen\?' >/dev/null || fail "no question ($key)"
    [ "$(cat "$WORK/out")" = "$BANNER" ] || fail "banner before the question: $(od -c "$WORK/out" | head)"
    answer "$key"
    id=$(wait_window Rallyo) || fail "no game window after $key: $(cat "$WORK/err")"
    check_size "$id"
    if [ "$key" = Return ]; then
        # Full screen: the picture is scaled to the screen, so clicks miss
        # their lines; close the window instead.
        sleep 1
        wm_close "$id" || fail "could not ask the window to close"
    else
        wait_menu "$id" || fail "no menu after $key"
        xdotool mousemove --window "$id" 100 515 click 1
    fi
    wait_game 30 || fail "game did not end after $key"
    [ "$GAME_STATUS" -eq 0 ] || fail "status $GAME_STATUS after $key: $(cat "$WORK/err")"
    cmp -s "$WORK/out" <(printf '%s' "$BANNER") || fail "banner bytes after $key"
    [ ! -s "$WORK/err" ] || fail "unexpected stderr: $(cat "$WORK/err")"
done

# No display: SDL's dummy driver gives no place for the question.
env -u DISPLAY SDL_VIDEODRIVER=dummy "$game" >"$WORK/out" 2>"$WORK/err"
status=$?
[ "$status" -ne 0 ] || fail "no display but status 0"
cmp -s "$WORK/out" <(printf '%s%s' "$BANNER" 'Wartość błędna') || fail "no-display output: $(od -c "$WORK/out" | tail -3)"
echo "startup: ok"
