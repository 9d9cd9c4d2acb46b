// Run-time loading of shared libraries on Windows (LoadLibrary /
// GetProcAddress), and the DLL search path.
#include <windows.h>

#include <algorithm>

#include "platform/platform.h"

namespace qm {
namespace {

// A path with a drive ("C:\...") or a server ("\\server\..."), backslashes
// only.
bool IsFullPath(const std::string& path) {
  bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
  bool server = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
  return drive || server;
}

// LoadLibraryEx wants backslashes: with "/" the altered search path is not
// applied.
std::string WithBackslashes(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// The full path of a path with a folder part (sdk\x.dll, C:x.dll), so the
// library's own folder counts and not the search path; a bare file name
// stays as it is, for the search.
std::string FullPath(const std::string& path) {
  if (path.find('\\') == std::string::npos && path.find(':') == std::string::npos) return path;
  char buffer[MAX_PATH * 4];
  DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return path;
  return std::string(buffer, length);
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  char last = folder.back();
  return last == '\\' || last == '/' || last == ':' ? folder + name : folder + "\\" + name;
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
  // No message box of the process, now or later, when a library or one of
  // its dependencies is missing or a load fails: nobody would click it
  // away under the PRTG probe service, and the run would wait.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  std::string path = FullPath(WithBackslashes(nativePath));
  // A library named by its path finds the libraries it needs in its own
  // folder first (the SDK's DLLs lie side by side).
  DWORD flags = IsFullPath(path) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
  HMODULE library = LoadLibraryExA(path.c_str(), nullptr, flags);
  DWORD error = GetLastError();
  if (library != nullptr) return reinterpret_cast<SharedLibrary>(library);
  if (reason != nullptr) *reason = SystemErrorText(error);
  return nullptr;
}

LibraryFunction FindSymbol(SharedLibrary library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  FARPROC function = GetProcAddress(reinterpret_cast<HMODULE>(library), name);
  return reinterpret_cast<LibraryFunction>(function);
}

std::vector<std::string> LibrarySearchFolders() {
  std::vector<std::string> folders;
  std::string path = GetEnvironment("PATH");
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(';', start);
    if (end == std::string::npos) end = path.size();
    std::string folder = path.substr(start, end - start);
    // A folder may be written in quotes.
    if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"') {
      folder = folder.substr(1, folder.size() - 2);
    }
    if (!folder.empty()) folders.push_back(folder);
    start = end + 1;
  }
  return folders;
}

std::string FindFileByPattern(const std::string& folder, const std::string& pattern) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(InFolder(folder, pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::string();
  std::vector<std::string> names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  if (names.empty()) return std::string();
  return InFolder(folder, *std::min_element(names.begin(), names.end()));
}

std::string LocateLibrary(const std::string& fileName) {
  char buffer[MAX_PATH * 4];
  DWORD length = SearchPathA(nullptr, fileName.c_str(), nullptr, sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return std::string();
  return std::string(buffer, length);
}

bool PrepareLibraryCompanions(const std::string& folder, const std::vector<std::string>& companions,
                              std::string* reason) {
  (void)companions;
  (void)reason;
  // The SDK loads ICU by file name when it starts: its folder must come
  // before any other copy of those DLLs.
  std::string native = FullPath(WithBackslashes(folder));
  SetDllDirectoryA(native.c_str());
  std::string path = GetEnvironment("PATH");
  SetEnvironmentVariableA("PATH", path.empty() ? native.c_str() : (native + ";" + path).c_str());
  return true;
}

}  // namespace qm
