#!/bin/sh
# Renders the main window in a countdown state to docs/screenshots/main-window.png.
# Usage: scripts/screenshot.sh [build folder] [output.png] [captions]
# Builds nothing: the build folder must hold the program folder (QS310/) and qs_screenshot.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
out=${2:-"$here/docs/screenshots/main-window.png"}
tool="$build/tools/screenshot/qs_screenshot"
[ -x "$tool" ] || { echo "missing $tool: build the target qs_screenshot first" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
if [ $# -ge 3 ]; then
  xvfb-run -a -s "-screen 0 1280x800x24" "$tool" "$build/QS310" "$out" captions
else
  xvfb-run -a -s "-screen 0 1280x800x24" "$tool" "$build/QS310" "$out"
fi
