#!/bin/sh
# Refreshes the README's pictures: runs the real program on a private X server (Xvfb with the
# openbox window manager, the xcb platform), drives it through a simulated start and grabs
# its windows into docs/screenshots/: the connection dialog, the main window mid-countdown,
# the second display, the general settings page, the key panel and the quit question on the
# screen as the window manager shows it; then the live view as headless chromium shows it on
# a phone and on a TV (from the browser test, which takes them when QS_LIVE_VIEW_SHOTS names
# a folder).
# Usage: scripts/screenshot.sh [build folder]   (builds the qs_demo_shot tool if needed)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
cmake --build "$build" --target qs_demo_shot qs_program test_e2e >/dev/null
bash "$here/tests/desktop/with-xserver.sh" 1280x800 \
    "$build/tools/demo/qs_demo_shot" "$build/QS310" "$here/docs/screenshots"
(cd "$build" && QS_LIVE_VIEW_SHOTS="$here/docs/screenshots" QT_QPA_PLATFORM=offscreen \
    ./tests/e2e/test_e2e --gtest_filter='*Simulated' >/dev/null)
for shot in connection-dialog main-window second-display settings-page key-panel quit-question \
    live-view-phone live-view-tv; do
    [ -s "$here/docs/screenshots/$shot.png" ] || { echo "screenshot: $shot.png was not made" >&2; exit 1; }
done
