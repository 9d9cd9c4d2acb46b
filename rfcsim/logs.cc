#include "logs.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace rfcsim {

namespace {

// The call log, opened on first use; stays open (and is flushed after each
// line, so a process that ends inside a call loses nothing).
struct CallLog {
  bool checked = false;
  std::FILE* file = nullptr;
};

CallLog& TheCallLog() {
  static CallLog log;
  return log;
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
  const std::tm* local = std::localtime(&now);
  char stamp[32] = "19700101 000000";
  if (local != nullptr) std::strftime(stamp, sizeof stamp, "%Y%m%d %H%M%S", local);
  return stamp;
}

void AppendTrace(std::string_view text) {
  std::string block = FormatTraceBlock(text, TraceStamp());
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

bool CallLogEnabled() {
  CallLog& log = TheCallLog();
  if (!log.checked) {
    log.checked = true;
    const char* path = std::getenv("RFCSIM_LOG");
    if (path != nullptr && *path != '\0') log.file = std::fopen(path, "ab");
  }
  return log.file != nullptr;
}

void WriteCallLog(const CallLine& line) {
  if (!CallLogEnabled()) return;
  CallLog& log = TheCallLog();
  std::string text = line.str() + '\n';
  std::fwrite(text.data(), 1, text.size(), log.file);
  std::fflush(log.file);
}

void ResetCallLog() {
  CallLog& log = TheCallLog();
  if (log.file != nullptr) std::fclose(log.file);
  log = CallLog();
}

}  // namespace rfcsim
