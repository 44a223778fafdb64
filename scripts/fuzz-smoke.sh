#!/usr/bin/env bash
# Builds every libFuzzer target (clang, AddressSanitizer and UndefinedBehaviorSanitizer)
# into ./build-fuzz and runs each for a few seconds from its seeds; any crash, sanitizer
# report, leak or hang fails the run and leaves the input in build-fuzz/artifacts/.
# QS_FUZZ_SECONDS sets the time per target (default 5), QS_FUZZ_BUILD the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
src="$PWD"
seconds="${QS_FUZZ_SECONDS:-5}"
bash scripts/setup-deps.sh
build="${QS_FUZZ_BUILD:-build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DQS_FUZZ=ON -DQS_TESTS=OFF -DQS_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only the fuzz targets and what they link (the program and its tools are not needed).
targets=$(ninja -C "$build" -t targets all | sed -n 's|^fuzz/[^:]*/\(fuzz_[A-Za-z0-9_]*\): CXX_EXECUTABLE_LINKER.*|\1|p')
[ -n "$targets" ] || { echo "fuzz-smoke: no fuzz targets found"; exit 1; }
# shellcheck disable=SC2086
cmake --build "$build" -j"$(nproc)" --target $targets

cd "$build"
mkdir -p artifacts
failed=()
while IFS= read -r target; do
  name="$(basename "$target")"
  folder="$src/fuzz/$(basename "$(dirname "$target")")"
  corpus="$PWD/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$folder/seeds" ] && seeds+=("$folder/seeds")
  [ "$name" = fuzz_texts ] && seeds+=("$src/ui/Texts")
  asan="detect_leaks=1"
  lsan=""
  [ -f "$folder/asan.supp" ] && asan="$asan:suppressions=$folder/asan.supp"
  [ -f "$folder/lsan.supp" ] && lsan="suppressions=$folder/lsan.supp"
  # Extra libFuzzer flags of a folder (input sizes its loaders need) in smoke.options.
  options=()
  [ -f "$folder/smoke.options" ] && read -r -a options <"$folder/smoke.options"
  echo "fuzz-smoke: $name for ${seconds}s"
  if ! ASAN_OPTIONS="$asan" LSAN_OPTIONS="$lsan" UBSAN_OPTIONS=print_stacktrace=1 \
      "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$PWD/artifacts/$name-" "${options[@]}" "$corpus" "${seeds[@]}" >"$name.log" 2>&1; then
    tail -n 40 "$name.log"
    failed+=("$name")
  else
    grep -E "^stat::number_of_executed_units" "$name.log" || true
  fi
done < <(find fuzz -type f -name 'fuzz_*' -perm -u+x | sort)

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz-smoke: FAILED: ${failed[*]} (inputs in $build/artifacts/)"
  exit 1
fi
echo "fuzz-smoke: every target ran clean"
