// The two files the stand-in writes: the trace file Dev_Rfc.Trc, which the
// program reads after a failure, and the call log, a line per library call
// for tests (only when RFCSIM_LOG names a file).
#ifndef RFCSIM_LOGS_H_
#define RFCSIM_LOGS_H_

#include <atomic>
#include <ctime>
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

// Fills *local with the local time of `time`, safe to call from several
// threads at once (clock_posix.cc, clock_win32.cc); false when it cannot.
bool LocalTime(std::time_t time, std::tm* local);

// Appends a trace block with `text` to the trace file: one block at a time
// per process, so blocks of several threads never mix.
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

// Whether the call log is open: not looked at yet, no, yes. Read without a
// lock by every call; set under the log's lock.
enum CallLogState { kCallLogUnchecked, kCallLogDisabled, kCallLogEnabled };
extern std::atomic<int> callLogState;

// Opens the call log when RFCSIM_LOG names a file, once (under the log's
// lock); true when it is open.
bool CheckCallLog();

// True when RFCSIM_LOG names a file that could be opened for appending;
// callers build a CallLine only then, so row-by-row calls stay cheap. The
// first call opens the log; later ones are one load, without a lock.
inline bool CallLogEnabled() {
  int state = callLogState.load(std::memory_order_acquire);
  if (state != kCallLogUnchecked) return state == kCallLogEnabled;
  return CheckCallLog();
}

// Appends the line and a LF to the call log, when it is enabled, as one
// write under the log's lock, flushed at once.
void WriteCallLog(const CallLine& line);

// Forgets the open call log, so that RFCSIM_LOG is read again (tests).
void ResetCallLog();

}  // namespace rfcsim

#endif  // RFCSIM_LOGS_H_
