// The run's time limit: a watchdog thread that ends the process once the
// limit has passed since the process start, and what it prints then.
#ifndef QUILLMARK_RUN_TIME_LIMIT_H_
#define QUILLMARK_RUN_TIME_LIMIT_H_

#include <string>

#include "platform/console.h"
#include "run/run_state.h"

namespace qm {

// "Error 1016: Timeout after " + seconds + " seconds !".
std::string TimeoutMessage(unsigned long seconds);

// What ends a run that ran out of time, and its exit code.
struct TimeoutEnding {
  std::string text;
  int exitCode = 0;
};

// The ending for `state`: before a global run's document opening, the
// failure ending of TimeoutMessage (the error document and exit code 2 in
// the XML and text forms). After it, in listing order, every system
// finished in time prints as it finished and every system still in hand
// counts as failed (with the banner on, its progress line with
// "State=Rfc Failure"), then the summary, exit code 0 (in the plugin form
// CRITICAL, 2).
TimeoutEnding TimeoutEndingFor(const RunState& state);

// Ends the process on the time limit: takes the console for the end (waits
// for good when another ending took it first), writes TimeoutEndingFor(state)
// and ends with its exit code.
[[noreturn]] void EndOnTimeout(const RunState& state, Console& console);

// Starts the watchdog thread that calls EndOnTimeout once the limit in force
// (state.timeoutSeconds; 0: none for now) has passed since state.start.
// state and console must live until the process ends.
void StartWatchdog(const RunState& state, Console& console);

// Changes the limit in force; the watchdog counts the new one from
// state.start (a limit already passed ends the run at once).
void SetTimeLimit(RunState& state, unsigned long seconds);

// The form a timeout before a global run's opening ends in (EXEXML until
// Quillmark.ini has been read).
void SetEndingMode(RunState& state, OutputMode mode);

}  // namespace qm

#endif  // QUILLMARK_RUN_TIME_LIMIT_H_
