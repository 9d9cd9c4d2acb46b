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

const char* CompanionSearchVariable() { return kSearchVariable; }

bool IsSdkFileName(std::string_view path) {
  return SameFileName(path.substr(FileNameStart(path)), kSdkFileName);
}

std::string FolderOfPath(std::string_view path) {
  std::size_t start = FileNameStart(path);
  if (start == 0) return ".";
  return std::string(path.substr(0, start));
}

std::vector<CompanionLocation> LocateCompanions(const std::string& sdkFolder,
                                                const std::vector<std::string>& searchFolders) {
  std::vector<CompanionLocation> locations;
  for (const std::string& pattern : SdkCompanionPatterns()) {
    CompanionLocation location{pattern, FindFileByPattern(sdkFolder, pattern), true};
    for (std::size_t i = 0; location.file.empty() && i < searchFolders.size(); ++i) {
      location.file = FindFileByPattern(searchFolders[i], pattern);
      location.besideSdk = false;
    }
    locations.push_back(std::move(location));
  }
  return locations;
}

std::vector<std::string> MissingCompanions(const std::string& sdkFolder,
                                           const std::vector<std::string>& searchFolders,
                                           std::vector<std::string>* inSdkFolder) {
  std::vector<std::string> missing;
  for (const CompanionLocation& location : LocateCompanions(sdkFolder, searchFolders)) {
    if (location.file.empty()) {
      missing.push_back(location.pattern);
    } else if (location.besideSdk) {
      inSdkFolder->push_back(location.file);
    }
  }
  return missing;
}

std::string SdkFileOf(const std::string& path) {
  return FileNameStart(path) == 0 ? LocateLibrary(path) : path;
}

SharedLibrary LoadNwRfcSdk(const std::string& path, std::string* reason) {
  if (!IsSdkFileName(path)) return LoadSharedLibrary(path, reason);
  // A bare name: where the platform's search would find it. Found nowhere
  // so, the search itself reports it.
  std::string file = SdkFileOf(path);
  if (file.empty()) return LoadSharedLibrary(path, reason);
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
