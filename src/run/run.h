// Run control: start-up, then the single-system run or the run over a global
// listing, and the one place that turns an error exit into the error
// document and exit code 2.
#ifndef QUILLMARK_RUN_RUN_H_
#define QUILLMARK_RUN_RUN_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "config/output_mode.h"
#include "config/run_settings.h"
#include "platform/console.h"
#include "run/run_state.h"

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

// The plugin form's exit code when standard output could not take the
// document (UNKNOWN).
inline constexpr int kExitPluginUnknown = 3;

// Milliseconds from `start` until now.
std::uint64_t MillisSince(std::chrono::steady_clock::time_point start);

// How a run's failures are printed: the caller's form, and when the process
// started (the Prometheus form reports the run's duration).
struct FailureForm {
  OutputMode mode = OutputMode::kExeXml;
  std::chrono::steady_clock::time_point start{};
};

// The failure form of a run.
FailureForm FailureFormOf(const RunSettings& run);

// What ends a run: the text printed last and the exit code.
struct Ending {
  std::string text;
  int exitCode = 0;
};

// The ending of a failure with `message` ("Error 1011: ..."): the error
// document and exit code 2; in the plugin form its status line and state
// (UNKNOWN 3, or CRITICAL 2 for Errors 1011 to 1016); in the Prometheus
// form quillmark_up{error="NNNN"} 0 with the run's duration and exit code 0.
Ending FailureEnding(const FailureForm& form, const std::string& message);

// An error exit: takes the console for the end and writes the failure's
// ending; returns its exit code.
int ErrorExit(Console& console, const FailureForm& form, const std::string& message);

// Whether "* SapRfc.Ini.......: DEST<" may be printed: PRTG parses all of
// standard output in the EXEXML mode, so only with the banner on there; the
// plugin and Prometheus forms never print it.
bool MayPrintSapRfcLine(const RunSettings& run);

// "* SapRfc.Ini.......: " + destination + "<\n".
std::string SapRfcLine(const std::string& destination);

}  // namespace qm

#endif  // QUILLMARK_RUN_RUN_H_
