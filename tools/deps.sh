#!/usr/bin/env bash
# Installs the Debian packages of the named groups (tools/apt.bash lists
# them: play, package, test, release, windows, wine, web, web-test...), only
# those missing; "play" when none is named.
set -eu
. "$(dirname "$0")/apt.bash"
[ $# -gt 0 ] || set -- play
need "$@"
