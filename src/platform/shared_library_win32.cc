// Run-time loading of shared libraries on Windows (LoadLibrary /
// GetProcAddress).
#include <windows.h>

#include "platform/platform.h"

namespace qm {
namespace {

// A path with a drive ("C:\...") or a server ("\\server\...").
bool IsFullPath(const std::string& path) {
  bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  bool server = path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
                (path[1] == '\\' || path[1] == '/');
  return drive || server;
}

// The system's text for an error code, without the line end it carries.
std::string SystemErrorText(DWORD code) {
  char buffer[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  if (text.empty()) text = "error " + std::to_string(code);
  return text;
}

}  // namespace

SharedLibrary LoadSharedLibrary(const std::string& nativePath, std::string* reason) {
  // A library named by its full path finds the libraries it needs in its
  // own folder first (the SDK's DLLs lie side by side).
  DWORD flags = IsFullPath(nativePath) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
  // No message box when a library or one of its dependencies is missing.
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE library = LoadLibraryExA(nativePath.c_str(), nullptr, flags);
  DWORD error = GetLastError();
  SetErrorMode(oldMode);
  if (library != nullptr) return reinterpret_cast<SharedLibrary>(library);
  if (reason != nullptr) *reason = SystemErrorText(error);
  return nullptr;
}

LibraryFunction FindSymbol(SharedLibrary library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  FARPROC function = GetProcAddress(reinterpret_cast<HMODULE>(library), name);
  return reinterpret_cast<LibraryFunction>(function);
}

}  // namespace qm
