#include "rfc/rfc_report.h"

#include <cstdio>
#include <cstring>

#include "platform/file_names.h"
#include "platform/platform.h"

namespace qm {
namespace {

constexpr int kFieldWidth = 15;
// The trace file is read in pieces of at most this many characters.
constexpr std::size_t kTracePieceLimit = 99;

// A terminated text of a fixed-size field; a field without terminator is
// taken whole, never read beyond.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  const void* end = std::memchr(field, '\0', N);
  std::size_t length = end == nullptr ? N : static_cast<const char*>(end) - field;
  return std::string(field, length);
}

bool StartsWith(const std::string& text, std::size_t at, const char* prefix) {
  std::size_t length = std::strlen(prefix);
  return text.size() >= at + length && text.compare(at, length, prefix) == 0;
}

}  // namespace

void PrintField(std::string* out, const std::string& label, int indent, int width,
                const std::string& value) {
  if (indent > 0) out->append(static_cast<std::size_t>(indent), ' ');
  out->append(label);
  if (width > 0 && label.size() < static_cast<std::size_t>(width)) {
    out->append(static_cast<std::size_t>(width) - label.size(), ' ');
  }
  out->append(" : ");
  out->append(value);
  out->push_back('\n');
}

std::string ErrorKey(const RfcErrorInfo& info) { return FieldText(info.key); }
std::string ErrorMessage(const RfcErrorInfo& info) { return FieldText(info.message); }

std::string FormatRfcErrorReport(const std::string& operation, const RfcErrorInfo& info) {
  std::string report = "RFC error\n";
  PrintField(&report, "operation/code", 0, kFieldWidth, operation);
  PrintField(&report, "key", 0, kFieldWidth, FieldText(info.key));
  PrintField(&report, "status", 0, kFieldWidth, FieldText(info.status));
  PrintField(&report, "message", 0, kFieldWidth, FieldText(info.message));
  PrintField(&report, "internal status", 0, kFieldWidth, FieldText(info.internalStatus));
  report += "\n";
  report += "* Programm aborted...\n";
  // The run's end-of-output file has no name in this program, so creating
  // it always fails and the report says so.
  report += "* Error at EoXput-File...\n";
  return report;
}

std::string TraceFileHint(LineReader& reader) {
  std::string found;
  std::string piece;
  while (reader.ReadLine(kTracePieceLimit, &piece)) {
    if (StartsWith(piece, 0, "**** ERROR ")) found.clear();
    if (StartsWith(piece, 0, "ERROR ")) found = piece.size() > 12 ? piece.substr(12) : "";
    if (StartsWith(piece, 7, "======> ")) found = piece.substr(15);
  }
  if (found.empty()) return " - Please Check Trace-File !";
  return " - " + found;
}

std::string TraceFileHintText() {
  std::FILE* trace = OpenForReading(kTraceFile);
  if (trace == nullptr) return " - Look for Trace-File";
  LineReader reader(trace);
  std::string hint = TraceFileHint(reader);
  std::fclose(trace);
  return hint;
}

}  // namespace qm
