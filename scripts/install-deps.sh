#!/usr/bin/env bash
# Installs what building, running and testing need, on Debian as root. Skips the
# package manager entirely when everything is already there.
set -euo pipefail
packages=(
  g++ cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-charts-dev libgl1-mesa-dev
  libsqlcipher-dev libxlsxwriter-dev zlib1g-dev pxlib-dev
  libreoffice-calc-nogui unzip poppler-utils
  fonts-noto-cjk xvfb xauth qt6-translations-l10n
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
