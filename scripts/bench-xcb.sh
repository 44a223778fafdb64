#!/usr/bin/env bash
# The figures that depend on the window system, under a real X server: a private Xvfb on a
# free display (and openbox when it is installed), the programs on Qt's xcb platform, each
# beside a minimal Qt window. Run from the work tree after a build:
#   bash scripts/bench-xcb.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/../build"
seconds=${1:-10}
display=${QS_BENCH_DISPLAY:-57}
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done

xvfb="" wm="" minimal=""
cleanup() {
  for pid in $minimal $wm $xvfb; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 200); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
fi

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
echo "== $(date -u '+%F %H:%M UTC'), $(nproc) cores of $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
  "load $(cut -d' ' -f1-3 /proc/loadavg), display :$display, window manager: $([ -n "$wm" ] && echo openbox || echo none)"

echo "== idle: main window, parameters dialog, second display"
QS_BENCH_XSERVER_PID=$xvfb ./bench/bench_app_startup_idle "$seconds"

echo "== mirroring a streamed countdown, latency, a stream of times"
./bench/bench_app_startup_idle --minimal >/dev/null &
minimal=$!
sleep 1
m0=$(cpu_ticks "$minimal") x0=$(cpu_ticks "$xvfb") s0=$(date +%s.%N)
./bench/bench_app_mirror "$seconds"
m1=$(cpu_ticks "$minimal") x1=$(cpu_ticks "$xvfb") s1=$(date +%s.%N)
tick=$(getconf CLK_TCK)
awk -v m="$((m1 - m0))" -v x="$((x1 - x0))" -v t="$tick" -v w="$(echo "$s1 - $s0" | bc)" 'BEGIN {
  printf "beside it over %.1f s: minimal Qt window CPU %.2f %% of a core, X server %.2f %%\n", w, 100 * m / t / w, 100 * x / t / w }'
kill "$minimal"
wait "$minimal" 2>/dev/null || true
minimal=""

echo "== times table"
./bench/bench_chrono_table
