#include "logs.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace rfcsim {

namespace {

// The call log, opened on first use; stays open (and is flushed after each
// line, so a process that ends inside a call loses nothing). The file is
// only written under the lock, one whole line at a time, so the lines of
// several threads never mix and stand in the order they were written.
struct CallLog {
  std::mutex mutex;
  std::FILE* file = nullptr;
};

// Never destroyed, so a thread still logging while the process ends finds
// it intact.
CallLog& TheCallLog() {
  static CallLog& log = *new CallLog;
  return log;
}

// Serialises the appends of the threads of this process: on some systems an
// append is a seek to the end and a write, and two of them could overlap.
std::mutex& TraceMutex() {
  static std::mutex& mutex = *new std::mutex;
  return mutex;
}

}  // namespace

std::string FormatTraceBlock(std::string_view text, const std::string& stamp) {
  std::string block = "**** ERROR file opened at " + stamp + "\nERROR       ";
  for (char c : text) block.push_back(c == '\n' || c == '\r' ? ' ' : c);
  block.push_back('\n');
  return block;
}

std::string TraceStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  char stamp[32] = "19700101 000000";
  if (LocalTime(now, &local)) std::strftime(stamp, sizeof stamp, "%Y%m%d %H%M%S", &local);
  return stamp;
}

void AppendTrace(std::string_view text) {
  std::string block = FormatTraceBlock(text, TraceStamp());
  std::lock_guard<std::mutex> lock(TraceMutex());
  std::FILE* file = std::fopen(kTraceFileName, "ab");
  if (file == nullptr) return;
  std::fwrite(block.data(), 1, block.size(), file);
  std::fclose(file);
}

CallLine& CallLine::Text(const char* name, const char* value) {
  line_ += ' ';
  line_ += name;
  line_ += '=';
  if (value == nullptr) {
    line_ += "null";
    return *this;
  }
  line_ += '[';
  for (const char* p = value; *p != '\0'; ++p) {
    if (*p == ']') {
      line_ += "\\x5D";
    } else if (*p == '\n') {
      line_ += "\\x0A";
    } else {
      line_ += *p;
    }
  }
  line_ += ']';
  return *this;
}

CallLine& CallLine::Number(const char* name, long long value) {
  line_ += ' ';
  line_ += name;
  line_ += '=';
  line_ += std::to_string(value);
  return *this;
}

CallLine& CallLine::Word(const char* name, const char* value) {
  line_ += ' ';
  line_ += name;
  line_ += '=';
  line_ += value;
  return *this;
}

std::atomic<int> callLogState{kCallLogUnchecked};

bool CheckCallLog() {
  CallLog& log = TheCallLog();
  std::lock_guard<std::mutex> lock(log.mutex);
  if (callLogState.load(std::memory_order_relaxed) == kCallLogUnchecked) {
    const char* path = std::getenv("RFCSIM_LOG");
    if (path != nullptr && *path != '\0') log.file = std::fopen(path, "ab");
    callLogState.store(log.file != nullptr ? kCallLogEnabled : kCallLogDisabled,
                       std::memory_order_release);
  }
  return log.file != nullptr;
}

void WriteCallLog(const CallLine& line) {
  if (!CallLogEnabled()) return;
  CallLog& log = TheCallLog();
  std::string text = line.str() + '\n';
  std::lock_guard<std::mutex> lock(log.mutex);
  if (log.file == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), log.file);
  std::fflush(log.file);
}

void ResetCallLog() {
  CallLog& log = TheCallLog();
  std::lock_guard<std::mutex> lock(log.mutex);
  if (log.file != nullptr) std::fclose(log.file);
  log.file = nullptr;
  callLogState.store(kCallLogUnchecked);
}

}  // namespace rfcsim
