#!/usr/bin/env bash
# Runs each benchmark "program|argument" with a temporary folder of its own and fails when
# the benchmark fails or leaves anything there, or a scratch folder of its own in /tmp.
set -uo pipefail
fail=0
scratch() { ls -d /tmp/qs310-bench-* /tmp/q12-bench-* 2>/dev/null | sort; }
for run in "$@"; do
    exe=${run%%|*} arg=${run#*|}
    tmp=$(mktemp -d)
    runtime=$(mktemp -d)  # Qt's runtime folder, kept apart from what is checked
    before=$(scratch)
    if ! TMPDIR=$tmp XDG_RUNTIME_DIR=$runtime "$exe" "$arg" >"$runtime.log" 2>&1; then
        echo "FAIL: $(basename "$exe") ended with an error:" >&2
        tail -5 "$runtime.log" >&2
        fail=1
    fi
    left="$(ls -A "$tmp") $(comm -13 <(echo "$before") <(scratch))"
    if [ -n "${left// /}" ]; then
        echo "FAIL: $(basename "$exe") left behind: $left" >&2
        fail=1
    fi
    rm -rf "$tmp" "$runtime" "$runtime.log"
done
[ $fail = 0 ] && echo "ok: every benchmark removed its scratch folders"
exit $fail
