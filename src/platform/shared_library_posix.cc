// Run-time loading of shared libraries on POSIX systems (dlopen / dlsym),
// and the library search path of LD_LIBRARY_PATH.
#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/platform.h"

namespace qm {
namespace {

// One "*" in `pattern` stands for any text.
bool MatchesPattern(const std::string& name, const std::string& pattern) {
  std::size_t star = pattern.find('*');
  if (star == std::string::npos) return name == pattern;
  std::string head = pattern.substr(0, star), tail = pattern.substr(star + 1);
  return name.size() >= head.size() + tail.size() && name.compare(0, head.size(), head) == 0 &&
         name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsRegularFile(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

SharedLibrary LoadSharedLibrary(const std::string& nativePath, std::string* reason) {
  // Bind every symbol now, so a library with missing dependencies fails
  // here and not in the middle of a call.
  void* library = dlopen(nativePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library != nullptr) return library;
  const char* text = dlerror();
  std::string message = text != nullptr ? text : "cannot be loaded";
  // dlerror names the file first; the caller names it itself.
  std::string prefix = nativePath + ": ";
  if (message.compare(0, prefix.size(), prefix) == 0) message.erase(0, prefix.size());
  if (reason != nullptr) *reason = message;
  return nullptr;
}

LibraryFunction FindSymbol(SharedLibrary library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<LibraryFunction>(dlsym(library, name));
}

std::vector<std::string> LibrarySearchFolders() {
  std::vector<std::string> folders;
  std::string path = GetEnvironment("LD_LIBRARY_PATH");
  if (path.empty()) return folders;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = path.find(':', start);
    std::string folder = path.substr(start, end == std::string::npos ? end : end - start);
    folders.push_back(folder.empty() ? "." : folder);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return folders;
}

std::string FindFileByPattern(const std::string& folder, const std::string& pattern) {
  DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
  if (directory == nullptr) return std::string();
  std::vector<std::string> names;
  while (const dirent* entry = readdir(directory)) {
    std::string name = entry->d_name;
    if (MatchesPattern(name, pattern) && IsRegularFile(InFolder(folder, name))) {
      names.push_back(name);
    }
  }
  closedir(directory);
  if (names.empty()) return std::string();
  return InFolder(folder, *std::min_element(names.begin(), names.end()));
}

std::string LocateLibrary(const std::string& fileName) {
  for (const std::string& folder : LibrarySearchFolders()) {
    std::string path = InFolder(folder, fileName);
    if (IsRegularFile(path)) return path;
  }
  return std::string();
}

bool PrepareLibraryCompanions(const std::string& folder, const std::vector<std::string>& companions,
                              std::string* reason) {
  (void)folder;
  // Loaded by their paths, they are there when the library asks for them
  // by name: the loader matches names it has already loaded.
  for (const std::string& companion : companions) {
    std::string why;
    if (LoadSharedLibrary(companion, &why) == nullptr) {
      if (reason != nullptr) *reason = companion + ": " + why;
      return false;
    }
  }
  return true;
}

}  // namespace qm
