#!/usr/bin/env bash
# Builds the Debian package as a release is made: a build tree of its own,
# compiled with Debian's hardening flags (dpkg-buildflags), every date in
# the package taken from SOURCE_DATE_EPOCH (the last commit's date when
# unset), so that two builds of one commit give the same bytes.
#   packaging/build-deb.sh [BUILD_DIR [OUT_DIR]]
# BUILD_DIR defaults to build/deb, OUT_DIR to BUILD_DIR. The Maintainer field
# comes from ARRHYTHMICA_MAINTAINER, or from DEBFULLNAME and DEBEMAIL.
# Prints the path of the package on the last line.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$src/build/deb}")
out=$(realpath -m "${2:-$build}")

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct 2>/dev/null || true)
    [ -n "$SOURCE_DATE_EPOCH" ] || SOURCE_DATE_EPOCH=$(stat -c %Y "$src/CHANGELOG.md")
fi
export SOURCE_DATE_EPOCH

# Every hardening feature, bindnow included; run from the sources so that
# -ffile-prefix-map takes their absolute path out of the binaries.
cd "$src"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags=$(dpkg-buildflags --get CXXFLAGS)
cppflags=$(dpkg-buildflags --get CPPFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
# Newer dpkg releases add stack clash protection and control-flow protection
# to every feature; older ones get them here where the compiler has them.
probe=$(mktemp -d)
echo 'int main() { return 0; }' >"$probe/probe.cpp"
for flag in -fstack-clash-protection -fcf-protection; do
    case " $cflags " in *" $flag "*) continue ;; esac
    if "${CXX:-c++}" "$flag" -c "$probe/probe.cpp" -o "$probe/probe.o" 2>/dev/null; then
        cflags="$cflags $flag"
    fi
done
rm -rf "$probe"
# The build tree's own path leaves the binaries too (generated sources).
cflags="$cflags -ffile-prefix-map=$build=."

maintainer=${ARRHYTHMICA_MAINTAINER:-}
if [ -z "$maintainer" ] && [ -n "${DEBEMAIL:-}" ]; then
    maintainer="${DEBFULLNAME:-Arrhythmica packager} <$DEBEMAIL>"
fi
maintainer_option=()
[ -z "$maintainer" ] || maintainer_option=("-DARRHYTHMICA_MAINTAINER=$maintainer")

# The build type None adds no flags of CMake's own, as Debian builds do.
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_CXX_FLAGS="$cflags $cppflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
    -DARRHYTHMICA_TESTS=OFF -DARRHYTHMICA_BENCH=OFF \
    -DARRHYTHMICA_DEBIAN_PACKAGE=ON \
    "${maintainer_option[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

# cpack stamps the files with the time they were built: the package is made
# again from its contents with every time set to SOURCE_DATE_EPOCH.
staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT
(cd "$staging" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$staging/cpack") >"$staging/cpack.log" 2>&1 ||
    { cat "$staging/cpack.log" >&2; echo "cpack failed" >&2; exit 1; }
built=$(find "$staging/cpack" -maxdepth 1 -name '*.deb' | head -n 1)
[ -n "$built" ] || { cat "$staging/cpack.log" >&2; echo "cpack made no package" >&2; exit 1; }
root="$staging/root"
mkdir "$root"
dpkg-deb -R "$built" "$root"
chmod -R u+w,go-w "$root"
find "$root" -depth -newermt "@$SOURCE_DATE_EPOCH" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
mkdir -p "$out"
deb="$out/$(basename "$built")"
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
