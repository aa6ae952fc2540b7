#!/usr/bin/env bash
# `cmake --install` into a prefix of one's own: the files the issue lists,
# a launcher that finds the game after the tree is moved and when reached by
# a symlink, and that refuses to start the game without its pictures. Also
# lints the desktop entry, the metainfo and the manual page as shipped.
# Usage: prefix.sh BUILD_DIR (a finished build of this tree)
set -u
build=$(realpath "$1")
cd "$(dirname "$0")/../.."
. tests/e2e/lib.bash
. tests/package/lib.bash

desktop-file-validate data/rallyo.desktop || fail "desktop entry"
appstreamcli validate --no-net --pedantic data/org.example.rallyo.metainfo.xml >/dev/null ||
    fail "metainfo: $(appstreamcli validate --no-net --pedantic data/org.example.rallyo.metainfo.xml)"
warnings=$(groff -man -ww -z data/rallyo.6 2>&1)
[ -z "$warnings" ] || fail "manual page: $warnings"

GAME_PID=
start_x
cmake --install "$build" --prefix "$WORK/first" >/dev/null || fail "cmake --install"
(cd "$WORK/first" && find . -type f -printf '%m %p\n' | sort) >"$WORK/files"
diff -u - "$WORK/files" <<'LIST' || fail "installed files differ (above)"
644 ./share/applications/rallyo.desktop
644 ./share/doc/rallyo/changelog.gz
644 ./share/doc/rallyo/copyright
644 ./share/icons/hicolor/32x32/apps/rallyo.png
644 ./share/man/man6/rallyo.6.gz
644 ./share/metainfo/org.example.rallyo.metainfo.xml
644 ./share/rallyo/gfx/Font.bmp
644 ./share/rallyo/gfx/background.bmp
644 ./share/rallyo/gfx/p1.bmp
644 ./share/rallyo/gfx/p2.bmp
644 ./share/rallyo/gfx/pileczka.bmp
644 ./share/rallyo/gfx/qor.bmp
644 ./share/rallyo/gfx/start.bmp
755 ./bin/rallyo
755 ./lib/rallyo/rallyo
LIST
cmp -s "$WORK/first/share/rallyo/gfx/start.bmp" gfx/start.bmp || fail "start.bmp changed on the way"
zcat "$WORK/first/share/man/man6/rallyo.6.gz" | cmp -s - data/rallyo.6 || fail "manual page changed on the way"
[ "$(identify -format '%w %h' "$WORK/first/share/icons/hicolor/32x32/apps/rallyo.png")" = "32 32" ] ||
    fail "the icon is not 32 x 32"

# Moved after installing (to a path with a space), reached by a symlink
# from a folder of its own, and started from a third folder with a gfx/ that
# is not the game's.
mv "$WORK/first" "$WORK/moved here"
mkdir "$WORK/links" "$WORK/elsewhere" "$WORK/elsewhere/gfx"
ln -s "$WORK/moved here/bin/rallyo" "$WORK/links/rallyo"
cd "$WORK/elsewhere"
play_to_quit "$WORK/links/rallyo"

# Without its pictures the launcher says so and never starts the game.
rm -r "$WORK/moved here/share/rallyo"
env -u DISPLAY "$WORK/links/rallyo" >"$WORK/out" 2>"$WORK/err"
status=$?
[ "$status" -ne 0 ] || fail "no pictures but status 0"
[ ! -s "$WORK/out" ] || fail "the game ran without its pictures: $(cat "$WORK/out")"
grep -q "$WORK/moved here/share/rallyo/gfx" "$WORK/err" || fail "no word of the missing folder: $(cat "$WORK/err")"
echo "prefix: ok"
