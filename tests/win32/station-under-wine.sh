#!/bin/sh
# station-under-wine.sh win32|win64 TEST BRIDGE DLL [TEST ARGUMENTS]: runs the station's TEST
# program with the printer reached through the Windows BRIDGE under Wine, the bridge loading the
# Windows DLL of the virtual printer, and the document database of an ODBC source through the
# same BRIDGE (--odbc), which reaches this machine's unixODBC and SQLite3 driver through Wine's
# odbc32. Exit 77 (skipped) when this Wine cannot start here, with the reason
# scripts/install-deps.sh left when it could not set up 32-bit programs, or when the 32-bit
# ODBC driver is missing.
set -u
flavour=$1 test=$2 bridge=$3 dll=$4
shift 4
case $flavour in
win32) loader=/usr/lib/wine/wine ;;
*) loader=/usr/lib/wine/wine64 ;;
esac
reason=${ROBOT_CACHE:-$HOME/.cache/robot-fiscal}/win32-unavailable
if [ "$flavour" = win32 ] && [ -f "$reason" ]; then
    cat "$reason"
    exit 77
fi
[ -x "$loader" ] ||
    { echo "$flavour: Wine is not installed ($loader): run scripts/install-deps.sh"; exit 77; }
if [ "$flavour" = win32 ]; then
    # The 32-bit driver, from an odbcinst.ini of this run: the system's names the 64-bit one.
    driver=/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so
    [ -f "$driver" ] && [ -f /usr/lib/i386-linux-gnu/libodbc.so.2 ] ||
        { echo "win32: no 32-bit unixODBC and SQLite3 driver (libodbc2:i386, libsqliteodbc:i386)"; exit 77; }
    mkdir -p "$WINEPREFIX.odbc"
    printf '[SQLite3]\nDriver=%s\n' "$driver" >"$WINEPREFIX.odbc/odbcinst.ini"
    export ODBCSYSINI="$WINEPREFIX.odbc"
fi
export WINELOADER="$loader"
mkdir -p "$WINEPREFIX"
(
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || "$loader" wineboot --init >/dev/null 2>&1
) 9>"$WINEPREFIX.lock"
"$loader" cmd /c exit 0 >/dev/null 2>&1 ||
    { echo "$flavour: Wine cannot start here ($loader)"; exit 77; }
# One wineserver for the whole run, so each bridge starts in a fraction of a second.
/usr/lib/wine/wineserver -p 60 2>/dev/null || true
FISCAL_PRINTER_BRIDGE="$loader $bridge" FISCAL_PRINTER_LIBRARY="$dll" \
    ROBOT_FISCAL_ODBC_BRIDGE="$loader $bridge" exec "$test" "$@"
