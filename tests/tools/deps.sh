#!/usr/bin/env bash
# The install helper against a registry that fails as real ones do: apt-get,
# dpkg and dpkg-query are stand-ins on the PATH that log their calls and
# answer as told. Run from the tree's root.
set -u
. tests/checks.bash
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
export APT_RETRY_PAUSE=0 TMPDIR=$fake

# Installed: the names in $fake/installed. apt-get update fails the first
# $fake/update-fails times (every time for "always"); install fails when
# $fake/install-fails holds a reason.
cat >"$fake/dpkg-query" <<'EOF'
#!/bin/sh
for last; do :; done
grep -qx "$last" "$FAKE/installed" && printf 'install ok installed'
exit 0
EOF
cat >"$fake/dpkg" <<'EOF'
#!/bin/sh
echo "dpkg $*" >>"$FAKE/log"
[ "$1" = --print-foreign-architectures ] && cat "$FAKE/foreign"
exit 0
EOF
cat >"$fake/apt-get" <<'EOF'
#!/bin/sh
for verb; do case $verb in update|install) break ;; esac; done
echo "apt-get $verb" >>"$FAKE/log"
if [ "$verb" = update ]; then
    fails=$(cat "$FAKE/update-fails")
    [ "$fails" = always ] || [ "$fails" -gt 0 ] || exit 0
    [ "$fails" = always ] || echo $((fails - 1)) >"$FAKE/update-fails"
    echo "E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100
fi
if [ -s "$FAKE/install-fails" ]; then
    echo "E: $(cat "$FAKE/install-fails")"
    exit 100
fi
echo "installed" >>"$FAKE/log"
EOF
chmod +x "$fake"/*
export FAKE=$fake PATH=$fake:$PATH

# One call of the helper with the registry as given: $1 update failures,
# $2 the install's failure ("" for none), then the groups.
deps() {
    echo "$1" >"$fake/update-fails"
    printf %s "$2" >"$fake/install-fails"
    : >"$fake/log"
    shift 2
    bash tools/deps.sh "$@" >"$fake/out" 2>"$fake/err"
}
calls() { grep -c "^apt-get $1" "$fake/log"; }

all_installed() {
    printf '%s\n' $(bash -c '. tools/apt.bash; group_packages play') >"$fake/installed"
    deps 0 "" play || return 1
    [ ! -s "$fake/log" ] || { cat "$fake/log"; return 1; }
}
check "nothing missing: apt is not asked" all_installed

flaky_update() {
    grep -v '^cmake$' "$fake/installed" >"$fake/i" && mv "$fake/i" "$fake/installed"
    deps 2 "" play || { cat "$fake/err"; return 1; }
    [ "$(calls update)" = 3 ] && [ "$(calls install)" = 1 ] || { cat "$fake/log"; return 1; }
    grep -qx 'Installing: cmake' "$fake/out" || { cat "$fake/out"; return 1; }
}
check "an update that fails twice is tried again, then only what is missing is installed" flaky_update

broken_index() {
    deps always "" play || { cat "$fake/err"; return 1; }
    [ "$(calls update)" = 3 ] && [ "$(calls install)" = 1 ] || { cat "$fake/log"; return 1; }
    grep -q 'warning: apt could not read the index http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz (File has unexpected size' \
        "$fake/err" || { cat "$fake/err"; return 1; }
}
check "an index that stays broken is named, and the install goes on" broken_index

cannot_install() {
    : >"$fake/foreign"
    deps always "Unable to locate package wine32:i386" wine && return 1
    grep -qx 'dpkg --add-architecture i386' "$fake/log" || { cat "$fake/log"; return 1; }
    tail -n 1 "$fake/err" | grep -q '^deps: .*wine32:i386.* could not be installed: Unable to locate package wine32:i386$' ||
        { cat "$fake/err"; return 1; }
}
check "packages that cannot be had fail the call, named with apt's reason" cannot_install

any_node() {
    printf '%s\n' emscripten cmake make >"$fake/installed"
    printf '#!/bin/sh\n' >"$fake/node" && chmod +x "$fake/node"
    deps 0 "" web || return 1
    [ ! -s "$fake/log" ] || { cat "$fake/log"; return 1; }
}
check "a command on the PATH stands for its package" any_node

checks_done deps
