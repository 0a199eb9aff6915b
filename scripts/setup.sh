#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages that building, testing and the end-to-end tests need.
# Only what is missing is installed; works as root and through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libqt6printsupport6 qt6-qpa-plugins
  qt6-base-private-dev
  libx11-dev libgl-dev libfontconfig-dev
  fonts-ipafont-gothic fonts-dejavu-core
  libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick poppler-utils
  libpng-dev
  python3 python3-pil fiu-utils strace
  appstream dpkg-dev desktop-file-utils lintian man-db groff-base
  qt6-wayland libwayland-dev libxkbcommon-dev sway grim iproute2
  python3-pyatspi at-spi2-core dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
else
  as_root=(sudo)
fi

echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
