#!/usr/bin/env bash
# The browser build's tests: the rules' unit tests built with emcc and run
# under node, and the page of tools/web.sh built; then that page played at a
# desktop (play.mjs) in Debian's Chromium, Firefox ESR and WebKitGTK, and on
# a phone, a tablet, full screen, gamepads, hidden, offline and without
# WebGL (devices.mjs) in Chromium. "build" does the first part only, "play
# [ENGINE...]" the second (in the engines named, all three when none is),
# on the page the first part built. They play a copy of it, build/web-play,
# which a release rebuilding build/web meanwhile leaves alone. The pictures
# looked at are left in build/web-shots/.
set -eu
cd "$(dirname "$0")/.."
part=${1:-all}
[ $# -gt 0 ] && shift
engines=${*:-chromium firefox webkit}
tools/deps.sh web-test
export NODE_PATH=/usr/share/nodejs
if [ "$part" != play ]; then
    emcmake cmake -S . -B build/web-test -DCMAKE_BUILD_TYPE=Release \
        -DRALLYO_WEB_DIR="$PWD/build/web-test/page" >/dev/null
    cmake --build build/web-test -j2 --target rallyo_web_tests
    ctest --test-dir build/web-test --output-on-failure
    tools/web.sh
    rm -rf build/web-play
    cp -a build/web build/web-play
    # puppeteer-core as the lock file pins it; it brings no browser of its own.
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
fi
[ "$part" != build ] || exit 0

export RALLYO_SHOTS="$PWD/build/web-shots"
failed=""
for engine in $engines; do
    echo "== the page at a desktop, in $engine"
    node tests/web/play.mjs build/web-play "$engine" || failed="$failed play.mjs($engine)"
done
if [[ " $engines " == *" chromium "* ]]; then
    echo "== the page on phones, tablets, full screen, gamepads, hidden, offline and without WebGL, in chromium"
    node tests/web/devices.mjs build/web-play || failed="$failed devices.mjs"
fi
[ -z "$failed" ] || { echo "web: failed:$failed"; exit 1; }
