#!/usr/bin/env bash
# Installs the Debian packages Dravolinex needs to build, play and test (only the missing ones). With --play, the
# packages only the tests need to run the game under other window systems are left out.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  libgtk-3-dev libsdl2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libcli11-dev libpng-dev libpixman-1-dev
  xvfb xauth xdotool imagemagick x11-utils
)
# A Wayland compositor (with its X server) and a window manager for the desktop tests.
[ "${1:-}" = --play ] || packages+=(weston xwayland openbox)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
