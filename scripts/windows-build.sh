#!/usr/bin/env bash
# Builds the station for 64-bit Windows (with the 32-bit printer bridge the vendor's DLL needs)
# and lays out a folder ready to copy to a shop's workstation, plus its installer.
#
# Qt for MinGW-w64 is cross-built once from Debian's own qt6-base source (the same 6.4.2 as the
# host tools that run moc and uic) and cached under ~/.cache/robot-fiscal; later runs reuse it.
#   scripts/windows-build.sh [BUILD_DIR]          (default: build-windows)
#   ROBOT_QT_ONLY=1 scripts/windows-build.sh      (only the cached Qt)
# Result in BUILD_DIR: robot-fiscal/ (the program folder; prueba/ holds the virtual printer as
# BEMAFI32.DLL for a trial) and robot-fiscal-VERSION-win64-setup.exe.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-windows}")
cache=${ROBOT_CACHE:-$HOME/.cache/robot-fiscal}
qt_version=6.4.2
qt_prefix=$cache/qt-$qt_version-mingw64
qt_work=$cache/qt-$qt_version-work
logs=$cache/logs
mkdir -p "$cache" "$logs"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
APT=($SUDO apt-get -o DPkg::Lock::Timeout=900)

# Runs one step with its output in a log of its own; a failure names the step and the log.
step() {
  local name=$1
  shift
  local log=$logs/$name.log
  echo "== $name (log: $log)"
  local start=$SECONDS
  if ! "$@" >"$log" 2>&1; then
    echo "windows-build: the step '$name' failed; see $log" >&2
    tail -n 20 "$log" >&2
    exit 1
  fi
  echo "   $name: $((SECONDS - start)) s"
}

install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    "${APT[@]}" update -qq
    "${APT[@]}" install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# The source entries of the archive the system already uses, so that the source matches the
# installed host tools.
add_source_entries() {
  local list=/etc/apt/sources.list.d/robot-fiscal-sources.sources
  if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -q '^Sources$'; then
    sed -n '/^Types: deb$/,/^$/p' /etc/apt/sources.list.d/debian.sources |
      sed 's/^Types: deb$/Types: deb-src/' | $SUDO tee "$list" >/dev/null
    test -s "$list"
  fi
  "${APT[@]}" update -qq
}

fetch_sources() {
  rm -rf "$qt_work/src"
  mkdir -p "$qt_work/src"
  cd "$qt_work/src"
  apt-get source --download-only qt6-base sqlite3
  dpkg-source -x --no-check qt6-base_*.dsc qtbase
  dpkg-source -x --no-check sqlite3_*.dsc sqlite
}

# Qt's SQLite driver wants the amalgamation where Debian's tarball dropped it.
make_sqlite_amalgamation() {
  cd "$qt_work/src/sqlite"
  ./configure
  make sqlite3.c
  local dest=$qt_work/src/qtbase/src/3rdparty/sqlite
  mkdir -p "$dest"
  cp sqlite3.c sqlite3.h sqlite3ext.h "$dest/"
}

# Only what the station uses: Core, Gui, Widgets, Sql (SQLite and ODBC), the Windows platform
# plugin and, for tests without a display, the offscreen one (which needs freetype).
configure_qt() {
  rm -rf "$qt_work/build"
  cmake -S "$qt_work/src/qtbase" -B "$qt_work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64-posix.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_testlib=OFF -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF -DFEATURE_androiddeployqt=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_freetype=ON -DFEATURE_tabletevent=OFF -DFEATURE_direct2d1_1=OFF \
    -DFEATURE_system_sqlite=OFF -DFEATURE_sql_sqlite=ON -DFEATURE_sql_odbc=ON \
    -DFEATURE_sql_psql=OFF -DFEATURE_sql_mysql=OFF -DFEATURE_sql_ibase=OFF \
    -DFEATURE_sql_oci=OFF -DFEATURE_sql_db2=OFF
}

build_qt() {
  cmake --build "$qt_work/build" --parallel "$(nproc)"
  rm -rf "$qt_prefix"
  cmake --install "$qt_work/build"
}

if [ ! -f "$qt_prefix/.ready" ]; then
  qt_start=$SECONDS
  step qt-packages install_packages dpkg-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix \
    tcl ninja-build cmake
  step qt-source-entries add_source_entries
  step qt-sources fetch_sources
  step qt-sqlite make_sqlite_amalgamation
  step qt-configure configure_qt
  step qt-build build_qt
  # Marked ready last, so that an interrupted or failed build is never taken for a finished one.
  echo "$((SECONDS - qt_start)) s" >"$qt_prefix/.ready"
  echo "Qt $qt_version for MinGW-w64 built in $((SECONDS - qt_start)) s: $qt_prefix"
else
  echo "== Qt $qt_version for MinGW-w64: cached in $qt_prefix"
fi
[ -z "${ROBOT_QT_ONLY:-}" ] || exit 0

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

# The bridge and the virtual printer as the vendor's DLL is: 32-bit.
build_printer_32() {
  cmake -S "$root" -B "$build/win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" "${launcher[@]}"
  cmake --build "$build/win32" --parallel "$(nproc)"
}

# The host's rcc compresses with zstd, which this Qt (no zstd for MinGW) cannot read.
build_station() {
  "$qt_prefix/bin/qt-cmake" -S "$root" -B "$build/station" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64-posix.cmake" \
    -DCMAKE_AUTORCC_OPTIONS=--no-zstd \
    -DROBOT_WIN32_BIN="$build/win32/bin" "${launcher[@]}"
  cmake --build "$build/station" --parallel "$(nproc)"
}

lay_out_folder() {
  rm -rf "$build/robot-fiscal"
  cmake --install "$build/station" --strip --component station --prefix "$build/robot-fiscal"
  cmake --install "$build/station" --component virtualprinter --prefix "$build/robot-fiscal/prueba"
}

make_installer() {
  rm -f "$build"/robot-fiscal-*-win64-setup.exe
  (cd "$build/station" && cpack -B "$build/cpack")
  mv "$build"/cpack/robot-fiscal-*-win64-setup.exe "$build/"
}

logs=$build/logs
mkdir -p "$logs"
step packages install_packages g++-mingw-w64-i686 nsis
step printer-32 build_printer_32
step station build_station
step folder lay_out_folder
step installer make_installer
echo "Windows station: $build/robot-fiscal"
ls -l "$build"/robot-fiscal-*-win64-setup.exe
