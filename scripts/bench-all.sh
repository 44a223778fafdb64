#!/usr/bin/env bash
# Runs every benchmark of bench/ one after the other in one go, so the figures in
# docs/performance.md come from one build on one machine state. Builds ./build (Release
# with debug info) first. Raw outputs go to the folder given (default build/bench-run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh >/dev/null
# The programs take the program folder as "QS310" below the current folder.
out="$(realpath -m "${1:-build/bench-run}")"
mkdir -p "$out"
cd build
b=bench
export QT_QPA_PLATFORM=offscreen
{
  echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')," \
       "$(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(. /etc/os-release; echo "$PRETTY_NAME")"
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
} | tee "$out/machine.txt"

run() {  # name, then the command line
  local name=$1; shift
  echo "== $name" | tee -a "$out/summary.txt"
  "$@" >"$out/$name.txt" 2>&1 || echo "   (exit $?)" | tee -a "$out/summary.txt"
  echo "   load after: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$out/summary.txt"
}

gb=(--benchmark_repetitions=3 --benchmark_report_aggregates_only=true)
run app_startup_idle   $b/bench_app_startup_idle 10
run busy_poll          $b/bench_busy_poll_reference 5
run app_mirror         $b/bench_app_mirror 10
run app_mirror_tcp     $b/bench_app_mirror 10 tcp
run app_mirror_nojournal $b/bench_app_mirror 10 serial nojournal
run link_decode        $b/bench_link_decode "${gb[@]}"
run platform_idle      $b/bench_platform_idle
run simulation_step    $b/bench_simulation_step "${gb[@]}"
run chrono_table       $b/bench_chrono_table
run competitor_import  $b/bench_competitor_import "${gb[@]}"
run competitor_tables  $b/bench_competitor_tables "${gb[@]}"
run display_layout     $b/bench_display_layout "${gb[@]}"
run display_live_cpu   $b/bench_display_live_cpu 10
run webview_viewers    $b/bench_webview_viewers 10 50
for s in $b/bench_soak*; do [ -x "$s" ] && run "$(basename "$s")" "$s"; done
echo "raw outputs in $out"
