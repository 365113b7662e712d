#!/usr/bin/env bash
# Installs the Debian 12 packages the station needs to build, test and run its demo.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc libqt6sql6-psql
  postgresql
  unixodbc libsqliteodbc sqlite3
  xvfb xauth imagemagick x11-apps
  g++-mingw-w64-i686
)
# Wine is not installed: the machines this project builds on run no 32-bit programs at all
# (IA-32 emulation off), so the 32-bit Windows builds are checked by their export tables; the
# test that loads them under Wine runs where a technician installs wine32 by hand.
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
