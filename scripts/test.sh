#!/usr/bin/env bash
# Sets up, builds and runs the tests of Quillmark, stage by stage:
#
#   scripts/test.sh [STAGE...]
#
#   native    format check, build, unit and end-to-end tests (build/)
#   windows   cross build, import check, end-to-end suite under Wine
#   sanitize  everything under AddressSanitizer and UndefinedBehaviorSanitizer
#   thread    the global-run tests under ThreadSanitizer
#   fuzz      a short run of every fuzz target
#
# Without arguments every stage runs, in this order. Each stage installs what
# it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
all=(native windows sanitize thread fuzz)
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=("${all[@]}")
for stage in "${stages[@]}"; do
  case " ${all[*]} " in
    *" $stage "*) ;;
    *) echo "unknown stage '$stage' (stages: ${all[*]})" >&2; exit 2 ;;
  esac
done

for stage in "${stages[@]}"; do
  echo "==== Stage: $stage"
  scripts/setup.sh "$stage"
  case "$stage" in
    native)
      scripts/check-format.sh
      cmake -S . -B build -G Ninja
      cmake --build build
      ctest --test-dir build --output-on-failure -j2
      ;;
    windows) scripts/test-windows.sh ;;
    sanitize) scripts/test-sanitize.sh ;;
    thread) scripts/test-thread.sh ;;
    fuzz) scripts/fuzz.sh ;;
  esac
done
