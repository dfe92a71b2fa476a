#!/usr/bin/env bash
# Builds the Debian package of the build tree with cpack and checks what it
# holds and what it depends on. Skipped (status 77) where dpkg-deb is missing.
# Arguments: <build dir> <source dir> <release>
set -euo pipefail
build=$(realpath "$1")
src=$(realpath "$2")
version=$3
if ! command -v dpkg-deb >/dev/null; then
    echo "SKIPPED: dpkg-deb is missing, so no Debian package can be built here"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; echo "cpack failed" >&2; exit 1; }
arch=$(dpkg --print-architecture)
deb="$work/out/arrhythmica_${version}_${arch}.deb"
[ -f "$deb" ] || { ls -l "$work/out" >&2; echo "no package named $(basename "$deb")" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = arrhythmica ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"

# Dependencies: computed from the binaries (Qt, libjpeg, the C++ runtime),
# plus the fonts the programs map to and Qt's platform plugins.
depends=$(field Depends)
echo "Depends: $depends"
# The package names of the list, without their versions.
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libjpeg62-turbo fonts-liberation qt6-qpa-plugins; do
    grep -qxF "$package" <<<"$names" || fail "Depends lacks $package"
done

# Contents: the installed tree under /usr, owned by root, programs executable.
dpkg-deb -c "$deb" >"$work/contents"
awk '{print $6}' "$work/contents" | sed 's|^\./|/|; s|/$||' | sort >"$work/paths"
for path in /usr/bin/ecgtrace /usr/bin/ecgtrace-batch /usr/bin/myogrid /usr/bin/myogrid-batch \
    /usr/share/ecgtrace/V13.rtf /usr/share/ecgtrace/V13b.rtf \
    /usr/share/applications/org.arrhythmica.Ecgtrace.desktop \
    /usr/share/applications/org.arrhythmica.Myogrid.desktop \
    /usr/share/metainfo/org.arrhythmica.Ecgtrace.metainfo.xml \
    /usr/share/metainfo/org.arrhythmica.Myogrid.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/org.arrhythmica.Ecgtrace.svg \
    /usr/share/icons/hicolor/48x48/apps/org.arrhythmica.Myogrid.png \
    /usr/share/icons/hicolor/256x256/apps/org.arrhythmica.Ecgtrace.png \
    /usr/share/man/man1/ecgtrace.1.gz /usr/share/man/man1/myogrid-batch.1.gz; do
    grep -qxF "$path" "$work/paths" || fail "the package lacks $path"
done
if grep -v -e '^/usr$' -e '^/usr/' -e '^/$' -e '^$' "$work/paths" >&2; then fail "paths outside /usr"; fi
if grep -e '^/usr/local' "$work/paths" >&2; then fail "paths under /usr/local"; fi
awk '$2 != "root/root" {print}' "$work/contents" | grep . >&2 && fail "files not owned by root"
for p in ecgtrace ecgtrace-batch myogrid myogrid-batch; do
    grep -E "^-rwxr-xr-x .* \./usr/bin/$p$" "$work/contents" >/dev/null || fail "/usr/bin/$p is not mode 755"
done

if ((failures)); then
    echo "$failures check(s) of the Debian package failed" >&2
    exit 1
fi
echo "debian package ok"
