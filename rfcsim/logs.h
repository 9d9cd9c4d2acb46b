// The two files the stand-in writes: the trace file Dev_Rfc.Trc, which the
// program reads after a failure, and the call log, a line per library call
// for tests (only when RFCSIM_LOG names a file).
#ifndef RFCSIM_LOGS_H_
#define RFCSIM_LOGS_H_

#include <string>
#include <string_view>

namespace rfcsim {

// The trace file, in the working directory.
inline constexpr const char* kTraceFileName = "Dev_Rfc.Trc";

// The trace block for one error, as appended to the trace file:
// "**** ERROR file opened at YYYYMMDD HHMMSS\n" (the given local time) and
// "ERROR" + seven blanks + text + "\n". Line ends in the text become blanks.
std::string FormatTraceBlock(std::string_view text, const std::string& stamp);

// The local time now as "YYYYMMDD HHMMSS".
std::string TraceStamp();

// Appends a trace block with `text` to the trace file.
void AppendTrace(std::string_view text);

// Builds one call-log line: the operation name, then " name=value" fields.
class CallLine {
 public:
  explicit CallLine(const char* operation) : line_(operation) {}
  // A text field, written [text] with "]" as \x5D and LF as \x0A; null as null.
  CallLine& Text(const char* name, const char* value);
  CallLine& Number(const char* name, long long value);
  CallLine& Word(const char* name, const char* value);  // written as it is
  const std::string& str() const { return line_; }

 private:
  std::string line_;
};

// True when RFCSIM_LOG names a file that could be opened for appending;
// callers build a CallLine only then, so row-by-row calls stay cheap.
bool CallLogEnabled();

// Appends the line and a LF to the call log, when it is enabled.
void WriteCallLog(const CallLine& line);

// Forgets the open call log, so that RFCSIM_LOG is read again (tests).
void ResetCallLog();

}  // namespace rfcsim

#endif  // RFCSIM_LOGS_H_
