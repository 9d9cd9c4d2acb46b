// The RFC error handler: what the RFC library calls from inside a failing
// operation, and what the run calls itself when a structure installation or
// an internal-table operation fails. It prints the RFC error report and ends
// the process with exit code 1; it is the one place besides the run's own
// endings that ends the process.
#ifndef QUILLMARK_RUN_RFC_ERROR_HANDLER_H_
#define QUILLMARK_RUN_RFC_ERROR_HANDLER_H_

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
};

// Makes `reporter` the one that ReportRfcError uses (it must outlive the run).
void InstallRfcErrorReporter(RfcErrorReporter* reporter);

// The report's text for the installed reporter: in the EXEXML mode without
// the banner the error document "RFC error: OP, KEY: MESSAGE" (or the end of
// the opened global document carrying it), else the text form.
std::string RfcErrorReportText(const std::string& operation, const RfcErrorInfo& info);

// Takes the console for the end, prints the report of the library's last
// error, closes the null handle and ends the process with exit code 1.
[[noreturn]] void ReportRfcError(const char* operation);

// The handler given to RfcEnvironment.
extern "C" void RfcErrorHandlerEntry(char* operation);

}  // namespace qm

#endif  // QUILLMARK_RUN_RFC_ERROR_HANDLER_H_
