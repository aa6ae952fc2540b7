#!/usr/bin/env bash
# The browser build's tests: the rules' unit tests built with emcc and run
# under node, then the page of tools/web.sh played in Debian's headless
# Chromium, at a desktop (play.mjs) and on a phone, a tablet, full screen,
# gamepads and offline (devices.mjs). The pictures looked at are left in
# build/web-shots/.
set -eu
cd "$(dirname "$0")/.."
tools/deps.sh web-test
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build/web-test -DCMAKE_BUILD_TYPE=Release \
    -DRALLYO_WEB_DIR="$PWD/build/web-test/page" >/dev/null
cmake --build build/web-test -j2 --target rallyo_web_tests
ctest --test-dir build/web-test --output-on-failure

tools/web.sh
# puppeteer-core as the lock file pins it; it brings no browser of its own.
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
export RALLYO_SHOTS="$PWD/build/web-shots"
node tests/web/play.mjs build/web
node tests/web/devices.mjs build/web
