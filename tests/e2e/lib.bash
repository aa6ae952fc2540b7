# Shared by the end-to-end scripts: a private X server, the game started in
# it, and ways to wait for what a player would see. Sourced, not run.

fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts an X server of our own and points DISPLAY at it. -noreset: by
# default the server resets when its last client leaves, and a game started
# again at that moment can lose its connection to the reset and run on with
# no window.
start_x() {
    local fifo
    fifo=$(mktemp -u) && mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
    XVFB_PID=$!
    read -r -t 20 num <"$fifo" || fail "Xvfb did not start"
    rm -f "$fifo"
    export DISPLAY=":$num"
    WORK=$(mktemp -d)
    # GTK and SDL look for a runtime folder and complain on stderr without one.
    export XDG_RUNTIME_DIR="$WORK/xdg"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    trap 'kill $GAME_PID $XVFB_PID 2>/dev/null; wait 2>/dev/null; rm -rf "$WORK"' EXIT
}

# Starts the game ($1) with stdout and stderr in $WORK/out and $WORK/err.
start_game() {
    "$1" >"$WORK/out" 2>"$WORK/err" &
    GAME_PID=$!
}

# Waits up to $2 seconds (default 60: a sanitized build on a busy machine
# starts slowly) for a window named $1; prints its id.
wait_window() {
    local i id
    for ((i = 0; i < ${2:-60} * 10; i++)); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Answers the full-screen question: Return is Yes, alt+n is No.
answer() {
    local box
    local try i
    box=$(wait_window 'Fullscreen\?') || fail "no Fullscreen? question"
    # A key sent before the box takes input is lost; send again until it goes.
    for ((try = 0; try < 5; try++)); do
        xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box" 2>/dev/null
        sleep 0.3
        xdotool key --window "$box" "$1" 2>/dev/null
        for ((i = 0; i < 50; i++)); do
            xdotool search --onlyvisible --name '^Fullscreen\?$' >/dev/null 2>&1 || return 0
            sleep 0.1
        done
    done
    fail "the question did not take the answer $1"
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

# Saves the picture of window $1 to the file $2. (import waits for ever on
# a window that has gone.)
shoot() {
    timeout 10 import -window "$1" "$2" 2>/dev/null
}

# The text of a picture ($1) in the rectangle x y w h ($2 to $5): prints the
# number of yellow and of red pixels, as "yellow red".
ink() {
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -depth 8 txt:- |
        awk -F'[(),]' 'NR > 1 && $3 >= 160 && $5 < 90 {
                           if ($4 >= $3 * 3 / 4) yellow++; else if ($4 < 60) red++
                       }
                       END { print yellow + 0, red + 0 }'
}

# Waits up to $2 seconds (default 20) for window $1 to show the menu: its
# yellow title in the top left corner.
wait_menu() {
    local i n
    for ((i = 0; i < ${2:-20} * 5; i++)); do
        shoot "$1" "$WORK/menu.png"
        read -r n _ < <(ink "$WORK/menu.png" 20 15 95 25)
        [ "${n:-0}" -gt 40 ] && return 0
        sleep 0.2
    done
    return 1
}

# Asks window $1 to close, as a window manager's close button does.
wm_close() {
    "${WMCLOSE:?the path of the wmclose helper}" "$1"
}

# Checks that window $1 is 800 x 600.
check_size() {
    local WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=[0-9]+$')"
    [ "${WIDTH:-}x${HEIGHT:-}" = 800x600 ] || fail "window is ${WIDTH:-?}x${HEIGHT:-?}, not 800x600"
}

# What a match shows, for the scripts that play one.

# Window $1's picture into file $2.
snap() { import -window "$1" "$2" 2>/dev/null; }

# The pixels of picture $1, one "x y r g b" line each.
pixels() {
    local w
    w=$(convert "$1" -format %w info:)
    convert "$1" -depth 8 rgb:- | od -An -tu1 -v -w3 | awk -v w="$w" '{ print (NR - 1) % w, int((NR - 1) / w), $1, $2, $3 }'
}

# "count meanx meany" of the pixels of picture $1 for which the awk test $2
# on r, g, b holds.
where() {
    pixels "$1" |
        awk '{ r = $3; g = $4; b = $5; if ('"$2"') { n++; sx += $1; sy += $2 } }
             END { if (n) printf "%d %d %d\n", n, sx / n, sy / n; else print "0 -1 -1" }'
}
BALL='r > 180 && g > 110 && b < 100 && g < r'   # the yellow ball
BLUE='b > 150 && b > r + 80'                    # the right paddle
RED='r > 150 && r > b + 80 && g < 90'           # the left paddle
WHITE='r > 200 && g > 200 && b > 200'           # label glyphs

# Mean brightness, 0 to 1, of the court's middle in picture $1.
brightness() { convert "$1" -crop 600x400+100+120 +repage -colorspace Gray -format '%[fx:mean]' info:; }

# Picture $1 shows the menu's yellow title where a match has its white label.
title_yellow() {
    [ "$(convert "$1" -crop 100x25+20+15 +repage -format '%[fx:mean.r - mean.b > 0.1]' info:)" = 1 ]
}

# Escape in the match in window $1, then the fade's pictures as fast as
# they come, $WORK/f1.ppm on, until the menu is back; at least $3 of them
# must show the court darkened, the darkest to $4 of its brightness or less
# ($2 names the match in a failure). They are judged only then, so that
# judging takes no picture's place. Sets LIT, the court's brightness
# before; FADE_MS; FADE_SHOTS, the pictures before the menu; FADE_DARK,
# those darker than 0.9 of LIT; and FADE_FIRST and FADE_DARKEST, the numbers
# of the first of them and of the darkest picture, whose brightness is
# FADE_LEAST.
fade_out() {
    local i b t0
    snap "$1" "$WORK/lit.ppm"
    LIT=$(brightness "$WORK/lit.ppm")
    t0=$(date +%s%N)
    xdotool keydown --window "$1" Escape
    sleep 0.05
    xdotool keyup --window "$1" Escape
    for ((i = 1; ; i++)); do
        snap "$1" "$WORK/f$i.ppm"
        title_yellow "$WORK/f$i.ppm" && break
        [ "$i" -lt 100 ] || fail "${2}no menu after the fade"
    done
    FADE_MS=$((($(date +%s%N) - t0) / 1000000))
    FADE_SHOTS=$((i - 1)) FADE_DARK=0 FADE_FIRST=0 FADE_DARKEST=0 FADE_LEAST=$LIT
    for ((i = 1; i <= FADE_SHOTS; i++)); do
        b=$(brightness "$WORK/f$i.ppm")
        if awk -v a="$LIT" -v b="$b" 'BEGIN { exit !(b < a * 0.9) }'; then
            FADE_DARK=$((FADE_DARK + 1))
            [ "$FADE_FIRST" -gt 0 ] || FADE_FIRST=$i
        fi
        awk -v a="$FADE_LEAST" -v b="$b" 'BEGIN { exit !(b < a) }' && FADE_DARKEST=$i FADE_LEAST=$b
    done
    echo "${2}$FADE_DARK darkened pictures in $FADE_SHOTS, the darkest $FADE_LEAST (lit $LIT)" >&2
    [ "$FADE_DARK" -ge "$3" ] || fail "${2}$FADE_DARK darkened pictures of the court in $FADE_SHOTS before the menu"
    awk -v d="$FADE_LEAST" -v a="$LIT" -v w="$4" 'BEGIN { exit !(d <= a * w) }' || fail "${2}darkest picture $FADE_LEAST, lit $LIT"
}

# Window $1 shows the menu: its yellow title at the top left.
menu_up() {
    snap "$1" "$WORK/m.ppm"
    title_yellow "$WORK/m.ppm"
}
wait_menu_up() {
    local i
    for ((i = 0; i < ${2:-20} * 4; i++)); do
        menu_up "$1" && return 0
        sleep 0.25
    done
    return 1
}

# Where the pieces stand in window $1 now, as count and centre of their
# pixels: "ball right-paddle left-paddle", three numbers each.
pieces() {
    snap "$1" "$WORK/p.ppm"
    pixels "$WORK/p.ppm" |
        awk 'function put(i) { printf "%d %d %d ", n[i], n[i] ? x[i] / n[i] : -1, n[i] ? y[i] / n[i] : -1 }
            $2 >= 60 {
                r = $3; g = $4; b = $5; i = 0
                if ('"$BALL"') i = 1
                else if ($1 >= 760 && '"$BLUE"') i = 2
                else if ($1 < 40 && '"$RED"') i = 3
                if (i) { n[i]++; x[i] += $1; y[i] += $2 }
            }
            END { put(1); put(2); put(3); print "" }'
}

# Two looks at window $1, 0.3 s apart: the ball must be there and moving,
# and both paddles shown. Each look's pieces stay in b1 bx1 by1 rn1 rx1 ry1
# ln1 lx1 ly1 and b2 ... ly2; $2 starts the failure messages.
ball_in_play() {
    read -r b1 bx1 by1 rn1 rx1 ry1 ln1 lx1 ly1 < <(pieces "$1")
    sleep 0.3
    read -r b2 bx2 by2 rn2 rx2 ry2 ln2 lx2 ly2 < <(pieces "$1")
    [ "$b1" -gt 50 ] && [ "$b2" -gt 50 ] || fail "${2}no ball ($b1, $b2 pixels)"
    [ "$bx1,$by1" != "$bx2,$by2" ] || fail "${2}the ball stands still at $bx1,$by1"
    [ "$rn1" -gt 100 ] && [ "$ln1" -gt 100 ] || fail "${2}paddles missing ($rn1, $ln1 pixels)"
}
