# Shared by the end-to-end scripts: a private X server, the game started in
# it, and ways to wait for what a player would see. Sourced, not run.

fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts an X server of our own and points DISPLAY at it.
start_x() {
    local fifo
    fifo=$(mktemp -u) && mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
    XVFB_PID=$!
    read -r -t 20 num <"$fifo" || fail "Xvfb did not start"
    rm -f "$fifo"
    export DISPLAY=":$num"
    WORK=$(mktemp -d)
    trap 'kill $GAME_PID $XVFB_PID 2>/dev/null; wait 2>/dev/null; rm -rf "$WORK"' EXIT
}

# Starts the game ($1) with stdout and stderr in $WORK/out and $WORK/err.
start_game() {
    "$1" >"$WORK/out" 2>"$WORK/err" &
    GAME_PID=$!
}

# Waits up to $2 seconds (default 20) for a window named $1; prints its id.
wait_window() {
    local i id
    for ((i = 0; i < ${2:-20} * 10; i++)); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Answers the full-screen question: Return is Yes, alt+n is No.
answer() {
    local box
    box=$(wait_window 'Fullscreen\?') || fail "no Fullscreen? question"
    xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
    sleep 0.3
    xdotool key --window "$box" "$1"
}

# Waits up to $1 seconds for the game to end; its status in GAME_STATUS.
wait_game() {
    local i
    for ((i = 0; i < $1 * 10; i++)); do
        if ! kill -0 "$GAME_PID" 2>/dev/null; then
            wait "$GAME_PID"
            GAME_STATUS=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# The colour of a screen pixel as "r,g,b".
pixel() {
    import -window root "$WORK/shot.png" 2>/dev/null
    convert "$WORK/shot.png" -format '%[fx:int(255*p{'"$1,$2"'}.r)],%[fx:int(255*p{'"$1,$2"'}.g)],%[fx:int(255*p{'"$1,$2"'}.b)]' info:
}

BANNER=$(printf 'Gre dedykuje mojej ukochanej *: Zorince :*\nGra sciagnieta z https://rallyo.example.org/')
