#include "platform/console.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

// The sanitizer build checks for leaks before the quick exit, which skips
// the check that would run at a normal exit.
#if defined(__SANITIZE_ADDRESS__)
#define QM_LEAK_CHECK_AT_EXIT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_LEAK_CHECK_AT_EXIT 1
#endif
#endif
#ifdef QM_LEAK_CHECK_AT_EXIT
#include <sanitizer/lsan_interface.h>
#endif

namespace qm {

std::recursive_mutex& OutputLock() {
  // Never destroyed: a thread may wait on it while the process ends.
  static std::recursive_mutex* lock = new std::recursive_mutex;
  return *lock;
}

namespace {

// Set once a write to standard output failed or fell short: the document
// did not arrive, whatever the run decides afterwards.
std::atomic<bool> stdoutFailed{false};
std::atomic<int> undeliveredExitCode{kUndeliveredExitCode};

}  // namespace

void StdoutConsole::Write(std::string_view text) {
  std::lock_guard<std::recursive_mutex> hold(OutputLock());
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
    stdoutFailed = true;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) stdoutFailed = true;
}

bool StdoutConsole::Delivered() const { return !stdoutFailed; }

void SetUndeliveredExitCode(int exitCode) { undeliveredExitCode = exitCode; }

void StdoutConsole::TakeForEnd() { OutputLock().lock(); }

void FlushAndExit(int exitCode) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) stdoutFailed = true;
  if (stdoutFailed) exitCode = undeliveredExitCode;
  RemoveTemporaryFiles();
#ifdef QM_LEAK_CHECK_AT_EXIT
  __lsan_do_leak_check();
#endif
  std::_Exit(exitCode);
}

}  // namespace qm
