#!/usr/bin/env bash
# Installs the Debian 12 packages the program, its tests and its benchmarks need (only those missing).
set -euo pipefail
# postgresql brings postgresql-client-15: pg_dump and pg_restore for the backups of a shop on a server.
packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev libqt6sql6-psql libpq-dev postgresql postgresql-contrib qt6-charts-dev libqt6opengl6-dev
  libcurl4-openssl-dev libsodium-dev
  fonts-noto-cjk fonts-arphic-uming
  libgtest-dev googletest libbenchmark-dev
  python3 unicode-data poppler-utils sqlite3 openssl xvfb xauth x11-utils imagemagick openbox xdotool
  cups printer-driver-cups-pdf qt6-translations-l10n
  libreoffice-calc-nogui
  dpkg-dev fakeroot lintian appstream desktop-file-utils qt6-svg-dev qt6-qpa-plugins
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
