#include "platform/console.h"

#include <cstdio>
#include <cstdlib>

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

void StdoutConsole::Write(std::string_view text) {
  std::lock_guard<std::recursive_mutex> hold(OutputLock());
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void StdoutConsole::TakeForEnd() { OutputLock().lock(); }

void FlushAndExit(int exitCode) {
  std::fflush(stdout);
#ifdef QM_LEAK_CHECK_AT_EXIT
  __lsan_do_leak_check();
#endif
  std::_Exit(exitCode);
}

}  // namespace qm
