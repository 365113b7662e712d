#!/usr/bin/env bash
# Takes a picture of the station's window under a virtual X display, running on a fresh demo
# directory with the virtual printer. The picture is for looking at, not for the repository.
# Usage: scripts/screenshot.sh [OUTPUT.png] [BUILD_DIR]
# Needs xvfb (xvfb-run), imagemagick (import) and x11-utils (xwininfo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/window.png}")
build=$(realpath -m "${2:-$root/build}")
for tool in robot-fiscal robot-fiscal-demo; do
    if [ ! -x "$build/bin/$tool" ]; then
        echo "Falta $build/bin/$tool: compile primero (scripts/build.sh $build)." >&2
        exit 2
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bin/robot-fiscal-demo" "$work/demo" >/dev/null

export SHOT_BIN="$build/bin" SHOT_DEMO="$work/demo" SHOT_OUT="$out"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    # Plain Xvfb has no notification area; ROBOT_FISCAL_NO_MINIMIZE=1 makes the window stay
    # in view after its first activation instead of minimising.
    ROBOT_FISCAL_NO_MINIMIZE=1 "$SHOT_BIN/robot-fiscal" --dir "$SHOT_DEMO" &
    pid=$!
    # The title gains the RIF at the first activation, which also fills both lists. The
    # robot prints its first demo document about two seconds later: take the picture while
    # the lists are still full.
    for _ in $(seq 100); do
        if xwininfo -root -tree | grep -q "RIF:"; then break; fi
        sleep 0.1
    done
    sleep 0.5
    /usr/bin/import -window root "$SHOT_OUT"
    status=$?
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    exit $status'
echo "$out"
