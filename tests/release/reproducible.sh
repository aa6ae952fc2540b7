#!/usr/bin/env bash
# Makes the release twice and compares every byte: once here, reusing this
# tree's builds, and once minutes later in a fresh clone of the same commit
# in another folder, on a RAM disk where there is room (its folders list
# their files in another order), with another umask, time zone and locale.
# On a difference it names the file, and Debian's diffoscope, installed
# then, shows what differs in it. Also checks what dist/ holds: the five
# files, checksums that sha256sum -c accepts, the whole page folder in the
# web zip, and no builder's folder in any file of either release.
# Run it in a checkout without changes not committed, as root or with sudo.
set -u
cd "$(dirname "$0")/../.."
here=$(pwd -P)
export LC_ALL=C
tools/deps.sh release || exit 1

. tests/checks.bash

ram=/dev/shm
[ -w "$ram" ] && [ "$(df -Pk "$ram" | awk 'NR == 2 { print $4 }')" -gt 1048576 ] || ram=${TMPDIR:-/tmp}
work=$(mktemp -d "$ram/rallyo-rebuild.XXXXXX")
trap 'rm -rf "$work"' EXIT
there=$work/somewhere/else/rallyo

# A locale that sorts otherwise than C ("Font.bmp" after "background.bmp"),
# made in a folder of the test's own.
localedef -i pl_PL -c -f UTF-8 "$work/pl_PL.UTF-8" || { echo "cannot make the pl_PL.UTF-8 locale"; exit 1; }

echo "== the release here ($here)"
(umask 022 && TZ=UTC LC_ALL=C.UTF-8 bash tools/release.sh) || { echo "reproducible: 0 passed, 1 failed"; exit 1; }
echo "== the release in a fresh clone ($there)"
(umask 077 && git clone -q --no-hardlinks "$here" "$there" && cd "$there" && git checkout -q --detach "$(git -C "$here" rev-parse HEAD)" &&
    TZ='<+14>-14' LOCPATH=$work LC_ALL=pl_PL.UTF-8 bash tools/release.sh) ||
    { echo "reproducible: 0 passed, 1 failed"; exit 1; }

same_bytes() {
    local dir
    for dir in "$here" "$there"; do
        echo "-- $dir/dist/SHA256SUMS:"
        cat "$dir/dist/SHA256SUMS"
    done
    diff "$here/dist/SHA256SUMS" "$there/dist/SHA256SUMS" && return 0
    tools/deps.sh diffoscope >/dev/null || echo "(diffoscope could not be installed)"
    local name
    for name in $(cut -c 67- "$here/dist/SHA256SUMS" "$there/dist/SHA256SUMS" | sort -u); do
        cmp -s "$here/dist/$name" "$there/dist/$name" && continue
        echo "-- $name differs:"
        timeout 600 diffoscope --text "$work/$name.diff" --max-text-report-size 1000000 \
            "$here/dist/$name" "$there/dist/$name" >/dev/null 2>&1
        mkdir -p build/reproducible && cp "$work/$name.diff" build/reproducible/ 2>/dev/null &&
            head -n 150 "$work/$name.diff"
    done
    echo "(diffoscope's reports are in build/reproducible/)"
    return 1
}
check "both releases the same bytes" same_bytes

version=$(tools/version.sh)
dist_list() {
    (cd dist && ls) | diff -u - <(printf '%s\n' SHA256SUMS "rallyo-$version-web.zip" "rallyo-$version-win32.zip" \
        "rallyo-$version.tar.gz" "rallyo_${version}_amd64.deb") || return 1
    (cd dist && sha256sum --quiet --strict -c SHA256SUMS)
}
check "dist/: the five files, and checksums that sha256sum -c accepts" dist_list

web_zip() {
    diff -u <(cd build/web && find . -type f -printf '%P\n' | LC_ALL=C sort) \
        <(unzip -Z1 "dist/rallyo-$version-web.zip" | grep -v '/$') || return 1
    local f
    for f in $(cd build/web && find . -type f -printf '%P\n'); do
        cmp -s "build/web/$f" <(unzip -p "dist/rallyo-$version-web.zip" "$f") || { echo "$f differs in the zip"; return 1; }
    done
}
check "the web zip: every file of the page folder, as built" web_zip

# Every file unpacked, and not one names the folder either release was made in.
no_build_folder() {
    local dir name found
    for dir in "$here" "$there"; do
        rm -rf "$work/unpacked"
        mkdir -p "$work/unpacked"
        for name in "$dir"/dist/*; do
            case $name in
            *.deb) dpkg-deb -R "$name" "$work/unpacked/deb" ;;
            *.zip) unzip -q "$name" -d "$work/unpacked/$(basename "$name")" ;;
            *.tar.gz) tar -xzf "$name" -C "$work/unpacked" ;;
            esac
        done
        found=$(grep -rlF -e "$here/" -e "$there/" "$work/unpacked")
        [ -z "$found" ] || { echo "a builder's folder in: $found"; return 1; }
    done
}
check "no builder's folder in any file" no_build_folder

checks_done reproducible
