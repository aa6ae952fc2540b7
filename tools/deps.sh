#!/usr/bin/env bash
# Installs the Debian packages the game needs to build and run ("play"), to
# be packaged ("package") or also to be tested ("test"), and any packages
# named after that, asking apt only for what is missing.
set -eu
build="cmake g++ pkg-config libsdl1.2-compat-dev libglu1-mesa-dev libgtk-3-dev"
package="dpkg-dev zip"
tests="$package lintian openbox x11-utils libgtest-dev xvfb xauth xdotool imagemagick libx11-dev
       desktop-file-utils appstream groff-base man-db
       clang libclang-rt-14-dev valgrind"
want=$build
case ${1:-play} in
package) want="$build $package" ;;
test) want="$build $tests" ;;
esac
[ $# -gt 0 ] && shift
want="$want $*"

missing=""
for p in $want; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing:$missing"
$sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq $missing
