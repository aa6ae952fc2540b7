#!/usr/bin/env bash
# The game as a Debian user gets it: builds the package, checks what it
# holds and what it depends on, installs it with apt, starts `rallyo` from
# the PATH in a folder of its own, plays to the menu and out by "Quit", then
# removes the package and finds nothing of it left.
# Installs into this machine: run as root (CI) or with sudo at hand.
set -u
cd "$(dirname "$0")/../.."
. tests/e2e/lib.bash
. tests/package/lib.bash
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# Waiting for apt's lock: CI may be installing Wine beside this.
apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -q "$@"; }

mkdir -p build
deb=$(tools/package.sh 2>"$PWD/build/package.log") || { cat build/package.log; fail "building the package"; }
[ -f "$deb" ] || fail "no $deb"
echo "== $(basename "$deb")"
dpkg-deb -c "$deb"
dpkg-deb -f "$deb" Package Version Section Depends

# Every library the program links must be covered by Depends. dpkg-shlibdeps
# names libsdl1.2debian for SDL; the package asks for sdl12-compat first.
GAME_PID=
start_x
dpkg-deb -x "$deb" "$WORK/root" && mkdir "$WORK/debian" && touch "$WORK/debian/control"
found=$(cd "$WORK" && dpkg-shlibdeps -O root/usr/lib/rallyo/rallyo 2>/dev/null) || fail "dpkg-shlibdeps"
depends=$(dpkg-deb -f "$deb" Depends)
IFS=, read -ra ours <<<"$depends"
IFS=, read -ra needed <<<"${found#shlibs:Depends=}"
for need in "${needed[@]}"; do
    need=${need# }
    case $need in libsdl1.2debian*) need="libsdl1.2-compat-shim (>= 1.2.60) | $need" ;; esac
    printf '%s\n' "${ours[@]# }" | grep -qxF "$need" || fail "Depends lacks \"$need\" ($depends)"
done

apt_get install "$deb" >"$WORK/apt.log" 2>&1 || fail "apt-get install: $(tail -20 "$WORK/apt.log")"
trap 'kill $GAME_PID $XVFB_PID 2>/dev/null; wait 2>/dev/null; rm -rf "$WORK"; apt_get remove rallyo >/dev/null 2>&1' EXIT
dpkg-query -W -f='${Status}' rallyo | grep -q "ok installed" || fail "not installed after apt"
dpkg -L rallyo >"$WORK/list"

# Debian gives users /usr/games on their PATH (root's has it not).
PATH=$PATH:/usr/games
[ "$(command -v rallyo)" = /usr/games/rallyo ] || fail "rallyo on the PATH is $(command -v rallyo)"
desktop-file-validate /usr/share/applications/rallyo.desktop || fail "installed desktop entry"
appstreamcli validate --no-net /usr/share/metainfo/org.example.rallyo.metainfo.xml >/dev/null ||
    fail "installed metainfo"
[ -f /usr/share/icons/hicolor/32x32/apps/rallyo.png ] || fail "no icon for Icon=rallyo"
cmp -s /usr/share/doc/rallyo/copyright data/copyright || fail "no copyright file as written"
zcat /usr/share/doc/rallyo/changelog.gz | dpkg-parsechangelog -l- -SVersion | grep -qxF "$(dpkg-deb -f "$deb" Version)" ||
    fail "the changelog's newest entry is not this version"
[ "$(man -w 6 rallyo 2>&1)" = /usr/share/man/man6/rallyo.6.gz ] || fail "man 6 rallyo: $(man -w 6 rallyo 2>&1)"

# The menu entry's command, from a folder that is neither the source tree
# nor the game's.
cd "$WORK" && mkdir run && cd run || fail "no run folder"
play_to_quit rallyo
cd /

apt_get remove rallyo >"$WORK/apt.log" 2>&1 || fail "apt-get remove: $(tail -20 "$WORK/apt.log")"
! dpkg-query -W -f='${Status}' rallyo 2>/dev/null | grep -q "ok installed" || fail "still installed"
while read -r path; do
    [ -d "$path" ] && continue
    [ ! -e "$path" ] || fail "left after removal: $path"
done <"$WORK/list"
for dir in /usr/share/rallyo /usr/lib/rallyo; do
    [ ! -e "$dir" ] || fail "left after removal: $dir"
done
echo "installed: 1 passed, 0 failed"
