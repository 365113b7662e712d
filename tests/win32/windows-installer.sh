#!/bin/bash
# windows-installer.sh WINDOWS_BUILD WORK: the installer of scripts/windows-build.sh, silent (/S)
# under Wine in a fresh prefix. The technician puts the printer library in SysWOW64 (here the
# virtual printer); the installed station prints the demo from the user's station directory;
# installing again upgrades in place and keeps that directory and its journal; the silent
# uninstall leaves no program file and no start at log-in.
set -u
WINDOWS_BUILD=$1 WORK=$2
. "$(dirname "$0")/windows-common.sh"
setup=$(ls "$WINDOWS_BUILD"/robot-fiscal-*-win64-setup.exe 2>/dev/null | head -1)
[ -n "$setup" ] || skip "No installer in $WINDOWS_BUILD: run scripts/windows-build.sh."

drive=$WINEPREFIX/drive_c
program=$drive/Program\ Files/Robot\ fiscal
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
install_station() {
    wine "$setup" /S || fail "the silent install ended with $?"
    [ -f "$program/robot-fiscal.exe" ] || fail "nothing installed in $program"
}
install_station
[ ! -e "$program/BEMAFI32.DLL" ] || fail "the virtual printer was installed without asking"
wine reg query "$run_key" /v "Robot fiscal" || fail "no start at log-in"
ls "$drive"/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Robot\ fiscal*/*.lnk \
    "$drive"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Robot\ fiscal*/*.lnk \
    >"$WORK/links.txt" 2>/dev/null
grep -q "Robot fiscal.lnk" "$WORK/links.txt" || fail "no Start-menu entry"
cp "$folder/prueba/BEMAFI32.DLL" "$drive/windows/syswow64/BEMAFI32.DLL"

# An installed station keeps its directory among the user's data (LOCALAPPDATA).
station=$drive/users/$(id -un)/AppData/Local/robot-fiscal
wine "$program/robot-fiscal-demo.exe" "Z:$station" || fail "robot-fiscal-demo.exe failed"
wine "$program/robot-fiscal.exe" --headless --exit-when-idle ||
    fail "the installed station ended with $?: $(cat "$WORK/err.txt")"
check_demo "$station"
[ -f "$station/robot-fiscal-diario.db" ] || fail "no print journal in $station"
find "$station" -type f -exec md5sum {} + | sort >"$WORK/before.txt"

install_station
find "$station" -type f -exec md5sum {} + | sort >"$WORK/after.txt"
cmp -s "$WORK/before.txt" "$WORK/after.txt" || fail "the upgrade changed the station directory"

wine "$program/Uninstall.exe" /S || fail "the silent uninstall ended with $?"
# The uninstaller copies itself away and returns at once: wait for the copy to finish.
/usr/lib/wine/wineserver -w
[ ! -e "$program" ] || fail "left behind: $(find "$program" | head -5)"
! wine reg query "$run_key" /v "Robot fiscal" || fail "the start at log-in stayed"
[ -f "$station/robot-fiscal.log" ] || fail "the uninstall took the station directory"
echo "Installed, upgraded and uninstalled: $(basename "$setup")"
