// The platform module on Windows: paths are used as they are.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "platform/platform.h"

namespace qm {

std::string MapPath(const std::string& windowsPath) { return windowsPath; }

std::FILE* OpenForReading(const std::string& windowsPath) {
  // A directory cannot be opened as a file; a device or pipe is refused
  // right after the open, before anything is read from it.
  DWORD attributes = GetFileAttributesA(windowsPath.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return nullptr;
  }
  std::FILE* f = std::fopen(windowsPath.c_str(), "rb");
  if (f == nullptr) return nullptr;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

std::FILE* OpenForWriting(const std::string& windowsPath) {
  // Shared for deletion, so that the ending of the process can remove a
  // temporary file that another thread is still writing.
  HANDLE file = CreateFileA(windowsPath.c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_WRONLY | _O_BINARY);
  if (fd == -1) {
    CloseHandle(file);
    return nullptr;
  }
  std::FILE* f = _fdopen(fd, "wb");
  if (f == nullptr) _close(fd);
  return f;
}

void DeleteProgramFile(const std::string& windowsPath) { DeleteFileA(windowsPath.c_str()); }

std::string LocalTimeOfDay() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", local.wHour, local.wMinute, local.wSecond);
  return text;
}

std::string LocalDateTimeStamp() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  char text[32];
  std::snprintf(text, sizeof text, "%04u%02u%02u %02u%02u%02u", local.wYear, local.wMonth,
                local.wDay, local.wHour, local.wMinute, local.wSecond);
  return text;
}

void SetBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

std::string ExecutableDirectory() {
  char path[MAX_PATH * 4];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  std::string text(path, length);
  std::size_t slash = text.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : text.substr(0, slash + 1);
}

namespace {

struct ThreadStart {
  void (*body)(void*);
  void* context;
};

DWORD WINAPI RunThread(LPVOID start) {
  ThreadStart what = *static_cast<ThreadStart*>(start);
  delete static_cast<ThreadStart*>(start);
  what.body(what.context);
  return 0;
}

}  // namespace

bool StartDetachedThread(void (*body)(void* context), void* context, std::size_t stackBytes) {
  auto* start = new ThreadStart{body, context};
  HANDLE thread = CreateThread(nullptr, stackBytes, RunThread, start,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) {
    delete start;
    return false;
  }
  CloseHandle(thread);
  return true;
}

bool ProgramFileLock::LockOsFile(const std::string& windowsPath) {
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

void ProgramFileLock::UnlockOsFile() {
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
