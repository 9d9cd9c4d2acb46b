// The platform module on Windows: paths are used as they are.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

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
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", local.wHour, local.wMinute, local.wSecond);
  return text;
}

void SetBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

bool ProgramFileLock::Lock(const std::string& windowsPath) {
  Unlock();
  HANDLE file = CreateFileA(windowsPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // One byte at offset 0 is the agreed range; it may lie beyond the end of
  // the (empty) file. Without LOCKFILE_FAIL_IMMEDIATELY the call waits.
  OVERLAPPED at = {};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
    CloseHandle(file);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

void ProgramFileLock::Unlock() {
  if (handle_ == -1) return;
  HANDLE file = reinterpret_cast<HANDLE>(handle_);
  OVERLAPPED at = {};
  UnlockFileEx(file, 0, 1, 0, &at);
  CloseHandle(file);
  handle_ = -1;
}

bool ReplaceProgramFile(const std::string& fromWindowsPath, const std::string& toWindowsPath) {
  return MoveFileExA(fromWindowsPath.c_str(), toWindowsPath.c_str(), MOVEFILE_REPLACE_EXISTING) !=
         0;
}

}  // namespace qm
