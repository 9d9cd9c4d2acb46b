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

// The run over the listing of run (checked by ReadGlobalListing); always
// returns exit code 0. Keeps
// `state` up to date (document opened, counts, system in hand) for the time
// limit.
int RunGlobalListing(RunSettings& run, RfcAccess& rfc, Console& console, RunState& state);

// The summary that ends a global run (with the banner's closing line when
// the banner is on, its time of day taken now), from state's counts.
std::string GlobalSummaryText(const RunState& state);

// The parameter display text of the global run's start line: colons become
// blanks, cut before the first " @".
std::string GlobalDisplayText(const std::string& rawParameterText);

}  // namespace qm

#endif  // QUILLMARK_RUN_GLOBAL_RUN_H_
