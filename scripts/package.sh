#!/usr/bin/env bash
# Builds the Debian packages robot-fiscal and robot-fiscal-virtual-printer from a release build
# and checks them with lintian (no errors allowed).
# Usage: scripts/package.sh [BUILD_DIR]   (default ./build-package; the .deb files go to
# BUILD_DIR/packages)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-package}")

"$root/scripts/install-deps.sh"
# Only packaging needs lintian, and it brings many Perl packages: not in install-deps.sh.
if ! command -v lintian >/dev/null 2>&1; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        lintian >/dev/null
fi

# Debian's hardening flags, as dpkg-buildpackage would give them.
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" \
    "-DCMAKE_SHARED_LINKER_FLAGS=$ldflags"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB -B "$build/packages" >/dev/null)
debs=("$build"/packages/*.deb)
lintian --fail-on error "${debs[@]}"
printf '%s\n' "${debs[@]}"
