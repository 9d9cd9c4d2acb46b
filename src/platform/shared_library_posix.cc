// Run-time loading of shared libraries on POSIX systems (dlopen / dlsym).
#include <dlfcn.h>

#include "platform/platform.h"

namespace qm {

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

}  // namespace qm
