// Loading SAP's NetWeaver RFC SDK without its installation traps: the SDK
// needs libsapucum and three ICU libraries beside it, and when it cannot
// find ICU it shows a message box and waits (under the PRTG probe service
// until the run's time limit ends it). So before the SDK itself is loaded,
// its companions are looked for and put where the SDK finds them.
#ifndef QUILLMARK_RFC_NWRFC_LOADING_H_
#define QUILLMARK_RFC_NWRFC_LOADING_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace qm {

// The file name patterns ("*": any text) of the libraries the SDK needs,
// in the order they depend on each other: on Windows icudt*.dll,
// icuuc*.dll, icuin*.dll and libsapucum.dll; elsewhere libicudata*,
// libicuuc*, libicui18n* and libsapucum.so.
const std::vector<std::string>& SdkCompanionPatterns();

// The environment variable whose folders are searched for the companions:
// PATH on Windows, LD_LIBRARY_PATH elsewhere.
const char* CompanionSearchVariable();

// True when the file name of `path` is the SDK's own: sapnwrfc.dll on
// Windows (any letter case), libsapnwrfc.so elsewhere.
bool IsSdkFileName(std::string_view path);

// The folder part of a native path ("." for a bare file name).
std::string FolderOfPath(std::string_view path);

// Where one companion was found.
struct CompanionLocation {
  std::string pattern;     // as in SdkCompanionPatterns
  std::string file;        // the native path found; empty: found nowhere
  bool besideSdk = false;  // in the SDK's folder, not a search folder
};

// Each companion in the order of SdkCompanionPatterns: the first matching
// file in `sdkFolder`, else in the first of `searchFolders` that has one.
std::vector<CompanionLocation> LocateCompanions(const std::string& sdkFolder,
                                                const std::vector<std::string>& searchFolders);

// Where each companion lies: `sdkFolder` first, then `searchFolders`.
// Fills *inSdkFolder with the paths of those found in the SDK's folder (in
// the order of SdkCompanionPatterns) and returns the patterns of those
// found nowhere.
std::vector<std::string> MissingCompanions(const std::string& sdkFolder,
                                           const std::vector<std::string>& searchFolders,
                                           std::vector<std::string>* inSdkFolder);

// The SDK file that loading `path` takes: the path itself, or for a bare
// file name where the platform's search finds it (empty when nowhere).
std::string SdkFileOf(const std::string& path);

// Loads the SDK from `path` (native, or a bare file name). A file of the
// SDK's own name is first checked for its companions (in its folder or a
// folder of PATH / LD_LIBRARY_PATH; a bare name is located as the
// platform's search would find it): a missing one gives null with
// *reason naming every missing file, without loading anything. Then the
// SDK's folder comes first on the search path the SDK uses for ICU (on
// Linux: the companions of its folder are loaded first) and the SDK is
// loaded. Other file names (the test double, a renamed SDK) are loaded as
// they are. Null with *reason (without the file name) on failure.
SharedLibrary LoadNwRfcSdk(const std::string& path, std::string* reason);

}  // namespace qm

#endif  // QUILLMARK_RFC_NWRFC_LOADING_H_
