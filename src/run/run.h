// Run control: start-up, then the single-system run or the run over a global
// listing, and the one place that turns an error exit into the error
// document and exit code 2.
#ifndef QUILLMARK_RUN_RUN_H_
#define QUILLMARK_RUN_RUN_H_

#include <string>
#include <vector>

#include "collect/collect.h"
#include "output/console.h"
#include "output/sensor_output.h"
#include "run/run_settings.h"
#include "run/time_limit.h"

namespace qm {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRfcError = 1;
inline constexpr int kExitError = 2;

// The whole program for the arguments after the program name; returns the
// exit code (0, 2; the RFC error report and the time limit end the process
// themselves). Output goes to `console`, which has been taken for the end
// when this returns. Starts the watchdog of the time limit set in
// Quillmark.ini; console and state must live until the process ends.
int RunProgram(const std::vector<std::string>& args, Console& console, RunState& state);

// An error exit: takes the console for the end, the error document with
// `message` replaces the output, which is written as built; returns exit
// code 2.
int ErrorExit(SensorOutput& out, Console& console, const std::string& message);

// The single-system run over run.profileStream (open; closed here).
int RunSingleSystem(RunSettings& run, SensorOutput& out, RfcAccess& rfc, Console& console);

// The run over run.globalServerListing; always returns exit code 0. Keeps
// `state` up to date (document opened, counts, system in hand) for the time
// limit.
int RunGlobalListing(RunSettings& run, SensorOutput& out, RfcAccess& rfc, Console& console,
                     RunState& state);

// The summary that ends a global run (with the banner's closing line when
// the banner is on, its time of day taken now), from state's counts.
std::string GlobalSummaryText(const RunState& state);

// The parameter display text of the single-system run's executing line:
// cut before the first "#" and the first "@"; "(Parameters " and "(No "
// count as empty; empty shows as "(No Parameters)".
std::string SingleDisplayText(const std::string& rawParameterText);

// The parameter display text of the global run's start line: colons become
// blanks, cut before the first " @".
std::string GlobalDisplayText(const std::string& rawParameterText);

// Whether "* SapRfc.Ini.......: DEST<" may be printed: PRTG parses all of
// standard output in the EXEXML mode, so only with the banner on there.
bool MayPrintSapRfcLine(const RunSettings& run);

}  // namespace qm

#endif  // QUILLMARK_RUN_RUN_H_
