#!/usr/bin/env bash
# Installs what the browser build needs ("build") or also its tests
# ("test"): Debian's emscripten, and for the tests GoogleTest's sources,
# Chromium and npm. Asks apt only for what is missing.
set -eu
want="emscripten cmake make"
[ "${1:-build}" = test ] && want="$want googletest chromium"

missing=""
for p in $want; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
# node and npm may come from another packaging of Node.js than Debian's;
# any that is on the PATH will do.
command -v node >/dev/null || missing="$missing nodejs"
[ "${1:-build}" = test ] && ! command -v npm >/dev/null && missing="$missing npm"
[ -z "$missing" ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing:$missing"
apt=(apt-get -o DPkg::Lock::Timeout=600)
$sudo "${apt[@]}" update -qq
DEBIAN_FRONTEND=noninteractive $sudo "${apt[@]}" install -y -qq $missing
