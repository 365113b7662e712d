# Sourced by the Windows station's tests: WINDOWS_BUILD (scripts/windows-build.sh's folder) and
# WORK (a fresh folder of the test's own) are set. Exits 77 (skipped) saying what is missing.
# Wine's output goes to files (its background processes would keep a pipe open), and its
# wineserver is ended on the way out.
folder=$WINDOWS_BUILD/robot-fiscal
skip() {
    echo "$*"
    exit 77
}
[ -f "$folder/robot-fiscal.exe" ] ||
    skip "No Windows build in $WINDOWS_BUILD: run scripts/windows-build.sh (it builds Qt for" \
        "Windows once, 30 to 60 minutes on 2 cores) and then this test."
wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || skip "wine64 is not installed: run scripts/install-deps.sh."
reason=${ROBOT_CACHE:-$HOME/.cache/robot-fiscal}/win32-unavailable
[ ! -f "$reason" ] || skip "$(cat "$reason")"
[ -x /usr/lib/wine/wine ] || skip "wine32 is not installed: run scripts/install-deps.sh."

rm -rf "$WORK"
mkdir -p "$WORK"
export WINEPREFIX=$WORK/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_log=$WORK/wine.log
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}
# wine PROGRAM ARGS...: a Windows program, its output in $WORK/out.txt and $WORK/err.txt.
wine() {
    "$wine64" "$@" >"$WORK/out.txt" 2>"$WORK/err.txt"
}
"$wine64" wineboot --init >"$wine_log" 2>&1 || fail "wineboot failed; see $wine_log"
/usr/lib/wine/wineserver -p 60 >/dev/null 2>&1 || true

# check_demo DIR: the demo's two invoices and two credit notes printed once and marked so.
check_demo() {
    local paper=$1/virtual-printer/paper.txt
    [ "$(grep -c ' CERRADO' "$paper")" = 2 ] || fail "expected 2 invoices on $paper"
    [ "$(grep -c ' CERRADA' "$paper")" = 2 ] || fail "expected 2 credit notes on $paper"
    grep -q "Factura 101 impresa: cupón 000001" "$1/robot-fiscal.log" ||
        fail "the log $1/robot-fiscal.log does not name the first coupon"
    local pending
    pending=$(sqlite3 "$1/Base de Datos.dba" "SELECT (SELECT count(*) FROM Ventas WHERE
        MáquinaFiscal = 1 AND (Impresa <> -1 OR Control IS NULL)) + (SELECT count(*) FROM
        NotaCréditoVenta WHERE MáquinaFiscal = 1 AND (Impresa <> -1 OR Control IS NULL))")
    [ "$pending" = 0 ] || fail "$pending documents of fiscal machine 1 are not marked printed"
}
