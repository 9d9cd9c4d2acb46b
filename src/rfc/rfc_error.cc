#include "rfc/rfc_error.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace qm {
namespace {

constexpr int kFieldWidth = 15;
// The trace file is read in pieces of at most this many characters.
constexpr std::size_t kTracePieceLimit = 99;

RfcErrorReporter* installedReporter = nullptr;

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

std::string FormatRfcErrorDocument(const std::string& operation, const RfcErrorInfo& info) {
  return "RFC error: " + operation + ", " + FieldText(info.key) + ": " + FieldText(info.message);
}

std::string CloseDocumentWithError(const std::string& text) {
  return "<Error>1</Error>\n<Text>" + EscapeXml(text) + "</Text>\n</Prtg>\n";
}

void InstallRfcErrorReporter(RfcErrorReporter* reporter) { installedReporter = reporter; }

void ReportRfcError(const char* operation) {
  std::string operationText = operation == nullptr ? std::string() : std::string(operation);
  const RfcLibrary* library = installedReporter ? installedReporter->library : nullptr;
  RfcErrorInfo info;
  std::memset(&info, 0, sizeof info);
  if (library != nullptr && library->RfcLastError != nullptr) library->RfcLastError(&info);

  // The report ends the process: if the time limit or the normal end took
  // standard output first, this waits until that one has ended it.
  StdoutConsole fallback;
  Console* console = installedReporter != nullptr && installedReporter->console != nullptr
                         ? installedReporter->console
                         : &fallback;
  console->TakeForEnd();

  // PRTG reads all of standard output as one XML document, so there the
  // report goes out as an error document unless a person asked for banners.
  std::string text;
  if (installedReporter != nullptr && installedReporter->outputMode == OutputMode::kExeXml &&
      !installedReporter->showBanner) {
    std::string message = FormatRfcErrorDocument(operationText, info);
    if (installedReporter->documentOpened != nullptr && *installedReporter->documentOpened) {
      text = CloseDocumentWithError(message);
    } else {
      SensorOutput document;
      WriteErrorDocument(document, message);
      text = document.text;
    }
  } else {
    text = FormatRfcErrorReport(operationText, info);
  }
  console->Write(text);
  if (library != nullptr && library->RfcClose != nullptr) library->RfcClose(0);
  FlushAndExit(1);
}

extern "C" void RfcErrorHandlerEntry(char* operation) { ReportRfcError(operation); }

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

void AppendTraceFileHint(SensorOutput& out) {
  std::FILE* trace = OpenForReading(kTraceFile);
  if (trace == nullptr) {
    out.text += " - Look for Trace-File";
    return;
  }
  LineReader reader(trace);
  out.text += TraceFileHint(reader);
  std::fclose(trace);
}

}  // namespace qm
