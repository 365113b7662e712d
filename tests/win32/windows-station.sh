#!/bin/bash
# windows-station.sh WINDOWS_BUILD WORK: the Windows station as a shop runs it, under
# Wine: robot-fiscal.exe (64-bit, wine64) prints the demo through robot-fiscal-printer-bridge.exe
# and the virtual printer as BEMAFI32.DLL (both 32-bit, wine32). Paper roll and records as on
# Linux; a second run prints nothing. Then the demo with its database through the 32-bit
# bridge's ODBC channel.
set -u
WINDOWS_BUILD=$1 WORK=$2
. "$(dirname "$0")/windows-common.sh"

cp -r "$folder" "$WORK/station"
cp "$folder/prueba/BEMAFI32.DLL" "$WORK/station/"
station=$WORK/station demo=$WORK/demo
wine "$station/robot-fiscal-demo.exe" "Z:$demo" || fail "robot-fiscal-demo.exe: $(cat "$WORK/err.txt")"
for run in first second; do
    wine "$station/robot-fiscal.exe" --headless --exit-when-idle --dir "Z:$demo" ||
        fail "the $run run ended with $?: $(cat "$WORK/err.txt")"
    cp "$demo/virtual-printer/paper.txt" "$WORK/paper-$run.txt"
done
check_demo "$demo"
cmp -s "$WORK/paper-first.txt" "$WORK/paper-second.txt" || fail "the second run printed again"
echo "Paper roll of the Windows station under Wine:"
cat "$WORK/paper-first.txt"

# The demo again, its documents read and marked through the 32-bit bridge's ODBC channel
# (Motor=odbc with the Access statements), which reaches this machine's SQLite3 driver through
# wine32's odbc32 and a driver list of its own naming the 32-bit driver.
driver=/usr/lib/i386-linux-gnu/odbc/libsqlite3odbc.so
if [ -f "$driver" ]; then
    odbc=$WORK/odbc
    wine "$station/robot-fiscal-demo.exe" "Z:$odbc" || fail "robot-fiscal-demo.exe: $(cat "$WORK/err.txt")"
    printf '[BaseDeDatos]\r\nMotor=odbc\r\nCadena=Driver={SQLite3};Database=%s;\r\nPuente=sí\r\nDialecto=access\r\n' \
        "$odbc/Base de Datos.dba" >"$odbc/robot-fiscal.ini"
    mkdir -p "$WORK/odbcinst"
    printf '[SQLite3]\nDriver=%s\n' "$driver" >"$WORK/odbcinst/odbcinst.ini"
    ODBCSYSINI=$WORK/odbcinst wine "$station/robot-fiscal.exe" --headless --exit-when-idle \
        --dir "Z:$odbc" || fail "the ODBC run ended with $?: $(cat "$WORK/err.txt")"
    grep -q "base de datos odbc: Dialecto=access Puente=sí" "$odbc/robot-fiscal.log" ||
        fail "the ODBC run did not read robot-fiscal.ini: $(cat "$odbc/robot-fiscal.log")"
    check_demo "$odbc"
    echo "The demo printed through the 32-bit bridge's ODBC channel."
else
    echo "Not run: the demo through the bridge's ODBC channel (no $driver: libsqliteodbc:i386)."
fi


# The window on a virtual display with a small window manager: it opens and, once its first
# activation read the company, shows the RIF in its title. Its picture is kept for
# docs/windows.md (PICTURE, the test's third argument).
PICTURE=${3:-}
[ -n "$PICTURE" ] || exit 0
for tool in xvfb-run openbox xwininfo import; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/install-deps.sh."
done
/usr/lib/wine/wineserver -k >/dev/null 2>&1
export station demo PICTURE WORK wine64
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    openbox >/dev/null 2>&1 &
    ROBOT_FISCAL_NO_MINIMIZE=1 "$wine64" "$station/robot-fiscal.exe" --dir "Z:$demo" \
        >"$WORK/window-out.txt" 2>&1 &
    for _ in $(seq 120); do
        xwininfo -root -tree | grep -q "Bematech ( RIF: J-12345678-9 )" && break
        sleep 0.5
    done
    sleep 1
    xwininfo -root -tree | grep -q "Bematech ( RIF: J-12345678-9 )" || exit 1
    mkdir -p "$(dirname "$PICTURE")"
    import -window root "$WORK/screen.png" && convert "$WORK/screen.png" -trim +repage "$PICTURE"
    /usr/lib/wine/wineserver -k
' >"$WORK/window.log" 2>&1 || fail "the window did not show the company's RIF; see $WORK/window.log"
echo "The window under Wine: $PICTURE"
