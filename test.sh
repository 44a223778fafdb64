#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and runs the whole test suite headless;
# then the same suite under AddressSanitizer and UndefinedBehaviorSanitizer, and a short
# run of every fuzz target. QS_QUICK=1 stops after the normal suite.
set -euo pipefail
cd "$(dirname "$0")"

stage() {
  local name="$1"
  shift
  local start=$SECONDS
  echo "== $name"
  "$@"
  echo "== $name: $((SECONDS - start)) s"
}

suite() {
  cd build
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300
  cd ..
}

stage "dependencies" bash scripts/setup-deps.sh
stage "format" bash scripts/check-format.sh
stage "layers" python3 scripts/check-layers.py
stage "build" bash scripts/build.sh
stage "test suite" suite
if [ "${QS_QUICK:-0}" = 1 ]; then
  echo "QS_QUICK=1: sanitizer suite and fuzz smoke skipped"
  exit 0
fi
stage "sanitizer suite" bash scripts/test-sanitize.sh
stage "fuzz smoke" bash scripts/fuzz-smoke.sh
