#!/usr/bin/env bash
# Installs what the station needs, builds it, creates a demo data directory (SQLite document
# database + virtual printer) and runs the station on it; then shows what was printed.
# With a display the window opens (close it with Detener, then Cerrar); without one the station
# runs headless until nothing is pending.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo=${DEMO_DIR:-$root/demo}

"$root/scripts/install-deps.sh" demo
# Only what the demo runs: the tests and the Windows builds are the test command's.
BUILD_TARGETS="robot-fiscal robot-fiscal-demo virtual_fiscal_printer" "$root/scripts/build.sh" "$root/build"

rm -rf "$demo"
"$root/build/bin/robot-fiscal-demo" "$demo"
status=0
if [ -n "${DISPLAY:-}" ]; then
    "$root/build/bin/robot-fiscal" --dir "$demo" || status=$?
else
    "$root/build/bin/robot-fiscal" --headless --exit-when-idle --dir "$demo" || status=$?
fi

echo
echo "== Papel de la impresora virtual: $demo/virtual-printer/paper.txt =="
cat "$demo/virtual-printer/paper.txt" 2>/dev/null || echo "(vacío)"
echo
echo "== Documentos en la base de datos =="
sqlite3 -header -column "$demo/Base de Datos.dba" \
    "SELECT 'Factura' AS Tipo, Código, MáquinaFiscal AS Caja, Control, Impresa, NúmeroZ FROM Ventas
     UNION ALL
     SELECT 'Nota de crédito', Código, MáquinaFiscal, Control, Impresa, NúmeroZ FROM NotaCréditoVenta;"
echo
echo "== Registro: $demo/robot-fiscal.log =="
cat "$demo/robot-fiscal.log"
exit "$status"
