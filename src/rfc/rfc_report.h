// Telling the user why an RFC conversation failed: the RFC error report in
// its text form, from the library's last error, and the hint taken from the
// library's trace file "Dev_Rfc.Trc" on the orderly failure path.
#ifndef QUILLMARK_RFC_RFC_REPORT_H_
#define QUILLMARK_RFC_RFC_REPORT_H_

#include <string>

#include "platform/line_reader.h"
#include "rfc/rfc_library.h"

namespace qm {

// Appends `indent` blanks, the label padded with blanks to `width`
// characters, " : ", the value and a line feed.
void PrintField(std::string* out, const std::string& label, int indent, int width,
                const std::string& value);

// The text of a terminated field of the error record; a field without
// terminator is taken whole, never read beyond.
std::string ErrorKey(const RfcErrorInfo& info);
std::string ErrorMessage(const RfcErrorInfo& info);

// The report in its text form: "RFC error", the five fields (operation/code,
// key, status, message, internal status), an empty line,
// "* Programm aborted..." and "* Error at EoXput-File...".
std::string FormatRfcErrorReport(const std::string& operation, const RfcErrorInfo& info);

// The hint from the trace file's bytes: " - " and the last error text found,
// or " - Please Check Trace-File !" when none is found.
std::string TraceFileHint(LineReader& reader);

// The hint of Dev_Rfc.Trc in the working directory; a missing file gives
// " - Look for Trace-File".
std::string TraceFileHintText();

}  // namespace qm

#endif  // QUILLMARK_RFC_RFC_REPORT_H_
