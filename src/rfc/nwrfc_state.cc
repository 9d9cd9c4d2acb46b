#include "rfc/nwrfc_state.h"

#include <cstdio>
#include <mutex>

#include "platform/file_names.h"
#include "platform/platform.h"
#include "rfc/nwrfc_texts.h"

namespace qm::nwrfc {

AdapterState& State() {
  static AdapterState state;
  return state;
}

namespace {

// Per thread and without destructors, so no thread's end has work to do.
thread_local RfcErrorInfo lastError{};
thread_local char exceptionText[129] = {};

}  // namespace

RfcErrorInfo& LastError() { return lastError; }

char* ExceptionText() { return exceptionText; }

void SetExceptionText(std::string_view key) { CopyCut(exceptionText, sizeof exceptionText, key); }

SdkError ErrorOf(const RFC_ERROR_INFO& info) {
  return SdkError{info.code, Utf16ToLatin1(FieldText(info.key)),
                  Utf16ToLatin1(FieldText(info.message))};
}

void SetLastError(std::string_view key, std::string_view message) {
  RfcErrorInfo& info = LastError();
  info = RfcErrorInfo{};
  CopyCut(info.key, sizeof info.key, key);
  CopyCut(info.status, sizeof info.status, "FAILURE");
  CopyCut(info.message, sizeof info.message, message);
}

void AppendTrace(std::string_view text) {
  std::string block = "**** ERROR file opened at " + LocalDateTimeStamp() + "\nERROR       ";
  for (char c : text) block.push_back(c == '\n' || c == '\r' ? ' ' : c);
  block.push_back('\n');
  // Workers of a global run fail at the same time; one entry at a time keeps
  // each block whole in the file.
  static std::mutex traceMutex;
  std::lock_guard<std::mutex> lock(traceMutex);
  std::FILE* trace = std::fopen(MapPath(kTraceFile).c_str(), "ab");
  if (trace == nullptr) return;
  std::fwrite(block.data(), 1, block.size(), trace);
  std::fclose(trace);
}

std::string_view RecordName(const char* name, unsigned nameLength) {
  std::size_t length = 0;
  while (length < nameLength && name[length] != '\0') ++length;
  return std::string_view(name, length);
}

std::string_view TextOrEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace qm::nwrfc
