#!/usr/bin/env bash
# Installs the Debian packages that are missing. Sourced by run.sh (what
# building and running need) and by test.sh (that, and what the tests need):
#   ARRHYTHMICA_NEEDS="build test" source scripts/setup.sh
set -euo pipefail

# Building and running the programs.
ARRHYTHMICA_BUILD_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-svg-dev libjpeg-dev libedf-dev libbiosig-dev libsamplerate0-dev
  fonts-liberation
)
# The test suite: test and benchmark libraries, a virtual X server with real
# key events, the comma locale, the checkers of the installed tree and the
# Debian package (file types and xdg-open, lintian, hardening-check), and the
# formatter that keeps the house style.
ARRHYTHMICA_TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils xdotool python3
  dbus at-spi2-core python3-pyatspi
  locales
  desktop-file-utils appstream dpkg-dev groff-base
  shared-mime-info xdg-utils libglib2.0-bin lintian devscripts
  clang-format
)

wanted=()
for need in ${ARRHYTHMICA_NEEDS:-build}; do
  case "$need" in
    build) wanted+=("${ARRHYTHMICA_BUILD_PACKAGES[@]}") ;;
    test) wanted+=("${ARRHYTHMICA_TEST_PACKAGES[@]}") ;;
  esac
done

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
