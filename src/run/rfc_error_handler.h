// The RFC error handler: what the RFC library calls from inside a failing
// operation, and what the run calls itself when a structure installation or
// an internal-table operation fails. It prints the RFC error report and ends
// the process with exit code 1 (the plugin form: UNKNOWN, 3; the Prometheus
// form: 0); it is the one place besides the run's own endings that ends the
// process.
#ifndef QUILLMARK_RUN_RFC_ERROR_HANDLER_H_
#define QUILLMARK_RUN_RFC_ERROR_HANDLER_H_

#include <chrono>
#include <string>

#include "config/output_mode.h"
#include "platform/console.h"
#include "rfc/rfc_library.h"

namespace qm {

// What the handler needs; set once by run control.
struct RfcErrorReporter {
  const RfcLibrary* library = nullptr;
  Console* console = nullptr;
  OutputMode outputMode = OutputMode::kExeXml;
  bool showBanner = false;
  // Set while a global run's document is open on standard output (read
  // only after the console was taken for the end). In the EXEXML form the
  // report then closes that document instead of starting a second one,
  // which PRTG could not parse. Null: no document is ever open.
  const bool* documentOpened = nullptr;
  // When the process started (the Prometheus form reports the run's
  // duration).
  std::chrono::steady_clock::time_point start{};
};

// Makes `reporter` the one that ReportRfcError uses (it must live until the
// process ends: a worker may report after the run returned).
void InstallRfcErrorReporter(RfcErrorReporter* reporter);

// A thread that works for one system of a global run reports only in its
// turn: once every earlier system is printed, so the output stays what one
// system after another would print.
class ReportTurn {
 public:
  virtual ~ReportTurn() = default;
  // Waits for the turn and fills *before with what the system printed so
  // far, to go out in front of the report. False when the system was given
  // up meanwhile: its report is dropped.
  virtual bool WaitForTurn(std::string* before) = 0;
};

// The turn of the calling thread (null: the thread reports at once).
void SetThreadReportTurn(ReportTurn* turn);

// The report's text for the installed reporter: in the EXEXML mode without
// the banner the error document "RFC error: OP, KEY: MESSAGE" (or the end of
// the opened global document carrying it); in the plugin form the status
// line "QUILLMARK UNKNOWN - RFC error: OP, KEY: MESSAGE"; in the Prometheus
// form quillmark_up{error="rfc"} 0 with the run's duration; else the text
// form.
std::string RfcErrorReportText(const std::string& operation, const RfcErrorInfo& info);

// The exit code of the report for the installed reporter: 1, in the plugin
// form 3 (UNKNOWN), in the Prometheus form 0.
int RfcErrorExitCode();

// Takes the console for the end, prints the report of the library's last
// error, closes the null handle and ends the process with RfcErrorExitCode. On a
// thread with a ReportTurn it first waits for the turn; a thread whose
// system was given up never returns and never prints.
[[noreturn]] void ReportRfcError(const char* operation);

// The handler given to RfcEnvironment.
extern "C" void RfcErrorHandlerEntry(char* operation);

}  // namespace qm

#endif  // QUILLMARK_RUN_RFC_ERROR_HANDLER_H_
