#!/usr/bin/env bash
# The Debian packages built from this build tree: their control fields and file lists, and the
# installed files, unpacked into a root of their own, printing the demo through the packaged
# bridge and virtual printer. Usage: tests/packages.sh BUILD_DIR
set -euo pipefail
build=$1
# The packages install under /usr, where the programs look for their helpers.
if ! grep -qx 'CMAKE_INSTALL_PREFIX:PATH=/usr' "$build/CMakeCache.txt"; then
    echo "Sin comprobar: este árbol se configuró con otro CMAKE_INSTALL_PREFIX que /usr." >&2
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FALLO: $*" >&2
    failures=$((failures + 1))
}
expect_line() { # TEXT WHAT: TEXT has a line equal to WHAT
    grep -qxF -- "$2" <<<"$1" || fail "falta «$2» en:"$'\n'"$1"
}

(cd "$build" && cpack -G DEB -B "$work/packages" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip >/dev/null)
station=$(echo "$work"/packages/robot-fiscal_*.deb)
printer=$(echo "$work"/packages/robot-fiscal-virtual-printer_*.deb)
[ -f "$station" ] && [ -f "$printer" ] || { echo "FALLO: faltan los paquetes" >&2; exit 1; }

fields() { dpkg-deb -f "$1" "$2"; }
files() { dpkg-deb -c "$1" | awk '{print $6}' | sed 's|^\./|/|'; }
libdir=$(files "$printer" | grep '/libvirtual-fiscal-printer\.so$' || true)
[ -n "$libdir" ] || fail "el paquete de la impresora virtual no trae la librería"
helpers=$(dirname "$libdir")

expect_line "$(fields "$station" Package)" robot-fiscal
expect_line "$(fields "$printer" Package)" robot-fiscal-virtual-printer
# Linked libraries, and the drivers and printer library loaded at run time.
depends=$(fields "$station" Depends | tr ',' '\n' | sed 's/^ *//; s/ *(.*//')
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libqt6sql6-sqlite libqt6sql6-psql qt6-translations-l10n; do
    expect_line "$depends" "$package"
done
expect_line "$(fields "$station" Recommends | tr ',' '\n' | sed 's/^ *//')" \
    robot-fiscal-virtual-printer
station_files=$(files "$station")
for file in /usr/bin/robot-fiscal /usr/bin/robot-fiscal-demo /usr/bin/printer-check \
    "$helpers/robot-fiscal-printer-bridge" /usr/share/applications/robot-fiscal.desktop \
    /etc/xdg/autostart/robot-fiscal.desktop /usr/lib/systemd/user/robot-fiscal.service \
    /usr/share/icons/hicolor/64x64/apps/robot-fiscal.png /usr/share/doc/robot-fiscal/copyright \
    /usr/share/doc/robot-fiscal/operador.md /usr/share/man/man1/robot-fiscal.1.gz \
    /usr/share/man/man1/printer-check.1.gz /usr/share/man/man1/robot-fiscal-demo.1.gz; do
    expect_line "$station_files" "$file"
done
expect_line "$(dpkg-deb --ctrl-tarfile "$station" | tar -xO ./conffiles)" \
    /etc/xdg/autostart/robot-fiscal.desktop
service=$(dpkg-deb --fsys-tarfile "$station" | tar -xO ./usr/lib/systemd/user/robot-fiscal.service)
expect_line "$service" 'ExecStart=/usr/bin/robot-fiscal --headless --dir ${ROBOT_FISCAL_DIR}'
expect_line "$service" 'Restart=on-failure'

root=$work/root
dpkg-deb -x "$station" "$root"
dpkg-deb -x "$printer" "$root"
# Without FISCAL_PRINTER_LIBRARY the installed station looks where the package puts the
# virtual printer (printer-check names the library before loading it).
unset FISCAL_PRINTER_LIBRARY FISCAL_PRINTER_BRIDGE
looked=$(cd "$work" && VIRTUAL_PRINTER_DIR="$work/vp0" "$root/usr/bin/printer-check" 2>/dev/null |
    head -n1 || true)
expect_line "$looked" "Librería: $libdir"
"$root/usr/bin/robot-fiscal" --version | grep -q '^robot-fiscal ' || fail "--version"

# The demo printed headless by the unpacked programs, through the unpacked bridge.
"$root/usr/bin/robot-fiscal-demo" "$work/demo" >/dev/null
status=0
FISCAL_PRINTER_LIBRARY="$root$libdir" FISCAL_PRINTER_BRIDGE="$root$helpers/robot-fiscal-printer-bridge" \
    VIRTUAL_PRINTER_DIR="$work/vp" "$root/usr/bin/robot-fiscal" --headless --exit-when-idle \
    --dir "$work/demo" 2>"$work/err" || status=$?
[ "$status" -eq 0 ] || fail "la estación instalada terminó con $status: $(cat "$work/err")"
[ "$(grep -c ' CERRADO' "$work/vp/paper.txt" 2>/dev/null)" = 2 ] ||
    fail "no se imprimieron las dos facturas del demo"

if [ "$failures" -ne 0 ]; then
    echo "$failures comprobaciones fallaron" >&2
    exit 1
fi
echo "Paquetes correctos: $(basename "$station"), $(basename "$printer")"
