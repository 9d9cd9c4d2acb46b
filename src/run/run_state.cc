#include "run/run_state.h"

namespace qm {
namespace {

std::string StateLine(const ListedSystem& system, const char* shownState) {
  return "\n" + system.progressLine + " State=" + shownState + "\n";
}

}  // namespace

std::string FinishedSystemText(const ListedSystem& system, RunState& state) {
  std::string text = system.sapRfcLine;
  if (system.channel) {
    text +=
        RenderItemChannel(state.summaryForm, state.channels, system.channel->name, *system.channel);
  }
  ++(system.processed ? state.counts.processedCount : state.counts.failedCount);
  if (state.showBanner) text += StateLine(system, system.processed ? "Processed" : "Rfc Failure");
  return text;
}

std::string UnfinishedSystemText(const ListedSystem& system, RunState& state) {
  std::string text = system.sapRfcLine;
  ++state.counts.failedCount;
  if (state.showBanner) text += StateLine(system, "Rfc Failure");
  return text;
}

std::string TakeFinishedSystems(RunState& state) {
  std::string text;
  while (!state.pending.empty() && state.pending.front()->finished) {
    text += FinishedSystemText(*state.pending.front(), state);
    state.pending.pop_front();
  }
  return text;
}

}  // namespace qm
