// Run control: start-up, then the single-system run or the run over a global
// listing, and the one place that turns an error exit into the error
// document and exit code 2.
#ifndef QUILLMARK_RUN_RUN_H_
#define QUILLMARK_RUN_RUN_H_

#include <string>
#include <vector>

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

// An error exit: takes the console for the end and writes the error document
// with `message`; returns exit code 2.
int ErrorExit(Console& console, const std::string& message);

// Whether "* SapRfc.Ini.......: DEST<" may be printed: PRTG parses all of
// standard output in the EXEXML mode, so only with the banner on there.
bool MayPrintSapRfcLine(const RunSettings& run);

// "* SapRfc.Ini.......: " + destination + "<\n".
std::string SapRfcLine(const std::string& destination);

}  // namespace qm

#endif  // QUILLMARK_RUN_RUN_H_
