// The platform module on Windows: paths are used as they are.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/platform.h"

namespace qm {

std::string MapPath(const std::string& windowsPath) { return windowsPath; }

std::FILE* OpenForReading(const std::string& windowsPath) {
  DWORD attributes = GetFileAttributesA(windowsPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return nullptr;
  }
  return std::fopen(windowsPath.c_str(), "rb");
}

std::FILE* OpenForWriting(const std::string& windowsPath) {
  return std::fopen(windowsPath.c_str(), "wb");
}

void DeleteProgramFile(const std::string& windowsPath) { DeleteFileA(windowsPath.c_str()); }

std::string LocalTimeOfDay() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", local.wHour, local.wMinute,
                local.wSecond);
  return text;
}

void SetBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

}  // namespace qm
