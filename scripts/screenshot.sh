#!/usr/bin/env bash
# Takes the pictures of the guides in docs/ from the station's real window under a virtual X
# display, each on a fresh demo directory with the virtual printer. The pictures are generated
# for reading the guides, not kept in the repository.
# Usage: scripts/screenshot.sh [OUTPUT_DIR] [BUILD_DIR]   (defaults: docs/capturas, build)
# Needs xvfb (xvfb-run), imagemagick (import, convert), x11-utils (xwininfo, xprop) and xdotool.
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
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export SHOT_ROOT="$root" SHOT_BIN="$build/bin" SHOT_OUT="$out" SHOT_WORK="$work"
xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
    # The window is laid out in twips; at the 96 DPI of the virtual display 15 twips make a
    # pixel. Clicks go to the centre of a control, by its design position in the window.
    click() { # LEFT TOP WIDTH HEIGHT (twips, in the window)
        local wid
        wid=$(xdotool search --name "Veltrano - Robot" | head -1)
        xdotool mousemove --window "$wid" $((($1 + $3 / 2) / 15)) $((($2 + $4 / 2) / 15)) \
            click 1
        sleep 0.5
    }
    # Clicks OK on the message box in view (its button sits in the bottom right corner).
    acknowledge() {
        local wid
        for wid in $(xdotool search --onlyvisible --name "."); do
            if xprop -id "$wid" _NET_WM_WINDOW_TYPE | grep -q DIALOG; then
                eval "$(xdotool getwindowgeometry --shell "$wid")"
                xdotool mousemove --window "$wid" $((WIDTH - 52)) $((HEIGHT - 24)) click 1
            fi
        done
        sleep 0.5
    }
    # The screen, cut to what is drawn on it (the window and any message box).
    shot() {
        /usr/bin/import -window root "$SHOT_WORK/screen.png"
        /usr/bin/convert "$SHOT_WORK/screen.png" -trim +repage "$SHOT_OUT/$1"
        echo "$SHOT_OUT/$1"
    }
    # A fresh demo directory NAME with its own virtual printer; FAULTS go to that printer.
    demo() {
        "$SHOT_BIN/robot-fiscal-demo" "$SHOT_WORK/$1" >/dev/null
        mkdir -p "$SHOT_WORK/$1-printer"
        printf "%s" "${2:-}" >"$SHOT_WORK/$1-printer/faults"
    }
    # Starts the window on demo NAME and waits for its first activation to end, which puts
    # the RIF in the title (or SECONDS, when a message holds the activation). Plain Xvfb has no
    # notification area: ROBOT_FISCAL_NO_MINIMIZE=1 keeps the window in view instead.
    start() {
        VIRTUAL_PRINTER_DIR="$SHOT_WORK/$1-printer" ROBOT_FISCAL_NO_MINIMIZE=1 \
            "$SHOT_BIN/robot-fiscal" --dir "$SHOT_WORK/$1" >/dev/null 2>&1 &
        pid=$!
        if [ -n "${2:-}" ]; then
            sleep "$2"
            return
        fi
        for _ in $(seq 100); do
            if xwininfo -root -tree | grep -q "RIF:"; then break; fi
            sleep 0.1
        done
        sleep 0.5
    }
    stop() {
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    }

    # The window as the robot finds the demo documents: the robot prints the first one about
    # two seconds later, so the lists are still full.
    demo listas
    start listas
    shot ventana.png
    # The options panel with the answer of "Prueba 4", then the technician report.
    click 4680 4320 975 300  # Opciones
    click 360 1560 975 300   # Prueba 4 (in the panel, which starts at 120 twips)
    shot opciones.png
    click 2760 480 1215 300  # Diagnóstico
    sleep 1
    shot diagnostico.png
    stop

    # A printer that refuses the item lines: the robot stops at stage 4 and says why.
    demo falla "refuse Bematech_FI_VendeArticulo"
    start falla
    sleep 3
    shot falla.png
    acknowledge
    shot detenido.png
    stop

    # A document held back: the station dies after closing an invoice and, before it comes
    # back, another coupon is printed, so the counters cannot tell what happened.
    demo retenido "crash Bematech_FI_FinalizarCierreCupon"
    VIRTUAL_PRINTER_DIR="$SHOT_WORK/retenido-printer" "$SHOT_BIN/robot-fiscal" \
        --dir "$SHOT_WORK/retenido" --headless --exit-when-idle >/dev/null 2>&1 || true
    : >"$SHOT_WORK/retenido-printer/faults"
    VIRTUAL_PRINTER_DIR="$SHOT_WORK/retenido-printer" "$SHOT_BIN/printer-check" --print-coupon >/dev/null
    start retenido 3
    shot retenido-mensaje.png
    # Once told, the robot prints the other documents and keeps this one back.
    acknowledge
    sleep 8
    shot retenido.png
    stop
'
