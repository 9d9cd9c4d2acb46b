// The run over a global listing: one reading for every listed system, each
// system counted as processed or failed, then the summary.
#ifndef QUILLMARK_RUN_GLOBAL_RUN_H_
#define QUILLMARK_RUN_GLOBAL_RUN_H_

#include <string>

#include "collect/collect.h"
#include "config/run_settings.h"
#include "platform/console.h"
#include "run/run_state.h"

namespace qm {

// The run over the listing of run (checked by ReadGlobalListing); returns
// GlobalExitCode. Keeps `state` up to date (document opened, counts, system
// in hand) for the time limit.
int RunGlobalListing(RunSettings& run, RfcAccess& rfc, Console& console, RunState& state);

// The summary that ends a global run (with the banner's closing line when
// the banner is on, its time of day taken now), from state's counts: the
// message with the markers of violated thresholds in kExeXml. In the
// plugin form the status line with the systems' performance data, in the
// Prometheus form the whole document (its run duration taken now).
std::string GlobalSummaryText(const RunState& state);

// The exit code of a global run that reached its summary: 0, in the plugin
// form its state (GlobalRunState).
int GlobalExitCode(const RunState& state);

// The parameter display text of the global run's start line: colons become
// blanks, cut before the first " @".
std::string GlobalDisplayText(const std::string& rawParameterText);

}  // namespace qm

#endif  // QUILLMARK_RUN_GLOBAL_RUN_H_
