#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and runs
# each one for a bounded time on its seed corpus. A crash or a broken invariant fails the run and
# leaves the input in build-fuzz/findings/.
# Usage: fuzz/run.sh [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz
targets=(fuzz_dropstring fuzz_restrict fuzz_import fuzz_numbers fuzz_preview)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DPLW_BUILD_TESTS=OFF -DPLW_BUILD_BENCH=OFF -DPLW_BUILD_FUZZERS=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build "$build" -j2 --target "${targets[@]}"

mkdir -p "$build/findings"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  # Inputs found in this run go to a scratch corpus; the checked-in seeds stay as they are.
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "== $target: ${seconds} s on fuzz/corpus/common"
  log="$build/findings/$target.log"
  status=0
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-" "$corpus" fuzz/corpus/common >"$log" 2>&1 || status=$?
  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb|invariant violated|SUMMARY)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "$target failed (exit $status); inputs in $build/findings/"
    exit 1
  fi
done
echo "fuzzers passed"
