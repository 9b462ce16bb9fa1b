#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo need.
# Idempotent: asks apt only for what is missing and stays quiet when all is there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools
  libqt5opengl5-dev qtmultimedia5-dev libqt5multimedia5-plugins libqt5svg5-dev qtwebengine5-dev libqt5webchannel5-dev
  libqwt-qt5-dev
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev ffmpeg
  libboost-date-time-dev libboost-filesystem-dev
  googletest libgtest-dev
  clang libclang-rt-14-dev
  libjs-leaflet
  xvfb xauth dbus-daemon libgl1-mesa-dri mesa-utils fonts-dejavu-core fonts-nanum fonts-ipafont-gothic
  pulseaudio pulseaudio-utils xdotool imagemagick desktop-file-utils python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
