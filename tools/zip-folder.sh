#!/usr/bin/env bash
# Packs everything in the folder FROM into the new zip TO, so that the same
# files always make the same bytes: entries in the byte order of their names,
# each dated SOURCE_DATE_EPOCH (the newest commit's time when it is unset),
# modes 644 or 755 whatever the umask was, and no owners or extra times.
# Usage: zip-folder.sh FROM TO
set -euo pipefail
[ $# -eq 2 ] && [ -d "$1" ] || { echo "usage: zip-folder.sh FOLDER ZIP" >&2; exit 2; }
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$(dirname "$0")" log -1 --format=%ct)}
to=$(realpath -m "$2")
# Zip stores local times and orders nothing itself.
export TZ=UTC LC_ALL=C

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -R "$1/." "$stage/"
chmod -R u=rwX,go=rX "$stage"
find "$stage" -exec touch -h -d "@$epoch" {} +
# zip adds to a zip that is already there: start from none.
rm -f "$to"
(cd "$stage" && find . -mindepth 1 -printf '%P\n' | sort | zip -q -X -9 "$to" -@)
