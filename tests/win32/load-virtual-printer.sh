#!/bin/sh
# load-virtual-printer.sh EXE DLL PRINTER_DIR: the loader, under Wine, asks the DLL for its
# serial number with the printer's state in PRINTER_DIR (Z:PRINTER_DIR to Windows); the DLL
# must have written its fiscal memory there.
set -u
here=$(dirname "$0")
rm -rf "$3"
VIRTUAL_PRINTER_DIR="Z:$3" "$here/run-under-wine.sh" "$1" "Z:$2"
status=$?
[ "$status" -eq 0 ] || exit "$status"
test -s "$3/fiscal-memory.txt" || { echo "no fiscal memory in $3"; exit 1; }
