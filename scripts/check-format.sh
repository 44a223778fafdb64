#!/usr/bin/env bash
# Fails when a tracked C++ file differs from the project's .clang-format style.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "check-format: every tracked C++ file follows .clang-format"
