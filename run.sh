#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and starts QS-310 Manager.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup-deps.sh
bash scripts/build.sh
exec ./build/QS310/QS310Manager
