#!/usr/bin/env bash
# The window's close button in the screens the other scripts leave open: in
# a two-player match, and in the closing fade of each kind of match. Each
# time the game must end at once with status 0 and nothing on stderr.
# (Closing during the splash and the menu is in intro.sh and menu.sh, during
# a match against the computer in match.sh.)
set -u
game=$(realpath "$1")
. "$(dirname "$0")/lib.bash"
start_x

CPU="100 441"
TWO="100 465"

# Window $1 shows the menu: its yellow title where a match has white labels.
menu_shown() {
    local n
    shoot "$1" "$WORK/now.png" || return 1
    read -r n _ < <(ink "$WORK/now.png" 20 15 95 25)
    [ "${n:-0}" -gt 40 ]
}

# A fresh game in its menu; the window id in $id.
to_menu() {
    start_game "$game"
    answer alt+n
    id=$(wait_window Rallyo) || fail "$1: no game window: $(cat "$WORK/err")"
    wait_menu "$id" || fail "$1: no menu"
}

# Starts the match on the menu line at $2 and sees it running.
to_match() {
    xdotool mousemove --window "$id" $2 click 1
    sleep 0.7
    ! menu_shown "$id" || fail "$1: the menu still shows after the click"
}

# Closes the window and expects the game gone within five seconds (a
# sanitized build on a busy machine is slow to shut SDL down), with
# status 0, the banner alone on stdout and nothing on stderr.
close_and_check() {
    local t0 ms
    t0=$(date +%s%N)
    wm_close "$id" || fail "$1: could not ask the window to close"
    wait_game 5 || fail "$1: the game still runs 5 s after its window was closed"
    ms=$((($(date +%s%N) - t0) / 1000000))
    [ "$GAME_STATUS" -eq 0 ] || fail "$1: status $GAME_STATUS"
    [ ! -s "$WORK/err" ] || fail "$1: unexpected stderr: $(cat "$WORK/err")"
    cmp -s "$WORK/out" <(printf '%s' "$BANNER") || fail "$1: console: $(cat "$WORK/out")"
    echo "quit: $1: gone $ms ms after the close"
}

# In play, two players: the paddles still, the ball flying.
case=two-player-match
to_menu $case
to_match $case "$TWO"
close_and_check $case

# Escape is held from here on: a match reads the keyboard as it stands,
# the fade and the menu not at all.

# Against the computer the fade takes ten steps at least 150 ms apart and
# 300 ms more, so half a second after Escape it is well under way and far
# from its end, even on a busy machine.
case=computer-fade
to_menu $case
to_match $case "$CPU"
xdotool keydown --window "$id" Escape
sleep 0.5
close_and_check $case
# Let go before the next game: the server's key repeat would send a held
# Escape to the next full-screen question, and Escape there means no answer.
xdotool keyup Escape

# The two-player fade is over some 300 ms after the frame that sees Escape
# (a frame every 11 ms): the close is sent 100 ms after Escape. On a
# machine too busy to keep that timing it lands in the match or the menu,
# which must end the game just the same.
case=two-player-fade
to_menu $case
to_match $case "$TWO"
xdotool keydown --window "$id" Escape
sleep 0.1
close_and_check $case
echo "quit: ok"
