#!/bin/sh
# run-under-wine.sh PROGRAM [ARGUMENTS...]: runs a Windows program under Wine in WINEPREFIX,
# which the first use makes (Wine's first start takes a while). Exit 77 (skipped) when Wine is
# not installed or cannot start: a kernel without 32-bit support cannot run wine32.
set -u
command -v wine >/dev/null 2>&1 || { echo "wine is not installed"; exit 77; }
wine --version >/dev/null 2>&1 ||
    { echo "wine cannot start here (does the kernel run 32-bit programs?)"; exit 77; }
mkdir -p "$WINEPREFIX"
(
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || { wineboot --init && wineserver --wait; }
) 9>"$WINEPREFIX.lock" || exit 1
exec wine "$@"
