#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer) in a folder of their own and runs them.
#
#   scripts/fuzz.sh                    smoke run: every target for 5 seconds
#   scripts/fuzz.sh RUNS [TARGET...]   long run: each target (or the ones
#                                      named) for RUNS executions
#
# Each target starts from its seeds in fuzz/corpus/<target>/ and keeps what it
# finds new in <build>/corpus/<target>/. A finding (crash, sanitizer report,
# failed check, leak, hang) is saved as <build>/findings/<target>-* and fails
# the script; replay it with <build>/fuzz/fuzz_<target> FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUILLMARK_FUZZ_BUILD:-build-fuzz}
runs=${1:-}
[ $# -gt 0 ] && shift
if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DQUILLMARK_FUZZ=ON \
  -DQUILLMARK_SANITIZE=ON -DQUILLMARK_TESTS=OFF >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}"

mkdir -p "$build/findings"
status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  if [ -n "$runs" ]; then
    limit=(-runs="$runs")
  else
    limit=(-max_total_time=5)
  fi
  log="$build/findings/$target.log"
  if "$build/fuzz/fuzz_$target" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
      "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: ${executions:-?} executions, no finding"
  else
    echo "$target: FINDING (see $log)" >&2
    tail -40 "$log" >&2
    status=1
  fi
done
exit "$status"
