#include "run/run_state.h"

#include "output/plugin_form.h"
#include "output/prometheus_form.h"

namespace qm {
namespace {

std::string StateLine(const ListedSystem& system, const char* shownState) {
  return "\n" + system.progressLine + " State=" + shownState + "\n";
}

// Adds a finished system to the document of a whole-document form.
void HoldSystem(const ListedSystem& system, RunState& state) {
  HeldDocument& held = state.held;
  const Thresholds& thresholds = state.summaryForm.thresholds;
  if (system.channel) held.itemReading = system.channel->reading;
  if (state.summaryForm.mode == OutputMode::kPlugin) {
    if (!system.channel) return;
    if (!held.channels.empty()) held.channels += " ";
    held.channels += PerformanceData(system.channel->name, *system.channel, thresholds);
    return;
  }
  std::string labels = PrometheusLabels(system.destination, state.filterLabel, &system.itemLabel);
  // A label set already taken would repeat a series, which no collector
  // accepts: the first system of those labels is reported.
  if (!held.series.insert(labels).second) return;
  if (system.channel) held.channels += PrometheusSample(labels, *system.channel);
  std::string error = system.processed ? "" : system.error.empty() ? "unknown" : system.error;
  held.up += PrometheusUpSample(labels, error);
}

}  // namespace

std::string FinishedSystemText(const ListedSystem& system, RunState& state) {
  std::string text = system.sapRfcLine;
  if (system.channel) {
    const Channel& channel = *system.channel;
    state.violated.Add(channel.reading, CheckThresholds(state.summaryForm.thresholds,
                                                        channel.reading, channel.amount));
  }
  if (IsWholeDocumentForm(state.summaryForm.mode)) {
    HoldSystem(system, state);
  } else if (system.channel) {
    text +=
        RenderItemChannel(state.summaryForm, state.channels, system.channel->name, *system.channel);
  }
  ++(system.processed ? state.counts.processedCount : state.counts.failedCount);
  if (state.showBanner) text += StateLine(system, system.processed ? "Processed" : "Rfc Failure");
  return text;
}

std::string UnfinishedSystemText(const ListedSystem& system, RunState& state) {
  ListedSystem failed = system;
  failed.finished = true;
  failed.processed = false;
  failed.channel.reset();
  failed.error = kTimeLimitError;
  return FinishedSystemText(failed, state);
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
