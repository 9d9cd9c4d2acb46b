#include "run/time_limit.h"

#include <thread>

#include "platform/platform.h"
#include "run/global_run.h"
#include "run/run.h"

namespace qm {
namespace {

// The watchdog only sleeps and, at the end, formats a few lines: a small
// stack is plenty and keeps the start of every run cheap.
constexpr std::size_t kWatchdogStackBytes = 256 * 1024;

struct Watchdog {
  const RunState* state;
  Console* console;
  std::chrono::steady_clock::time_point deadline;
};

void RunWatchdog(void* context) {
  const Watchdog* watchdog = static_cast<const Watchdog*>(context);
  std::this_thread::sleep_until(watchdog->deadline);
  EndOnTimeout(*watchdog->state, *watchdog->console);
}

}  // namespace

std::string TimeoutMessage(unsigned long seconds) {
  return "Error 1016: Timeout after " + std::to_string(seconds) + " seconds !";
}

TimeoutEnding TimeoutEndingFor(const RunState& state) {
  if (!state.documentOpened) {
    return {RenderErrorDocument(TimeoutMessage(state.timeoutSeconds)), kExitError};
  }
  // In listing order: a system finished in time prints as it finished, one
  // still in hand is given up and counts as failed; the systems not yet
  // taken are in no count.
  RunState end = state;
  std::string text;
  for (const std::shared_ptr<ListedSystem>& system : end.pending) {
    text +=
        system->finished ? FinishedSystemText(*system, end) : UnfinishedSystemText(*system, end);
  }
  end.pending.clear();
  return {text + GlobalSummaryText(end), kExitOk};
}

void EndOnTimeout(const RunState& state, Console& console) {
  console.TakeForEnd();
  TimeoutEnding ending = TimeoutEndingFor(state);
  console.Write(ending.text);
  FlushAndExit(ending.exitCode);
}

void StartWatchdog(const RunState& state, Console& console) {
  if (state.timeoutSeconds == 0) return;
  // Lives as long as the thread, which may outlive every caller.
  auto* watchdog =
      new Watchdog{&state, &console, state.start + std::chrono::seconds(state.timeoutSeconds)};
  if (!StartDetachedThread(RunWatchdog, watchdog, kWatchdogStackBytes)) delete watchdog;
}

}  // namespace qm
