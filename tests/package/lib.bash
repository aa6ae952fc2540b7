# Plays an installed game from its start to "Quit" as a player would.
# Sourced after tests/e2e/lib.bash; needs start_x to have run.

# How many pixels of the area $2 (WxH+X+Y) of the picture $1 are yellow
# (a menu line as drawn) or red (the line under the pointer).
count() {
    convert "$1" -crop "$2" +repage -depth 8 txt:- | awk -F'[(),]' -v want="$3" '
        NR == 1 { next }
        want == "yellow" && $3 >= 200 && $4 >= 200 && $5 <= 120 { n++ }
        want == "red" && $3 >= 200 && $4 <= 80 && $5 <= 80 { n++ }
        END { print n + 0 }'
}

# Waits up to $3 seconds until the game window $1 shows at least
# $4 pixels of colour $5 in the area $2; the last picture stays in $SHOT.
# import never returns once the window is gone, hence the game check and the
# time limit.
wait_colour() {
    local end=$((SECONDS + $3))
    while ((SECONDS < end)); do
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended early: $(cat "$WORK/err")"
        timeout 10 import -window "$1" "$SHOT" 2>/dev/null &&
            [ "$(count "$SHOT" "$2" "$5")" -ge "$4" ] && return 0
        sleep 0.1
    done
    return 1
}

# Starts $1 as the player would, answers the question with No (a window),
# waits out the logo until the menu is drawn, points at "Quit" until it turns
# red, clicks it, and expects status 0 with a clean console. With
# KEEP_MENU_SHOT set, the first picture of the menu is copied there.
play_to_quit() {
    local win title=76x21+25+18 quit=45x19+76+508
    SHOT=$WORK/menu.png
    start_game "$1"
    answer alt+n
    win=$(wait_window Rallyo) || fail "no game window: $(cat "$WORK/err")"
    wait_colour "$win" $title 15 30 yellow || fail "no menu title within 15 s: $(cat "$WORK/err")"
    [ "$(count "$SHOT" $quit yellow)" -ge 15 ] || fail "menu without a yellow Quit line"
    [ -z "${KEEP_MENU_SHOT:-}" ] || cp "$SHOT" "$KEEP_MENU_SHOT"
    xdotool mousemove --window "$win" 97 517
    wait_colour "$win" $quit 5 15 red || fail "Quit does not turn red under the pointer"
    xdotool click 1
    wait_game 20 || fail "still running 20 s after Quit"
    [ "$GAME_STATUS" -eq 0 ] || fail "status $GAME_STATUS after Quit: $(cat "$WORK/err")"
    cmp -s "$WORK/out" <(printf '%s' "$BANNER") || fail "console: $(od -c "$WORK/out" | tail -3)"
    [ ! -s "$WORK/err" ] || fail "stderr: $(cat "$WORK/err")"
}
