#!/usr/bin/env bash
# Debian's own checker on the package: no error and no warning. Its notes
# (I:, P:) are shown and allowed.
set -u
cd "$(dirname "$0")/../.."
mkdir -p build
deb=$(tools/package.sh 2>build/package.log) || { cat build/package.log; echo "lintian: building the package failed"; exit 1; }
report=$(lintian --display-info --pedantic "$deb" 2>&1 | grep -v "running with root privileges")
echo "$report"
if grep -qE '^[EW]: ' <<<"$report"; then
    echo "lintian: 0 passed, 1 failed"
    exit 1
fi
echo "lintian: 1 passed, 0 failed"
