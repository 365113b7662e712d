#!/usr/bin/env bash
# Installs the Debian 12 packages the station needs to build, test and run its demo.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc libqt6sql6-psql qt6-translations-l10n
  postgresql
  unixodbc libsqliteodbc sqlite3
  xvfb xauth imagemagick x11-apps x11-utils xdotool
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64
)
# wine32 is not installed: the machines this project builds on run no 32-bit programs at all
# (IA-32 emulation off). The 32-bit Windows builds are checked by their export tables, and the
# same sources built for 64-bit Windows run the station's end-to-end cases under wine64; the
# 32-bit cases run where a technician installs wine32 (dpkg --add-architecture i386).
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
