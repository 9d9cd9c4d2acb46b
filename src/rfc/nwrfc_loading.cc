#include "rfc/nwrfc_loading.h"

#include "platform/text.h"

namespace qm {
namespace {

#ifdef _WIN32
constexpr const char kSdkFileName[] = "sapnwrfc.dll";
constexpr const char kSearchVariable[] = "PATH";
#else
constexpr const char kSdkFileName[] = "libsapnwrfc.so";
constexpr const char kSearchVariable[] = "LD_LIBRARY_PATH";
#endif

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

std::size_t FileNameStart(std::string_view path) {
  std::size_t at = path.size();
  while (at > 0 && !IsSeparator(path[at - 1])) --at;
  return at;
}

bool SameFileName(std::string_view a, std::string_view b) {
#ifdef _WIN32
  return EqualsIgnoringCase(a, b);
#else
  return a == b;
#endif
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
  return joined;
}

}  // namespace

const std::vector<std::string>& SdkCompanionPatterns() {
#ifdef _WIN32
  static const std::vector<std::string> patterns = {"icudt*.dll", "icuuc*.dll", "icuin*.dll",
                                                    "libsapucum.dll"};
#else
  static const std::vector<std::string> patterns = {"libicudata*", "libicuuc*", "libicui18n*",
                                                    "libsapucum.so"};
#endif
  return patterns;
}

bool IsSdkFileName(std::string_view path) {
  return SameFileName(path.substr(FileNameStart(path)), kSdkFileName);
}

std::string FolderOfPath(std::string_view path) {
  std::size_t start = FileNameStart(path);
  if (start == 0) return ".";
  return std::string(path.substr(0, start));
}

std::vector<std::string> MissingCompanions(const std::string& sdkFolder,
                                           const std::vector<std::string>& searchFolders,
                                           std::vector<std::string>* inSdkFolder) {
  std::vector<std::string> missing;
  for (const std::string& pattern : SdkCompanionPatterns()) {
    std::string beside = FindFileByPattern(sdkFolder, pattern);
    if (!beside.empty()) {
      inSdkFolder->push_back(beside);
      continue;
    }
    bool found = false;
    for (const std::string& folder : searchFolders) {
      if (!FindFileByPattern(folder, pattern).empty()) {
        found = true;
        break;
      }
    }
    if (!found) missing.push_back(pattern);
  }
  return missing;
}

SharedLibrary LoadNwRfcSdk(const std::string& path, std::string* reason) {
  if (!IsSdkFileName(path)) return LoadSharedLibrary(path, reason);
  std::string file = path;
  if (FileNameStart(path) == 0) {
    // A bare name: where the platform's search would find it. Found
    // nowhere so, the search itself reports it.
    file = LocateLibrary(path);
    if (file.empty()) return LoadSharedLibrary(path, reason);
  }
  std::string folder = FolderOfPath(file);
  std::vector<std::string> inSdkFolder;
  std::vector<std::string> missing =
      MissingCompanions(folder, LibrarySearchFolders(), &inSdkFolder);
  if (!missing.empty()) {
    if (reason != nullptr) {
      *reason = JoinNames(missing) + " not found beside it or in " + kSearchVariable;
    }
    return nullptr;
  }
  if (!PrepareLibraryCompanions(folder, inSdkFolder, reason)) return nullptr;
  return LoadSharedLibrary(file, reason);
}

}  // namespace qm
