#!/usr/bin/env bash
# Builds everything with ThreadSanitizer in a folder of its own and runs the
# tests of what runs on several threads: the global run with its workers and
# the time limit (unit tests), the threads tests of the stand-in and the SDK
# adapter, and the end-to-end cases of global runs, natively and through the
# SDK's test double. Any report, of a test or of a program that a test starts, fails the
# stage: reports go to files, and there must be none.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${QUILLMARK_THREAD_BUILD:-build-thread}
cmake -S . -B "$build" -G Ninja -DQUILLMARK_SANITIZE=thread >/dev/null
cmake --build "$build"

reports="$PWD/$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
chmod 1777 "$reports"
# A distinct exit code, so a report never passes for an expected exit code.
export TSAN_OPTIONS="halt_on_error=1:exitcode=89:second_deadlock_stack=1:log_path=$reports/tsan"

# Time limits of the end-to-end cases stretched for the slower build.
export QUILLMARK_E2E_TIME_SCALE=3

status=0
ctest --test-dir "$build" --output-on-failure -j2 \
  -R 'GlobalRun|TimeLimit|ThreadsTest|Threads.*OfTheirOwn|Workers|SameOutput|LongListing|Watchdog|TimeoutEndingFor' || status=$?
if compgen -G "$reports/*" >/dev/null; then
  for report in "$reports"/*; do
    echo "==== $report"
    cat "$report"
  done
  echo "ThreadSanitizer reports found: the thread stage fails" >&2
  status=1
fi
exit "$status"
