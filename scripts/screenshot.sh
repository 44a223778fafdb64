#!/bin/sh
# Refreshes the README's pictures: runs the real program headless under Xvfb, drives it
# through a simulated start and grabs its windows into docs/screenshots/: the connection
# dialog, the main window mid-countdown, the second display and the general settings page.
# Usage: scripts/screenshot.sh [build folder]   (builds the qs_demo_shot tool if needed)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
cmake --build "$build" --target qs_demo_shot qs_program >/dev/null
xvfb-run -a -s "-screen 0 1280x800x24" "$build/tools/demo/qs_demo_shot" "$build/QS310" "$here/docs/screenshots"
for shot in connection-dialog main-window second-display settings-page; do
    [ -s "$here/docs/screenshots/$shot.png" ] || { echo "screenshot: $shot.png was not made" >&2; exit 1; }
done
