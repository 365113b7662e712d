#!/usr/bin/env bash
# Installs the Debian 12 packages the station needs to build, test and run its demo.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc
  unixodbc libsqliteodbc sqlite3
  xvfb xauth imagemagick x11-apps
  g++-mingw-w64-i686
)
# Wine runs the 32-bit Windows build of the virtual printer (and the bridge); wine32 comes
# from the i386 architecture.
foreign=()
if [ "$(dpkg --print-architecture)" = amd64 ]; then
  packages+=(wine wine32:i386)
  dpkg --print-foreign-architectures | grep -qx i386 || foreign=(i386)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#foreign[@]} -gt 0 ]; then
  $SUDO dpkg --add-architecture i386
fi
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
