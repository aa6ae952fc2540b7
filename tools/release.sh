#!/usr/bin/env bash
# Makes every deliverable of the checked-out commit into dist/: the Debian
# package, the Windows zip, the web page's zip, the source archive and their
# SHA256SUMS. The same commit makes the same bytes wherever, whenever and by
# whomever it is built. Refuses a tree with changes not committed unless
# given --allow-dirty. In an unpacked source archive it makes the three
# builds of the commit the archive came from. Installs what the builds need,
# as root or with sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd -P)
die() {
    echo "release: $*" >&2
    exit 1
}
case ${1:-} in
"") dirty=refuse ;;
--allow-dirty) dirty=allow ;;
*) echo "usage: tools/release.sh [--allow-dirty]" >&2; exit 2 ;;
esac

# What differs from one builder to the next stays out of the builds.
umask 022
export TZ=UTC LC_ALL=C.UTF-8
unset LANGUAGE

version=$(tools/version.sh)
[ -n "$version" ] || die "no version in CMakeLists.txt"
head -n 1 data/changelog | grep -qF "rallyo ($version) " || die "data/changelog's newest entry is not $version"
grep -m 1 '<release ' data/org.example.rallyo.metainfo.xml | grep -qF "version=\"$version\"" ||
    die "the metainfo's newest release is not $version"
grep -qF "\"Rallyo $version\"" data/rallyo.6 || die "the manual page does not name $version"

# Every time stamp is the commit's time.
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    changes=$(git status --porcelain)
    if [ -n "$changes" ]; then
        [ "$dirty" = allow ] || die "changes not committed (tools/release.sh --allow-dirty builds them anyway):
$changes"
        echo "release: building changes not committed; the source archive holds the last commit only" >&2
    fi
    source=yes
else
    SOURCE_DATE_EPOCH=$(sed -n 's/^time \([0-9][0-9]*\)$/\1/p' tools/source-commit)
    [ -n "$SOURCE_DATE_EPOCH" ] || die "$root is neither a git checkout nor an unpacked source archive"
    source=no
fi
export SOURCE_DATE_EPOCH
rm -rf dist
tools/deps.sh package

echo "== the Debian package"
deb=$(tools/package.sh)
echo "== the Windows zip"
bash tools/windows.sh
echo "== the web page"
# Its zip holds the whole folder: nothing may be left there from an earlier build.
rm -rf build/web
bash tools/web.sh

mkdir dist
cp "$deb" "build/win32/rallyo-$version-win32.zip" dist/
tools/zip-folder.sh build/web "dist/rallyo-$version-web.zip"
if [ "$source" = yes ]; then
    git -c tar.umask=0022 archive --format=tar --prefix="rallyo-$version/" HEAD | gzip -9 -n >"dist/rallyo-$version.tar.gz"
fi
(cd dist && sha256sum rallyo* >SHA256SUMS)
echo "== dist/"
ls -l dist
cat dist/SHA256SUMS
