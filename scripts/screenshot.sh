#!/usr/bin/env bash
# Takes the pictures of the guides in docs/ from the station's real window under a virtual X
# display with a small window manager (title bars as on a desktop), each on a fresh demo station
# with the virtual printer. The pictures are generated for reading the guides, not kept in the
# repository.
# Usage: scripts/screenshot.sh [OUTPUT_DIR] [BUILD_DIR]   (defaults: docs/capturas, build)
# Needs xvfb (xvfb-run), imagemagick (import, convert), x11-utils (xwininfo, xprop), xdotool and
# openbox and trayer (installed here when missing). The demo station is always
# /var/tmp/robot-fiscal-capturas/caja1, so the paths in the pictures are the same every time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/capturas}")
build=$(realpath -m "${2:-$root/build}")
for tool in robot-fiscal robot-fiscal-demo printer-check; do
    if [ ! -x "$build/bin/$tool" ]; then
        echo "Falta $build/bin/$tool: compile primero (scripts/build.sh $build)." >&2
        exit 2
    fi
done
if ! command -v openbox >/dev/null 2>&1 || ! command -v trayer >/dev/null 2>&1; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        openbox trayer >/dev/null
fi
mkdir -p "$out"
work=/var/tmp/robot-fiscal-capturas
# Only a folder this script made is emptied.
if [ -e "$work" ] && [ ! -f "$work/.capturas" ]; then
    echo "$work existe y no lo creó este guion: muévalo antes de tomar las capturas." >&2
    exit 2
fi
rm -rf "$work"
mkdir -p "$work"
touch "$work/.capturas"

export SHOT_BIN="$build/bin" SHOT_OUT="$out" SHOT_WORK="$work"
xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
    openbox >/dev/null 2>&1 &
    sleep 1
    window() { xdotool search --name "Veltrano - Robot" | head -1; }
    # The window is laid out in twips; at the 96 DPI of the virtual display 15 twips make a
    # pixel. Clicks go to the centre of a control, by its design position in the window.
    click() { # LEFT TOP WIDTH HEIGHT (twips, in the window)
        xdotool mousemove --window "$(window)" $((($1 + $3 / 2) / 15)) $((($2 + $4 / 2) / 15)) \
            click 1
        sleep 0.5
    }
    # Message boxes in view, placed below the window so that they cover none of its buttons.
    dialogs() {
        local wid
        for wid in $(xdotool search --onlyvisible --name "."); do
            if xprop -id "$wid" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q DIALOG; then
                echo "$wid"
            fi
        done
    }
    placeDialogs() {
        local wid
        for wid in $(dialogs); do xdotool windowmove "$wid" 60 380; done
        sleep 0.5
    }
    # Clicks the default button of the message box in view (its bottom right corner).
    acknowledge() {
        local wid
        for wid in $(dialogs); do
            eval "$(xdotool getwindowgeometry --shell "$wid")"
            xdotool mousemove --window "$wid" $((WIDTH - 52)) $((HEIGHT - 24)) click 1
        done
        sleep 0.5
    }
    # The screen, cut to what is drawn on it (the window and any message box).
    shot() {
        /usr/bin/import -window root "$SHOT_WORK/screen.png"
        /usr/bin/convert "$SHOT_WORK/screen.png" -trim +repage "$SHOT_OUT/$1"
        echo "$SHOT_OUT/$1"
    }
    # A fresh demo station caja1 with its own virtual printer; FAULTS go to that printer.
    station=$SHOT_WORK/caja1
    printer=$SHOT_WORK/caja1/virtual-printer
    demo() {
        rm -rf "$station"
        "$SHOT_BIN/robot-fiscal-demo" "$station" >/dev/null
        mkdir -p "$printer"
        printf "%s" "${1:-}" >"$printer/faults"
    }
    # Starts the window and waits for its first activation to end, which puts the RIF in the
    # title (or SECONDS, when a message holds the activation). Plain Xvfb has no notification
    # area: ROBOT_FISCAL_NO_MINIMIZE=1 keeps the window in view instead.
    start() {
        VIRTUAL_PRINTER_DIR="$printer" ROBOT_FISCAL_NO_MINIMIZE=1 \
            "$SHOT_BIN/robot-fiscal" --dir "$station" >/dev/null 2>&1 &
        pid=$!
        if [ -n "${1:-}" ]; then
            sleep "$1"
            return
        fi
        for _ in $(seq 100); do
            if xwininfo -root -tree | grep -q "RIF:"; then break; fi
            sleep 0.1
        done
        xdotool windowmove "$(window)" 0 0
        sleep 0.5
    }
    # The system stop: the station finishes what it does and ends by itself.
    stop() {
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    }

    # The window as the robot finds the demo documents: the robot prints the first one about
    # two seconds later, so the lists are still full. "Cierre Z" then asks first.
    demo
    start
    shot ventana.png
    click 120 4320 975 300   # Cierre Z
    placeDialogs
    shot cierre-z.png
    acknowledge              # No
    sleep 8                  # the demo printed
    # The options panel with the answer of "Prueba 4", the reconciliation, the technician report.
    click 4680 4320 975 300  # Opciones
    click 360 1560 975 300   # Prueba 4 (in the panel, which starts at 120 twips)
    shot opciones.png
    click 2760 840 1215 300  # Conciliación
    shot conciliacion.png
    click 2760 480 1215 300  # Diagnóstico
    sleep 1
    placeDialogs
    shot diagnostico.png
    acknowledge
    stop

    # A printer that refuses the item lines: the robot stops at stage 4 and says why.
    demo "refuse Bematech_FI_VendeArticulo"
    start
    sleep 3
    placeDialogs
    shot falla.png
    acknowledge
    shot detenido.png
    stop

    # A document held back: the station dies after closing an invoice and, before it comes
    # back, another coupon is printed, so the counters cannot tell what happened.
    demo "crash Bematech_FI_FinalizarCierreCupon"
    # In a shell of its own whose report of the crash goes nowhere.
    (VIRTUAL_PRINTER_DIR="$printer" "$SHOT_BIN/robot-fiscal" --dir "$station" --headless \
        --exit-when-idle >/dev/null 2>&1 || true) 2>/dev/null
    : >"$printer/faults"
    VIRTUAL_PRINTER_DIR="$printer" "$SHOT_BIN/printer-check" --print-coupon >/dev/null
    start 3
    xdotool windowmove "$(window)" 0 0
    placeDialogs
    shot retenido-mensaje.png
    # Once told, the robot prints the other documents and keeps this one back.
    acknowledge
    sleep 8
    shot retenido.png
    stop

    # The paper running low while the window waits in the notification area (trayer makes one
    # only for this picture, so the others keep the window in view): a balloon from the icon.
    demo "paper-low"
    trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel \
        --height 24 --transparent false --tint 0xd0d0d0 >/dev/null 2>&1 &
    tray=$!
    sleep 1
    VIRTUAL_PRINTER_DIR="$printer" "$SHOT_BIN/robot-fiscal" --dir "$station" >/dev/null 2>&1 &
    pid=$!
    sleep 5
    /usr/bin/import -window root "$SHOT_WORK/screen.png"
    /usr/bin/convert "$SHOT_WORK/screen.png" -crop 364x104+660+664 +repage "$SHOT_OUT/aviso.png"
    echo "$SHOT_OUT/aviso.png"
    acknowledge
    stop
    kill "$tray"
'
