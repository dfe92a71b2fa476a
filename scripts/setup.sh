#!/usr/bin/env bash
# Installs the Debian packages the build, the programs and the tests need,
# when any of them is missing. Sourced by run.sh and test.sh.
set -euo pipefail

ARRHYTHMICA_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev libjpeg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation
  xvfb xauth x11-utils xdotool python3 python3-xlib
  desktop-file-utils appstream dpkg-dev groff-base
)

missing=()
for pkg in "${ARRHYTHMICA_PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
