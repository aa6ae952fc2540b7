#!/usr/bin/env bash
# Installs the Debian packages the game needs to build and run ("play") or
# also to be tested ("test"), asking apt only for what is missing.
set -eu
build="cmake g++ pkg-config libsdl1.2-compat-dev libglu1-mesa-dev libgtk-3-dev"
tests="libgtest-dev xvfb xauth xdotool imagemagick libx11-dev
       dpkg-dev desktop-file-utils appstream groff-base man-db
       clang libclang-rt-14-dev valgrind"
want=$build
[ "${1:-play}" = test ] && want="$build $tests"

missing=""
for p in $want; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing:$missing"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
