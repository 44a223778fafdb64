#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and runs the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j"$(nproc)" --timeout 300
