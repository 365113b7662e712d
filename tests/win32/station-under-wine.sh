#!/bin/sh
# station-under-wine.sh win32|win64 TEST BRIDGE DLL: runs the station's TEST program with the
# printer reached through the Windows BRIDGE under Wine, the bridge loading the Windows DLL of
# the virtual printer. Exit 77 (skipped) when this Wine cannot start here, with the reason
# scripts/install-deps.sh left when it could not set up 32-bit programs.
set -u
flavour=$1 test=$2 bridge=$3 dll=$4
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
FISCAL_PRINTER_BRIDGE="$loader $bridge" FISCAL_PRINTER_LIBRARY="$dll" exec "$test"
