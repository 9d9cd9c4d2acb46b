// The single-system run: one profile, one connection, one result document.
#ifndef QUILLMARK_RUN_SINGLE_RUN_H_
#define QUILLMARK_RUN_SINGLE_RUN_H_

#include <string>

#include "collect/collect.h"
#include "config/run_settings.h"
#include "platform/console.h"

namespace qm {

// The run over run.profileStream (open; closed here). Returns the exit code:
// 0 after the result document, 2 after an error document; a library failure
// ends the process with the RFC error report.
int RunSingleSystem(RunSettings& run, RfcAccess& rfc, Console& console);

// The parameter display text of the single-system run's executing line:
// cut before the first "#" and the first "@"; "(Parameters " and "(No "
// count as empty; empty shows as "(No Parameters)".
std::string SingleDisplayText(const std::string& rawParameterText);

}  // namespace qm

#endif  // QUILLMARK_RUN_SINGLE_RUN_H_
