#!/usr/bin/env bash
# Start-up as a player meets it: the banner on the console before the
# question, the question's two answers, and no display at all.
set -u
game=$(realpath "$1")
. "$(dirname "$0")/lib.bash"
start_x

for key in Return alt+n; do
    start_game "$game"
    wait_window 'Fullscreen\?' >/dev/null || fail "no question ($key)"
    [ "$(cat "$WORK/out")" = "$BANNER" ] || fail "banner before the question: $(od -c "$WORK/out" | head)"
    answer "$key"
    wait_game 30 || fail "game did not end after start-up ($key)"
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
