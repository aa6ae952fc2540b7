# Debian packages by the named groups the scripts need, asking apt only for
# what is missing. Sourced (tools/deps.sh is its command): need GROUP...
#
# The registry is not always whole: a mirror in the middle of a sync serves
# an index of the wrong size, and then every `apt-get update` fails, for
# that index, for as long as the sync takes. So an update is tried a few
# times; an index that still fails is named in a warning, and the install
# alone decides: what can be installed from the indexes apt has is, and
# only packages that cannot be make the call fail, named with apt's reason.

# What each group holds. A name with a "command=" before it is wanted only
# when that command is missing: any packaging of it on the PATH will do.
group_packages() {
    case $1 in
    play) echo cmake g++ pkg-config libsdl1.2-compat-dev libglu1-mesa-dev libgtk-3-dev ;;
    package) echo "$(group_packages play) dpkg-dev zip" ;;
    test)
        echo "$(group_packages package) lintian openbox x11-utils libgtest-dev xvfb xauth xdotool imagemagick" \
            libx11-dev desktop-file-utils appstream groff-base man-db clang libclang-rt-14-dev valgrind
        ;;
    release) echo "$(group_packages package) locales unzip" ;;
    diffoscope) echo diffoscope-minimal python3-debian xxd ;;
    windows)
        echo cmake make pkg-config dpkg-dev g++-mingw-w64-i686 g++-mingw-w64-i686-posix \
            gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-tools zip
        ;;
    # With what looks into the zip and the executable, and what plays the unpacked game.
    windows-test) echo "$(group_packages windows) googletest file unzip xvfb xauth xdotool imagemagick g++ libx11-dev" ;;
    # Wine runs the 32-bit game with Debian's i386 packages, Mesa's software GL among them.
    wine) echo wine wine32:i386 libwine:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386 libgl1:i386 libglu1-mesa:i386 ;;
    web) echo emscripten cmake make node=nodejs ;;
    # Three engines: Chromium, Firefox in a window, WebKitGTK's MiniBrowser through its driver.
    web-test)
        echo "$(group_packages web) googletest npm=npm chromium firefox-esr libwebkit2gtk-4.1-0" \
            webkit2gtk-driver xvfb xauth
        ;;
    *)
        echo "deps: no group \"$1\"" >&2
        return 1
        ;;
    esac
}

apt_sudo=()
[ "$(id -u)" -eq 0 ] || apt_sudo=(sudo)
apt_get=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)

# apt-get update, tried again after a pause while it fails; an index that
# fails to the end is named, and the run goes on with the indexes that were
# read. Given apt options (a private configuration of the caller's), it
# runs as the caller.
apt_update() {
    local try log=${TMPDIR:-/tmp}/rallyo-apt-update.$$ as=("${apt_sudo[@]}")
    [ $# -eq 0 ] || as=()
    for try in 1 2 3; do
        "${as[@]}" "${apt_get[@]}" "$@" update -qq >"$log" 2>&1 && { rm -f "$log"; return 0; }
        [ "$try" -lt 3 ] && sleep "${APT_RETRY_PAUSE:-10}"
    done
    # apt: "E: Failed to fetch URL  reason" (or W:), and the summary lines.
    sed -n 's/^[EW]: Failed to fetch \([^ ]*\) *\(.*\)/\1 (\2)/p' "$log" | sort -u |
        while read -r index; do echo "deps: warning: apt could not read the index $index; going on without it" >&2; done
    grep -q '^[EW]: Failed to fetch' "$log" ||
        echo "deps: warning: apt-get update failed: $(grep '^E:' "$log" | head -n 3 | tr '\n' ' ')" >&2
    rm -f "$log"
    return 0
}

# Installs whatever the groups hold that is not installed yet. On failure
# the last line on stderr is "deps: PACKAGES could not be installed: REASON".
need() {
    local group want="" name missing=() log
    for group in "$@"; do
        want="$want $(group_packages "$group")" || return 1
    done
    for name in $want; do
        case $name in
        *=*) command -v "${name%%=*}" >/dev/null || missing+=("${name#*=}") ;;
        *) dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q "ok installed" || missing+=("$name") ;;
        esac
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    missing=($(printf '%s\n' "${missing[@]}" | sort -u))

    # i386 packages are found only once dpkg takes that architecture.
    if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${apt_sudo[@]}" dpkg --add-architecture i386
    fi
    echo "Installing: ${missing[*]}"
    apt_update
    log=${TMPDIR:-/tmp}/rallyo-apt-install.$$
    if ! "${apt_sudo[@]}" "${apt_get[@]}" install -y -q "${missing[@]}" >"$log" 2>&1; then
        cat "$log" >&2
        # apt's own words: the first dependency it could not meet, and its errors.
        echo "deps: ${missing[*]} could not be installed: $({ sed -n '/unmet dependencies/{n;s/^ *//;p;q}' "$log"
            sed -n 's/^E: //p' "$log" | head -n 3; } | paste -sd ';' - | sed 's/;/; /g')" >&2
        rm -f "$log"
        return 1
    fi
    # What apt says of the install, but for its list of every step.
    grep -v -e '^Selecting previously' -e '^Preparing to unpack' -e '^Unpacking ' -e '^Setting up ' \
        -e '^Processing triggers' -e '^(Reading database' -e '^Get:' -e '^Reading ' -e '^Building ' \
        -e '^  ' -e '^The following' -e '^Need to get' -e '^After this' -e '^Fetched' -e '^[0-9]* upgraded' "$log" || true
    rm -f "$log"
}
