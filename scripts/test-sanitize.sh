#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in a
# folder of its own and runs the unit and end-to-end suites there. Any report
# (memory fault, undefined behaviour, leak), of a test or of a program that a
# test starts, fails the stage: reports go to files, and there must be none.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUILLMARK_SANITIZE_BUILD:-build-sanitize}
cmake -S . -B "$build" -G Ninja -DQUILLMARK_SANITIZE=ON >/dev/null
cmake --build "$build"

reports="$PWD/$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
chmod 1777 "$reports"  # runs as another user write their reports here too
# Distinct exit codes, so a report never passes for an expected exit code.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:exitcode=86:strict_string_checks=1:check_initialization_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=87:log_path=$reports/ubsan"
export LSAN_OPTIONS="exitcode=88"

# Time limits of the end-to-end cases stretched for the slower build.
export QUILLMARK_E2E_TIME_SCALE=3

status=0
ctest --test-dir "$build" --output-on-failure -j2 || status=$?
if compgen -G "$reports/*" >/dev/null; then
  for report in "$reports"/*; do
    echo "==== $report"
    cat "$report"
  done
  echo "sanitizer reports found: the sanitizer stage fails" >&2
  status=1
fi
exit "$status"
