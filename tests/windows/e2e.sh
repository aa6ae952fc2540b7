#!/usr/bin/env bash
# The Windows game as a player meets it, under Wine: unpacked from its zip,
# the banner on the console before the question, the question answered No,
# the 800 x 600 window, the intro into the menu, the highlight under the
# pointer, a match against the computer that moves, Escape, the fade, the
# menu back and Quit; then the window closed; then the game without SDL.dll.
# Usage: e2e.sh ZIP SHOTS_DIR (Wine's environment set by tools/test-windows.sh)
set -u
zip=$(realpath "$1")
shots=$(realpath "$2")
. "$(dirname "$0")/../e2e/lib.bash"
start_x
mkdir -p "$shots"
game=$WORK/Rallyo
mkdir "$game"
(cd "$game" && unzip -q "$zip") || fail "unzip"

# The console's text mode ends a line with CR LF.
WINBANNER=$(printf 'Gre dedykuje mojej ukochanej *: Zorince :*\r\nGra sciagnieta z https://rallyo.example.org/')

# Starts the unpacked game from its folder, as a double-click does.
start_wine() {
    (cd "$game" && exec wine rallyo.exe) >"$WORK/out" 2>"$WORK/err" &
    GAME_PID=$!
}

# Ends a game run and checks it ended as a player's would: status 0, the
# banner alone on the console, nothing on stderr.
ended_well() {
    wait_game 20 || fail "$1: the game did not end"
    [ "$GAME_STATUS" -eq 0 ] || fail "$1: status $GAME_STATUS: $(cat "$WORK/err")"
    cmp -s "$WORK/out" <(printf '%s' "$WINBANNER") || fail "$1: console bytes: $(od -c "$WORK/out" | tail -4)"
    [ ! -s "$WORK/err" ] || fail "$1: unexpected stderr: $(cat "$WORK/err")"
}

start_wine
wait_window 'Fullscreen\?' 60 >/dev/null || fail "no Fullscreen? question: $(cat "$WORK/err")"
cmp -s "$WORK/out" <(printf '%s' "$WINBANNER") || fail "banner before the question: $(od -c "$WORK/out" | tail -4)"
import -window root "$shots/question.png" 2>/dev/null
answer n
id=$(wait_window Rallyo 30) || fail "no game window after No"
check_size "$id"
wait_menu "$id" 20 || fail "no menu after the intro"
cp "$WORK/menu.png" "$shots/menu.png"

# The line under the pointer turns red, the others stay yellow.
xdotool mousemove --window "$id" 100 441
sleep 0.5
shoot "$id" "$WORK/hover.png"
read -r yellow red < <(ink "$WORK/hover.png" 76 433 109 17)
[ "$red" -gt 40 ] && [ "$yellow" -lt 10 ] || fail "P1 vs CPU under the pointer: $yellow yellow, $red red pixels"
read -r yellow red < <(ink "$WORK/hover.png" 76 508 45 19)
[ "$yellow" -gt 20 ] && [ "$red" -lt 10 ] || fail "Quit away from the pointer: $yellow yellow, $red red pixels"
cp "$WORK/hover.png" "$shots/highlight.png"

# 20 points to win, so that the match lasts until its Escape.
for ((i = 0; i < 3; i++)); do
    xdotool mousemove --window "$id" 100 492 click 1
    sleep 0.2
done
xdotool mousemove --window "$id" 100 441 click 1
sleep 1
menu_up "$id" && fail "the menu still shows after a click on P1 vs CPU"
ball_in_play "$id" ""
snap "$id" "$shots/match.png"
xdotool keydown --window "$id" Up
sleep 0.6
xdotool keyup --window "$id" Up
moved=""
for ((i = 0; i < 20; i++)); do
    read -r _ _ _ _ _ _ _ _ ly < <(pieces "$id")
    [ "$ly" != "$ly1" ] && { moved=1; break; }
    sleep 0.3
done
[ -n "$moved" ] || fail "the computer's paddle never moved from $ly1"

# Escape: the court fades to black, then the menu is back.
fade_out "$id" "" 2 0.5
convert "$WORK/f$FADE_FIRST.ppm" "$shots/fade.png"
convert "$WORK/f$FADE_DARKEST.ppm" "$shots/fade-darkest.png"
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended with the match"
snap "$id" "$shots/menu-after.png"

xdotool mousemove --window "$id" 100 515 click 1
ended_well "Quit"

# Closed by the window's close button, in the menu.
start_wine
answer n
id=$(wait_window Rallyo 30) || fail "no game window the second time"
wait_menu "$id" 20 || fail "no menu the second time"
wm_close "$id" || fail "could not ask the window to close"
ended_well "closed window"

# Without SDL.dll beside it the program cannot start: Windows says so with
# a status of its own, and the game writes nothing.
mkdir "$WORK/alone" && cp "$game/rallyo.exe" "$WORK/alone/"
(cd "$WORK/alone" && timeout 60 wine rallyo.exe) >"$WORK/out" 2>"$WORK/err"
status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "without SDL.dll: status $status"
[ ! -s "$WORK/out" ] || fail "without SDL.dll: output $(cat "$WORK/out")"
echo "windows e2e: ok (fade: $FADE_DARK darkened pictures, the darkest $FADE_LEAST of $LIT; without SDL.dll status $status)"
