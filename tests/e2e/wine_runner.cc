// The Windows build under Wine: the runner that puts Quillmark.exe in place
// of the native program for every case table, and the choice of the build
// under test at run time (QUILLMARK_E2E_TARGET=wine).
#include "wine_runner.h"

#include <gtest/gtest.h>
#include <stdlib.h>  // mkdtemp

#include <cctype>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include "e2e_harness.h"

namespace qm::e2e {

namespace {

using Environment = std::vector<std::pair<std::string, std::string>>;

bool WineIsTarget() {
  const char* target = std::getenv("QUILLMARK_E2E_TARGET");
  return target != nullptr && std::string(target) == "wine";
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// A Wine prefix for the whole test program, with its own wineserver kept
// running between the cases (a start costs seconds otherwise). A prefix it
// made itself is removed at the end.
class WinePrefix {
 public:
  static WinePrefix& Instance() {
    static WinePrefix prefix;
    return prefix;
  }
  WinePrefix(const WinePrefix&) = delete;
  WinePrefix& operator=(const WinePrefix&) = delete;

  const fs::path& path() const { return path_; }
  const std::string& error() const { return error_; }
  Environment environment() const {
    return {{"WINEPREFIX", path_.string()},
            {"WINEDEBUG", "-all"},
            // No prompts for Mono and Gecko, no menu entries.
            {"WINEDLLOVERRIDES", "mscoree,mshtml,winemenubuilder.exe=d"}};
  }

 private:
  WinePrefix() {
    path_ = EnvironmentValue("QUILLMARK_E2E_WINEPREFIX");
    if (path_.empty()) {
      std::string pattern = (fs::temp_directory_path() / "qm-wine-XXXXXX").string();
      if (mkdtemp(pattern.data()) == nullptr) {
        error_ = "cannot create a folder for the Wine prefix";
        return;
      }
      path_ = pattern;
      owned_ = true;
    }
    Start();
  }

  ~WinePrefix() {
    if (serverStarted_) Wine({"wineserver", "-k"}, std::chrono::seconds(30));
    std::error_code ignored;
    if (owned_ && std::getenv("QUILLMARK_E2E_KEEP") == nullptr) fs::remove_all(path_, ignored);
  }

  ProcessResult Wine(const std::vector<std::string>& argv, std::chrono::milliseconds limit) {
    return RunProcess(argv, path_, ControlledEnvironment(environment()), limit);
  }

  // A persistent wineserver first, so that wineboot and every case use it;
  // then the prefix is made (or brought up to date), the first time ~10 s.
  void Start() {
    ProcessResult server = Wine({"wineserver", "-p"}, std::chrono::seconds(30));
    serverStarted_ = server.exitCode == 0;
    ProcessResult boot = Wine({"wineboot", "--init"}, std::chrono::minutes(3));
    if (boot.timedOut || boot.exitCode != 0 || !fs::is_directory(path_ / "drive_c")) {
      error_ = "wineboot failed in " + path_.string() + " (exit " + std::to_string(boot.exitCode) +
               "): " + boot.err;
    }
  }

  fs::path path_;
  bool owned_ = false;
  bool serverStarted_ = false;
  std::string error_;
};

fs::path ExecutableFrom(const char* variable) {
  std::string value = EnvironmentValue(variable);
  if (value.empty()) {
    ADD_FAILURE() << variable << " must name the Windows executable for QUILLMARK_E2E_TARGET=wine";
    return {};
  }
  return fs::absolute(value);
}

}  // namespace

// Root-relative paths on the prefix's drives: "C/x" is drive_c/x, "D/x" is
// drive_d/x with dosdevices/d: linked to it, "UNC/server/share" is the
// prefix's dosdevices/unc/server/share, where Wine looks for UNC paths.
fs::path MapToDrive(const fs::path& prefix, const std::string& rootRelative) {
  std::string rest = rootRelative.size() > 2 ? rootRelative.substr(2) : "";
  if (rootRelative.rfind("UNC/", 0) == 0)
    return prefix / "dosdevices" / "unc" / rootRelative.substr(4);
  char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(rootRelative.at(0))));
  fs::path drive = prefix / ("drive_" + std::string(1, letter));
  if (letter != 'c') {
    fs::path link = prefix / "dosdevices" / (std::string(1, letter) + ":");
    std::error_code ignored;
    if (!fs::is_symlink(link))
      fs::create_directory_symlink(drive.lexically_relative(link.parent_path()), link, ignored);
  }
  return drive / rest;
}

