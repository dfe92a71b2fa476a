#!/usr/bin/env bash
# Builds the release Debian package twice, in two build trees of its own
# beside the given one, and checks that both give the same bytes, what the
# package holds and depends on, that lintian finds no error or warning and
# that every binary is hardened. Skipped (status 77) where the Debian tools
# are missing.
# Arguments: <build dir> <source dir> <release>
set -euo pipefail
build=$(realpath "$1")
src=$(realpath "$2")
version=$3
for tool in dpkg-deb dpkg-buildflags lintian hardening-check; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is missing, so the Debian package cannot be built or checked here"
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

export ARRHYTHMICA_MAINTAINER="Arrhythmica test build <arrhythmica@test.invalid>"
for tree in a b; do
    "$src/packaging/build-deb.sh" "$build/deb-$tree" "$work/$tree" >"$work/build-$tree.log" 2>&1 ||
        { cat "$work/build-$tree.log" >&2; echo "packaging/build-deb.sh failed" >&2; exit 1; }
done
arch=$(dpkg --print-architecture)
deb="$work/a/arrhythmica_${version}-1_${arch}.deb"
[ -f "$deb" ] || { ls -l "$work/a" >&2; echo "no package named $(basename "$deb")" >&2; exit 1; }
[ "$(tail -n 1 "$work/build-a.log")" = "$deb" ] || fail "build-deb.sh names another package: $(tail -n 1 "$work/build-a.log")"

# Reproducible: two build trees, one commit, the same bytes.
if ! cmp "$deb" "$work/b/$(basename "$deb")"; then
    fail "two builds of one commit differ"
    dpkg-deb -c "$deb" >"$work/a.contents"
    dpkg-deb -c "$work/b/$(basename "$deb")" >"$work/b.contents"
    diff "$work/a.contents" "$work/b.contents" >&2 || true
fi

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = arrhythmica ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version-1" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Maintainer)" = "$ARRHYTHMICA_MAINTAINER" ] || fail "Maintainer: $(field Maintainer)"
[ -n "$(field Description)" ] || fail "no Description"
[ "$(field Recommends)" = xdg-utils ] || fail "Recommends: $(field Recommends)"

# Dependencies: computed from the binaries (Qt, libjpeg, the C++ runtime),
# plus the fonts the programs map to and Qt's platform plugins.
depends=$(field Depends)
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libjpeg62-turbo fonts-liberation qt6-qpa-plugins; do
    grep -qxF "$package" <<<"$names" || fail "Depends lacks $package: $depends"
done

# Contents: the installed tree under /usr, owned by root, programs executable.
dpkg-deb -c "$deb" >"$work/contents"
awk '{print $6}' "$work/contents" | sed 's|^\./|/|; s|/$||' | sort >"$work/paths"
doc=/usr/share/doc/arrhythmica
for path in /usr/bin/ecgtrace /usr/bin/ecgtrace-batch /usr/bin/myogrid /usr/bin/myogrid-batch \
    /usr/share/ecgtrace/V13.rtf /usr/share/ecgtrace/V13b.rtf \
    /usr/share/applications/org.arrhythmica.Ecgtrace.desktop \
    /usr/share/applications/org.arrhythmica.Myogrid.desktop \
    /usr/share/metainfo/org.arrhythmica.Ecgtrace.metainfo.xml \
    /usr/share/metainfo/org.arrhythmica.Myogrid.metainfo.xml \
    /usr/share/mime/packages/arrhythmica.xml \
    /usr/share/icons/hicolor/scalable/apps/org.arrhythmica.Ecgtrace.svg \
    /usr/share/icons/hicolor/48x48/apps/org.arrhythmica.Myogrid.png \
    /usr/share/icons/hicolor/256x256/apps/org.arrhythmica.Ecgtrace.png \
    /usr/share/man/man1/ecgtrace.1.gz /usr/share/man/man1/myogrid-batch.1.gz \
    $doc/copyright $doc/changelog.gz $doc/changelog.Debian.gz $doc/README.md; do
    grep -qxF "$path" "$work/paths" || fail "the package lacks $path"
done
if grep -v -e '^/usr$' -e '^/usr/' -e '^/$' -e '^$' "$work/paths" >&2; then fail "paths outside /usr"; fi
awk '$2 != "root/root" {print}' "$work/contents" | grep . >&2 && fail "files not owned by root"
for p in ecgtrace ecgtrace-batch myogrid myogrid-batch; do
    grep -E "^-rwxr-xr-x .* \./usr/bin/$p$" "$work/contents" >/dev/null || fail "/usr/bin/$p is not mode 755"
done

dpkg-deb -x "$deb" "$work/root"
# Compressed files carry neither a name nor a time: gzip -n.
for gz in "$work/root$doc"/*.gz "$work/root"/usr/share/man/man1/*.gz; do
    header=$(od -An -tx1 -N8 "$gz" | tr -d ' \n')
    [ "${header:6:10}" = 0000000000 ] || fail "$(basename "$gz") keeps a name or a time stamp ($header)"
done
zcat "$work/root$doc/changelog.gz" | cmp -s - "$src/CHANGELOG.md" || fail "changelog.gz is not CHANGELOG.md"
# No placeholder address anywhere in the package.
if grep -rlI -e '\.example\b' "$work/root" >&2; then fail "placeholder addresses in the package"; fi

# Every binary built with every hardening feature. Three lines of
# hardening-check need more than the flags: fortified calls show only where
# the compiler knows a buffer's size, stack clash probes only in large
# frames, and control-flow protection only where the C library's start files
# carry it (not yet in Debian 12). For those the build's flags are checked,
# and at least one program must show fortified calls.
flags=$(sed -n 's/^CMAKE_CXX_FLAGS:STRING=//p' "$build/deb-a/CMakeCache.txt")
for flag in -D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection -fcf-protection; do
    [[ " $flags " == *" $flag "* ]] || fail "the package is built without $flag ($flags)"
done
fortified=0
for p in ecgtrace ecgtrace-batch myogrid myogrid-batch; do
    report=$(hardening-check --nofortify --nocfprotection "$work/root/usr/bin/$p" 2>&1) || {
        echo "$report" >&2; fail "hardening-check: $p lacks a feature"; }
    grep -q 'Fortify Source functions: yes' <<<"$report" && fortified=$((fortified + 1))
done
((fortified > 0)) || fail "no program shows fortified calls"

# lintian: no error and no warning (overrides carry their reason).
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || {
    cat "$work/lintian.log" >&2; fail "lintian"; }

if ((failures)); then
    echo "$failures check(s) of the Debian package failed" >&2
    exit 1
fi
echo "debian package ok"
