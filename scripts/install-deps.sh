#!/usr/bin/env bash
# Installs the Debian packages Tavrelle needs to build, test and run.
# As root it installs what is missing; otherwise it prints the exact command and stops.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ccache
  qt6-base-dev libgl-dev qt6-image-formats-plugins
  libheif-dev libheif-examples libjpeg-dev zlib1g-dev libdeflate-dev
  libsdl2-mixer-dev libcdio-dev libx11-dev libxtst-dev libxcb-shm0-dev
  libgtest-dev libbenchmark-dev lame
  xvfb xauth xdotool x11-utils
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  fonts-ipafont-gothic
  dpkg-dev lintian desktop-file-utils libxml2-utils man-db xscreensaver
  clang libclang-rt-14-dev libxtst-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Tavrelle needs these Debian packages. Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
