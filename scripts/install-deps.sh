#!/usr/bin/env bash
# Installs the Debian 12 packages the station needs to build, test and run its demo.
# Usage: scripts/install-deps.sh [demo]   (demo: only what the demo builds and runs)
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc libqt6sql6-psql qt6-translations-l10n
  sqlite3
)
if [ "${1:-}" != demo ]; then
  packages+=(
    postgresql
    unixodbc unixodbc-dev libsqliteodbc
    xvfb xauth imagemagick x11-apps x11-utils xdotool openbox trayer
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64
  )
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq
  $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# 32-bit Windows programs (the printer maker's DLL is 32-bit) under wine32; where that cannot be
# set up, it says why and only the 32-bit Wine cases skip.
if [ "${1:-}" != demo ]; then
  "$(dirname "$0")/i386/setup.sh"
fi
