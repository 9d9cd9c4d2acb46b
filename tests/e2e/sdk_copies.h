// Copies of the SDK's test double under the SDK's own file name, for the
// end-to-end cases of an SDK installed with and without its companions.
#ifndef QUILLMARK_TESTS_E2E_SDK_COPIES_H_
#define QUILLMARK_TESTS_E2E_SDK_COPIES_H_

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_harness.h"

namespace qm::e2e {

// Copies of the test double under the SDK's own file name, in a folder
// without its companions and in one with them, in the temporary folder
// (the case files cannot carry a library: its bytes might look like
// password markers). Made at the first case that runs through the double,
// removed at the end of the test program.
class SdkCopies {
 public:
  static SdkCopies& Instance() {
    static SdkCopies copies;
    return copies;
  }
  ~SdkCopies() {
    std::error_code ignored;
    fs::remove_all(top_, ignored);
  }

  // The SDK's file in the folder with or without its companions, as the
  // program names it: native, or for Quillmark.exe under Wine a Windows
  // path on Wine's drive Z: (with "/" or "\\").
  std::string Sdk(bool withCompanions, Build build, bool forwardSlashes = false) const {
    const char* name = build == Build::kWindows ? "sapnwrfc.dll" : "libsapnwrfc.so";
    std::string path = ((withCompanions ? with_ : without_) / name).string();
    if (build != Build::kWindows) return path;
    std::string windows = "Z:" + path;
    if (!forwardSlashes) std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
  }

  // Copies the double the runner names (QUILLMARK_E2E_RFCLIBRARY) into the
  // folders, once; false when that fails.
  bool Prepare() {
    if (prepared_) return ready_;
    prepared_ = true;
    const char* named = std::getenv("QUILLMARK_E2E_RFCLIBRARY");
    if (named == nullptr) return false;
    std::string source = named;
    bool windows = source.rfind("Z:", 0) == 0;
    if (windows) {
      source = source.substr(2);
      std::replace(source.begin(), source.end(), '\\', '/');
    }
    std::vector<std::string> files =
        windows ? std::vector<std::string>{"sapnwrfc.dll", "libsapucum.dll", "icuuc50.dll",
                                           "icuin50.dll", "icudt50.dll"}
                : std::vector<std::string>{"libsapnwrfc.so", "libsapucum.so", "libicuuc.so.50",
                                           "libicui18n.so.50", "libicudata.so.50"};
    std::error_code error;
    fs::create_directories(without_, error);
    if (!error) fs::create_directories(with_, error);
    if (!error) fs::copy_file(source, without_ / files[0], error);
    // Linux loads the companions first, so they are libraries too.
    for (const std::string& file : files) {
      if (!error) fs::copy_file(source, with_ / file, error);
    }
    ready_ = !error;
    return ready_;
  }

 private:
  SdkCopies()
      : top_(fs::temp_directory_path() / ("qm-e2e-sdk-" + std::to_string(::getpid()))),
        without_(top_ / "without"),
        with_(top_ / "with") {}

  fs::path top_, without_, with_;
  bool prepared_ = false, ready_ = false;
};

// True when the runner names an RFC library other than the stand-in.
inline bool RunsThroughDouble(const RunnerConfig& config) {
  std::string library = config.rfcLibrary;
  for (char& c : library) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return !library.empty() && library != "standin";
}

}  // namespace qm::e2e

#endif  // QUILLMARK_TESTS_E2E_SDK_COPIES_H_
