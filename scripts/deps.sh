#!/usr/bin/env bash
# Installs the Debian packages Quollin needs, when any is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  # the Debian package: icons drawn from the SVG, and its checks (scripts/package-test.sh)
  librsvg2-bin dpkg-dev desktop-file-utils appstream file man-db
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libgl-dev
  libqt6opengl6-dev
  libsqlcipher-dev libsodium-dev libxlsxwriter-dev libfreexl-dev libgsf-1-dev libzip-dev libicu-dev
  python3-xlwt # writes the .xls workbooks of the import tests
  fonts-noto-cjk
  qt6-translations-l10n # Qt's own dialogs in Chinese
  python3-openpyxl
  poppler-utils
  # the server backend, and the throw-away cluster its tests run on (scripts/pg-test-cluster.sh)
  postgresql libpq-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
