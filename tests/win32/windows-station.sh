#!/bin/bash
# windows-station.sh WINDOWS_BUILD WORK: the Windows station as a shop runs it, under
# Wine: robot-fiscal.exe (64-bit, wine64) prints the demo through robot-fiscal-printer-bridge.exe
# and the virtual printer as BEMAFI32.DLL (both 32-bit, wine32). Paper roll and records as on
# Linux; a second run prints nothing.
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