// Removes the drive letters and drive folders a case mapped; C: and Wine's
// own Z: (the whole file system) stay.
void RemoveMappedDrives(const fs::path& prefix) {
  std::error_code ignored;
  for (char letter = 'a'; letter <= 'y'; ++letter) {
    if (letter == 'c') continue;
    fs::path link = prefix / "dosdevices" / (std::string(1, letter) + ":");
    if (fs::is_symlink(link)) fs::remove(link, ignored);
    fs::remove_all(prefix / ("drive_" + std::string(1, letter)), ignored);
  }
}

// "C:\x\y" for a native path below drive_c, else its place on Z:.
std::string WindowsPath(const fs::path& prefix, const fs::path& native) {
  fs::path below = native.lexically_relative(prefix / "drive_c");
  std::string path;
  if (below == ".") {
    path = "C:\\";
  } else if (!below.empty() && below.native().rfind("..", 0) != 0) {
    path = "C:\\" + below.string();
  } else {
    path = "Z:" + native.string();
  }
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

// Wine reads the command line and environment in the Unix locale's UTF-8 and
// hands the program its Windows code page (1252): the case's bytes, meant
// as the program sees them, go to wine as UTF-8.
std::string Cp1252ToUtf8(const std::string& bytes) {
  // 0x80..0x9F of code page 1252; the five unassigned ones keep their value.
  static const char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string utf8;
  for (char c : bytes) {
    unsigned char byte = static_cast<unsigned char>(c);
    char16_t code = byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
    if (code < 0x80) {
      utf8 += static_cast<char>(code);
    } else if (code < 0x800) {
      utf8 += static_cast<char>(0xC0 | (code >> 6));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      utf8 += static_cast<char>(0xE0 | (code >> 12));
      utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return utf8;
}

RunnerConfig WineRunnerConfig() {
  RunnerConfig config;
  WinePrefix& prefix = WinePrefix::Instance();
  if (!prefix.error().empty()) ADD_FAILURE() << prefix.error();
  const fs::path top = prefix.path();
  config.build = Build::kWindows;
  config.program = {{"wine"}, ExecutableFrom("QUILLMARK_E2E_EXE").string()};
  config.passwd = {{"wine"}, ExecutableFrom("QUILLMARK_E2E_PASSWD").string()};
  std::string check = EnvironmentValue("QUILLMARK_E2E_CHECK");
  config.check = {
      {"wine"},
      check.empty() ? (fs::path(config.program.path).parent_path() / "Quillmark-check.exe").string()
                    : fs::absolute(check).string()};
  config.scratch = top / "drive_c" / "qm-e2e";
  std::error_code ignored;
  fs::create_directories(config.scratch, ignored);
  config.env = prefix.environment();
  config.setQuillmarkRoot = false;  // Windows paths are used as they are
  config.mapRootPath = [top](const std::string& rel) { return MapToDrive(top, rel); };
  config.programPath = [top](const fs::path& native) { return WindowsPath(top, native); };
  config.programText = Cp1252ToUtf8;
  config.afterCase = [top] { RemoveMappedDrives(top); };
  // The library the native runner names: the stand-in, or the one of
  // QUILLMARK_E2E_RFCLIBRARY.
  config.rfcLibrary = NativeRunnerConfig().rfcLibrary;
  // Everything on the drives must stay as the case left it, except what
  // Wine keeps for itself (its registry files and their temporary copies lie
  // directly in the prefix) and the case folders.
  config.watchRoot = top;
  config.watchSkipRootFiles = true;
  config.watchSkip = {top / "dosdevices",
                      top / "wineserver",
                      top / "drive_c" / "windows",
                      top / "drive_c" / "users",
                      top / "drive_c" / "ProgramData",
                      config.scratch};
  return config;
}

const RunnerConfig& TargetRunnerConfig() {
  static const RunnerConfig config = WineIsTarget() ? WineRunnerConfig() : NativeRunnerConfig();
  return config;
}

RunnerConfig ForTarget(const RunnerConfig& config) {
  bool runsNativeProgram = config.build == Build::kNative && config.program.prefix.empty() &&
                           config.program.path == QUILLMARK_EXE;
  if (!WineIsTarget() || !runsNativeProgram) return config;
  RunnerConfig wine = TargetRunnerConfig();
  wine.timeout = config.timeout;
  wine.rfcLibrary = config.rfcLibrary;
  for (const auto& entry : config.env) wine.env.push_back(entry);
  return wine;
}

}  // namespace qm::e2e
