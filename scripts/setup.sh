#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Plumewright need.
# Only asks apt when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools
  libx11-dev libxtst-dev libxfixes-dev libgl-dev
  xvfb xauth x11-xserver-utils xdotool openbox
  fonts-dejavu-core
  libbenchmark-dev
  desktop-file-utils appstream dpkg-dev file
  clang libclang-rt-14-dev clang-format clang-tidy
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
