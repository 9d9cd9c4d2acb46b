// Telling the user why an RFC conversation failed: the RFC error report that
// ends the process (exit code 1), and the hint taken from the library's trace
// file "Dev_Rfc.Trc" on the orderly failure path.
#ifndef QUILLMARK_RFC_RFC_ERROR_H_
#define QUILLMARK_RFC_RFC_ERROR_H_

#include <string>

#include "output/console.h"
#include "output/sensor_output.h"
#include "platform/file_names.h"
#include "platform/line_reader.h"
#include "rfc/rfc_library.h"

namespace qm {

// Appends `indent` blanks, the label padded with blanks to `width`
// characters, " : ", the value and a line feed.
void PrintField(std::string* out, const std::string& label, int indent, int width,
                const std::string& value);

// The report in its text form: "RFC error", the five fields (operation/code,
// key, status, message, internal status), an empty line,
// "* Programm aborted..." and "* Error at EoXput-File...".
std::string FormatRfcErrorReport(const std::string& operation, const RfcErrorInfo& info);

// The report as the error document of the EXEXML mode (no banner): the text
// "RFC error: " + operation + ", " + key + ": " + message.
std::string FormatRfcErrorDocument(const std::string& operation, const RfcErrorInfo& info);

// The end of an already opened EXEXML document carrying the error:
// "<Error>1</Error>\n<Text>" + escaped text + "</Text>\n</Prtg>\n".
std::string CloseDocumentWithError(const std::string& text);

// What the RFC error handler needs; set once by run control.
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

// The error handler given to RfcEnvironment, and what the program calls
// itself when a structure installation or table operation fails: prints the
// library's last error (as report or, in EXEXML without banner, as error
// document), closes the null handle and ends the process with exit code 1.
[[noreturn]] void ReportRfcError(const char* operation);
extern "C" void RfcErrorHandlerEntry(char* operation);

// The hint from the trace file's bytes: " - " and the last error text found,
// or " - Please Check Trace-File !" when none is found.
std::string TraceFileHint(LineReader& reader);

// Appends the hint of Dev_Rfc.Trc in the working directory to out.text; a
// missing file gives " - Look for Trace-File".
void AppendTraceFileHint(SensorOutput& out);

}  // namespace qm

#endif  // QUILLMARK_RFC_RFC_ERROR_H_
