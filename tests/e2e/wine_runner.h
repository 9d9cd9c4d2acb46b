// The pieces of the Wine runner (wine_runner.cc) that its tests check on
// their own: where root files lie in a Wine prefix, how the program sees a
// folder, and the code page of its arguments.
#ifndef QUILLMARK_TESTS_E2E_WINE_RUNNER_H_
#define QUILLMARK_TESTS_E2E_WINE_RUNNER_H_

#include <filesystem>
#include <string>

namespace qm::e2e {

// Root-relative paths on the prefix's drives: "C/x" is drive_c/x, "D/x" is
// drive_d/x with dosdevices/d: linked to it, "UNC/server/share" is the
// prefix's dosdevices/unc/server/share, where Wine looks for UNC paths.
std::filesystem::path MapToDrive(const std::filesystem::path& prefix,
                                 const std::string& rootRelative);

// Removes the drive letters and drive folders a case mapped; C: and Wine's
// own Z: (the whole file system) stay.
void RemoveMappedDrives(const std::filesystem::path& prefix);

// "C:\x\y" for a native path below drive_c, else its place on Z:.
std::string WindowsPath(const std::filesystem::path& prefix, const std::filesystem::path& native);

// The case's bytes, meant in the program's code page 1252, as the UTF-8 that
// Wine expects on its command line and in its environment.
std::string Cp1252ToUtf8(const std::string& bytes);

}  // namespace qm::e2e

#endif  // QUILLMARK_TESTS_E2E_WINE_RUNNER_H_
