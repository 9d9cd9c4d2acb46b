#include "run/time_limit.h"

#include <condition_variable>
#include <mutex>
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
};

// Signalled under OutputLock() when the limit changes. Never destroyed: the
// watchdog waits on it until the process ends.
std::condition_variable_any& LimitChanged() {
  static auto* changed = new std::condition_variable_any;
  return *changed;
}

// Waits until the limit in force has passed since the start (a limit of 0
// waits for a change), then ends the process.
void RunWatchdog(void* context) {
  const Watchdog* watchdog = static_cast<const Watchdog*>(context);
  const RunState& state = *watchdog->state;
  std::unique_lock<std::recursive_mutex> hold(OutputLock());
  for (;;) {
    if (state.timeoutSeconds == 0) {
      LimitChanged().wait(hold);
      continue;
    }
    auto deadline = state.start + std::chrono::seconds(state.timeoutSeconds);
    if (std::chrono::steady_clock::now() >= deadline) break;
    LimitChanged().wait_until(hold, deadline);
  }
  EndOnTimeout(state, *watchdog->console);
}

}  // namespace

std::string TimeoutMessage(unsigned long seconds) {
  return "Error 1016: Timeout after " + std::to_string(seconds) + " seconds !";
}

TimeoutEnding TimeoutEndingFor(const RunState& state) {
  if (!state.documentOpened) {
    Ending ending =
        FailureEnding({state.summaryForm.mode, state.start}, TimeoutMessage(state.timeoutSeconds));
    return {ending.text, ending.exitCode};
  }
  // In listing order: a system finished in time prints as it finished, one
  // still in hand is given up and counts as failed; the systems not yet
  // taken are in no count.
  RunState end = state;
  end.timedOut = true;
  std::string text;
  for (const std::shared_ptr<ListedSystem>& system : end.pending) {
    text +=
        system->finished ? FinishedSystemText(*system, end) : UnfinishedSystemText(*system, end);
  }
  end.pending.clear();
  return {text + GlobalSummaryText(end), GlobalExitCode(end)};
}

void EndOnTimeout(const RunState& state, Console& console) {
  console.TakeForEnd();
  TimeoutEnding ending = TimeoutEndingFor(state);
  console.Write(ending.text);
  FlushAndExit(ending.exitCode);
}

void StartWatchdog(const RunState& state, Console& console) {
  // Lives as long as the thread, which may outlive every caller.
  auto* watchdog = new Watchdog{&state, &console};
  if (!StartDetachedThread(RunWatchdog, watchdog, kWatchdogStackBytes)) delete watchdog;
}

void SetEndingMode(RunState& state, OutputMode mode) {
  std::lock_guard<std::recursive_mutex> hold(OutputLock());
  state.summaryForm.mode = mode;
}

void SetTimeLimit(RunState& state, unsigned long seconds) {
  std::lock_guard<std::recursive_mutex> hold(OutputLock());
  state.timeoutSeconds = seconds;
  LimitChanged().notify_all();
}

}  // namespace qm
