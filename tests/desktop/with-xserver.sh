#!/usr/bin/env bash
# Runs a command on a real X server: a private Xvfb on a free display number with the openbox
# window manager, DISPLAY and QT_QPA_PLATFORM=xcb set for the command only; both are ended
# afterwards. Usage: with-xserver.sh <width>x<height> <command> [args...]
set -euo pipefail
size=$1
shift
for tool in Xvfb openbox; do
    command -v "$tool" >/dev/null || { echo "with-xserver: $tool is not installed (scripts/setup-deps.sh)" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/qs310-x-XXXXXX")
xvfb=
wm=
cleanup() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# Xvfb picks a free display number itself and writes it to the pipe once it listens.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
read -r -t 20 number <"$work/display" || { cat "$work/xvfb.log" >&2; echo "with-xserver: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$number
HOME=$work openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
# The window manager owns the screen once it has set its check window on the root.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done
export QT_QPA_PLATFORM=xcb
status=0
"$@" || status=$?
exit $status
