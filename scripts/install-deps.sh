#!/usr/bin/env bash
# Installs the Debian packages Tavrelle needs.
#   install-deps.sh build   what building the programs and the package takes
#   install-deps.sh test    that, and what the tests, benchmarks and fuzzing take (the default)
# As root it installs what is missing; otherwise it prints the exact command and stops.
set -euo pipefail

SET="${1:-test}"

BUILD_PACKAGES=(
  build-essential cmake pkg-config ccache dpkg-dev
  qt6-base-dev libgl-dev qt6-image-formats-plugins qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
  libheif-dev libde265-dev libjpeg-dev zlib1g-dev libdeflate-dev libwebp-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libsdl2-mixer-dev libcdio-dev libx11-dev libxtst-dev libxcb-shm0-dev libxcb-randr0-dev
  fonts-ipafont-gothic
)

TEST_PACKAGES=(
  libgtest-dev libbenchmark-dev lame libheif-examples python3
  xvfb xauth xdotool x11-utils
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  lintian desktop-file-utils libxml2-utils man-db
  xscreensaver mate-screensaver dbus-daemon
  clang libclang-rt-14-dev
  feh xscreensaver-gl webp netpbm libvips-tools valgrind time
)

case "$SET" in
  build) PACKAGES=("${BUILD_PACKAGES[@]}") ;;
  test) PACKAGES=("${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
  *) echo "usage: $0 [build|test]" >&2; exit 2 ;;
esac

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
