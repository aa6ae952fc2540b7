#!/bin/sh
# Prints the game's version, which CMakeLists.txt's project() holds and
# everything else (packages, zips, the release) takes from there.
sed -n 's/^project(rallyo VERSION \([^ ]*\) .*/\1/p' "$(dirname "$0")/../CMakeLists.txt"
