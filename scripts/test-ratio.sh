#!/usr/bin/env bash
# Lines of the tests against lines of the product code (C++ sources and headers, comments and
# blank lines included).
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files -- "$@" | grep -E '\.(cpp|h)$' | tr '\n' '\0' | xargs -0 cat | wc -l; }
product=$(count app chrono competitor display lib link platform records settings simulation ui)
tests=$(count tests)
echo "product code: $product lines; tests: $tests lines; ratio $((100 * tests / product)) %"
