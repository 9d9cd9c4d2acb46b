#include "output/console.h"

#include <cstdio>
#include <cstdlib>

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
  std::_Exit(exitCode);
}

}  // namespace qm
