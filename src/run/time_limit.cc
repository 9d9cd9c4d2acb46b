#include "run/time_limit.h"

#include <thread>

#include "run/run.h"

namespace qm {

std::string TimeoutMessage(unsigned long seconds) {
  return "Error 1016: Timeout after " + std::to_string(seconds) + " seconds !";
}

TimeoutEnding TimeoutEndingFor(const RunState& state) {
  if (!state.documentOpened) {
    SensorOutput document;
    WriteErrorDocument(document, TimeoutMessage(state.timeoutSeconds));
    return {document.text, kExitError};
  }
  // The system in hand is given up and counts as failed; the systems not
  // yet taken are in no count.
  RunState end = state;
  std::string text;
  if (end.systemInHand) {
    ++end.counts.failedCount;
    if (end.showBanner) text = "\n" + *end.systemInHand + " State=Rfc Failure\n";
    end.systemInHand.reset();
  }
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
  auto deadline = state.start + std::chrono::seconds(state.timeoutSeconds);
  std::thread([&state, &console, deadline] {
    std::this_thread::sleep_until(deadline);
    EndOnTimeout(state, console);
  }).detach();
}

}  // namespace qm
