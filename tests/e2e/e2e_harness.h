// The end-to-end harness: runs the built program in a fresh temporary folder
// per case and compares standard output byte for byte and the exit code.
//
// Every case gets its own folder with two parts:
//   root/  the QUILLMARK_ROOT of the run ("C:\x" lies in root/C/x,
//          "D:\x" in root/D/x, "\x" on the current drive C: in root/C/x);
//   work/  the working directory (Quillmark.ini, SapRfc.*, Dev_Rfc.Trc,
//          rfcsim.ini, profiles found in the current directory).
// How the program is started (a command prefix such as "wine", then the
// executable), the extra environment and where the folders lie are settings
// of the runner, so the same case table can run another build.
#ifndef QUILLMARK_TESTS_E2E_E2E_HARNESS_H_
#define QUILLMARK_TESTS_E2E_E2E_HARNESS_H_

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace qm::e2e {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Files of a case.

// Which part of the case folder a path is relative to.
enum class Base { kRoot, kWork };

// A file (or folder) created before the run. `path` uses "/" and is relative
// to its base; missing parent folders are created. `bytes` may hold the
// password markers of ScrambledPassword / WrongCheckDigitPassword.
struct FileEntry {
  Base base = Base::kWork;
  std::string path;
  std::string bytes;
  bool directory = false;
  bool fifo = false;        // a FIFO (named pipe) that nobody writes to
  std::string linkTo = {};  // when set: a symbolic link to this path
};

// A file in the working directory / below the root with these bytes.
FileEntry WorkFile(std::string path, std::string bytes);
FileEntry RootFile(std::string path, std::string bytes);
// An empty folder in the working directory / below the root.
FileEntry WorkDir(std::string path);
FileEntry RootDir(std::string path);
// A FIFO nobody writes to / a symbolic link to `target` (such as
// "/dev/zero") in the working directory.
FileEntry WorkFifo(std::string path);
FileEntry WorkLink(std::string path, std::string target);

// What must hold for a file after the run.
struct FileCheck {
  enum class Kind { kExists, kAbsent, kContent, kFolder };
  Base base = Base::kWork;
  std::string path;
  Kind kind = Kind::kExists;
  std::string bytes;  // kContent only; password markers are expanded
};

FileCheck ExpectExists(Base base, std::string path);
FileCheck ExpectAbsent(Base base, std::string path);
FileCheck ExpectContent(Base base, std::string path, std::string bytes);
FileCheck ExpectFolder(Base base, std::string path);

// ---------------------------------------------------------------------------
// Helpers for the usual file contents.

// A marker for the scrambled form of `password`, replaced when the case's
// files are written by the output of the password tool (run once per
// password and cached for the whole test program).
std::string ScrambledPassword(const std::string& password);

// Like ScrambledPassword, but with the first body character changed so the
// header stays valid and the check digit no longer matches (the profile then
// fails with "Wrong Password"). The password's first character must be a
// digit or letter whose neighbour by the lowest bit is one too ("b"..."y",
// "B"..."Y", "0"..."9" all qualify except "a"/"z"-style ends).
std::string WrongCheckDigitPassword(const std::string& password);

// The fields of a profile; std::nullopt leaves the line out. The defaults
// describe a complete profile of destination "NIX" that no landscape knows.
struct ProfileFields {
  std::optional<std::string> extcompany = "EX";
  std::optional<std::string> destination = "NIX";
  std::optional<std::string> client = "100";
  std::optional<std::string> user = "monitor";
  std::optional<std::string> password = ScrambledPassword("Geheim12");
  std::optional<std::string> language = "E";
  std::optional<std::string> mode = "R/3";
  std::optional<std::string> hostname = "nohost01";
  std::optional<std::string> sysnr = "00";
  std::optional<std::string> gwhost = "nohost01";
  std::optional<std::string> gwservice = "sapgw00";
};

// The profile's lines "Label......: value", each ended by `lineEnd`.
std::string ProfileText(const ProfileFields& fields = {}, const std::string& lineEnd = "\n");

// Quillmark.ini in the working directory with one "Caller=NAME" line.
FileEntry CallerIni(const std::string& product);

// The error document that every error exit prints, in every output mode.
std::string ErrorDocument(const std::string& text);

// Replaces every "dd:dd:dd" (d a digit) by "hh:mm:ss", so times of day in
// progress lines compare equal.
std::string MaskTimesOfDay(std::string text);

// What a measured duration reads as once masked.
inline const std::string kMaskedDuration = "<t>";

// Replaces the measured durations by kMaskedDuration, so they compare
// equal: the value of the "Response Time" channel in every form (XML:
// the value after the custom unit "TimeResponse"; Zephanor: the statistic
// after a "(mSec)" message line; Quenrik: "N mSec"; plugin form: "=Nms;")
// and the value of quillmark_response_time_seconds and
// quillmark_run_seconds samples. A global run's item channel is found by
// its unit, so it is masked under any label.
std::string MaskDurations(std::string text);

// Both masks: what the harness compares.
std::string MaskVaryingFigures(const std::string& text);

// ---------------------------------------------------------------------------
// A case: one row of a table.

// The builds a case or a runner is about: kAny (cases only) runs everywhere,
// kNative is the build for this machine (Windows paths mapped below
// QUILLMARK_ROOT), kWindows is Quillmark.exe (under Wine here), which uses
// Windows paths as they are.
enum class Build { kAny, kNative, kWindows };

// The executable a case runs: the sensor, or the setup check
// (quillmark-check) with the same arguments.
enum class Program { kSensor, kCheck };

struct E2eCase {
  std::string name = {};               // test name: letters, digits, "_"
  std::vector<std::string> args = {};  // after the program name; "{root}"
                                       // and "{work}" become the folders
  std::vector<FileEntry> files = {};   // created before the run
  std::string out = {};                // expected standard output, exactly
  int exit = 0;                        // expected exit code
  std::vector<FileCheck> after = {};   // checked after the run
  // Added to the run's environment ("{root}"/"{work}" expanded in values).
  std::vector<std::pair<std::string, std::string>> env = {};
  std::chrono::milliseconds timeout{0};  // 0: the runner's default
  // The build the case makes sense for; runners of another build skip it.
  Build build = Build::kAny;
  // When not empty: an ECMAScript regular expression that the whole standard
  // output (times of day masked) must match, in place of `out`; for outputs
  // with live figures.
  std::string outMatches = {};
  // True for a case that depends on the stand-in library's own details (the
  // call log, call_code, abort, a code 1 without trace text): it is skipped
  // when the runner names another RFC library.
  bool standInOnly = false;
  // True for a case about the default library choice: its Quillmark.ini gets
  // no RfcLibrary= line, and a runner that names a library other than the
  // stand-in skips it.
  bool defaultLibrary = false;
  // True for a case that needs the SDK's test double (its landscape keys
  // field_types, snc, router, ...): it is skipped unless the runner names
  // an RFC library other than the stand-in.
  bool doubleOnly = false;
  // When not empty: the program is started through "bash -c <shell>", with
  // the program's command (prefix, path and arguments) as "$@", for cases
  // about where its standard output goes. What the script prints is the
  // output compared.
  std::string shell = {};
  // The executable it runs. For kCheck, "{library}" in `out` and
  // `outMatches` stands for the runner's RFC library as Quillmark.ini
  // names it.
  Program program = Program::kSensor;
  // When set: called with the standard output as printed (nothing masked),
  // for checks beyond comparing it (a parser of the document's format).
  std::function<void(const std::string& out)> checkOutput = {};
};

// The case marked standInOnly.
E2eCase StandInOnly(E2eCase c);

// The case's files with "RfcLibrary=<library>" put first into its
// Quillmark.ini (after a byte-order mark), or a Quillmark.ini of that line
// added; a folder in its place is left alone.
std::vector<FileEntry> WithRfcLibrary(std::vector<FileEntry> files, const std::string& library);

// Prints the case's name (GoogleTest shows it for a failing parameter).
void PrintTo(const E2eCase& c, std::ostream* os);

// A copy of `base` for each product, named base.name + "_" + product, with
// CallerIni(product) added to its files ("EXEXML" adds no settings file).
std::vector<E2eCase> InModes(const E2eCase& base, const std::vector<std::string>& products);

// ---------------------------------------------------------------------------
// Running.

// A command: a prefix (e.g. {"wine"}, empty for a native run) and the path
// of the executable. A prefix word without "/" is looked up in PATH.
struct Command {
  std::vector<std::string> prefix;
  std::string path;
};

struct RunnerConfig {
  Command program;   // the sensor
  Command passwd;    // the password tool
  Command check;     // the setup check
  fs::path scratch;  // parent of the case folders
  // Added to every run's environment, e.g. WINEPREFIX and WINEDEBUG.
  std::vector<std::pair<std::string, std::string>> env;
  bool setQuillmarkRoot = true;    // QUILLMARK_ROOT=<case>/root
  bool checkRootUnchanged = true;  // nothing below root may change
  std::chrono::milliseconds timeout{15000};
  // Where a root-relative path ("C/PRTG_Path.Txt") lies when the drives are
  // not below the case folder (e.g. a Wine prefix's drives); empty: in the
  // case's root/. Files and folders a case creates there are removed after
  // the case.
  std::function<fs::path(const std::string& rootRelative)> mapRootPath;
  // Which build runs; cases of another build are skipped.
  Build build = Build::kNative;
  // How the program names a native path ("{root}", "{work}"); empty: as is.
  std::function<std::string(const fs::path& native)> programPath;
  // How argument and environment bytes (the program's own code page) are
  // passed to the command; empty: as they are.
  std::function<std::string(const std::string& bytes)> programText;
  // Called after each case, e.g. to remove the drive letters it mapped.
  std::function<void()> afterCase;
  // With mapRootPath: the folder checked for changes in place of the case's
  // root/, without the folders and files in watchSkip (the system's own and
  // the case folders).
  fs::path watchRoot;
  std::vector<fs::path> watchSkip;
  // Files lying directly in watchRoot are not watched: Wine keeps its
  // registry there and its server writes temporary copies of it
  // (reg*.tmp) whenever it saves, also while a case runs.
  bool watchSkipRootFiles = false;
  // Every case runs through this RFC library ("standin", or the file of the
  // SDK's test double), a line "RfcLibrary=<rfcLibrary>" put first into its
  // Quillmark.ini (a line of the case's own still wins). With another
  // library than the stand-in, cases marked standInOnly are skipped.
  std::string rfcLibrary;
};

// The native build: QUILLMARK_EXE, QUILLMARK_PASSWD_EXE and
// QUILLMARK_CHECK_EXE, case folders in
// the system's temporary folder; rfcLibrary from QUILLMARK_E2E_RFCLIBRARY,
// else "standin".
RunnerConfig NativeRunnerConfig();

// Quillmark.exe, Quillmark-passwd.exe and Quillmark-check.exe
// (QUILLMARK_E2E_EXE, QUILLMARK_E2E_PASSWD, and QUILLMARK_E2E_CHECK or else
// Quillmark-check.exe beside Quillmark.exe) under "wine" in a Wine prefix made once per test
// program in the temporary folder (or the existing QUILLMARK_E2E_WINEPREFIX),
// removed at its end. Case folders lie in the prefix's drive_c, so the
// current drive is C:; root-relative files lie on the prefix's drives, a
// letter other than C being a folder linked as dosdevices/<letter>: for the
// case. Adds a test failure when the prefix cannot be made.
RunnerConfig WineRunnerConfig();

// The build under test, chosen at run time: WineRunnerConfig() when the
// environment variable QUILLMARK_E2E_TARGET is "wine", else
// NativeRunnerConfig(). Case tables run with this config.
const RunnerConfig& TargetRunnerConfig();

// `config` itself, unless the target is Wine and `config` runs the native
// program (a table written against NativeRunnerConfig()): then the Wine
// runner takes its place, keeping the time limit, the extra environment and
// the RFC library. RunCase applies it, so every case table runs under Wine.
RunnerConfig ForTarget(const RunnerConfig& config);

struct ProcessResult {
  int exitCode = -1;      // the exit code when the process exited
  int signal = 0;         // the signal that ended it, else 0
  bool timedOut = false;  // killed after the time limit
  std::string out;        // standard output
  std::string err;        // standard error
};

// Runs argv (argv[0] a path, or a name looked up in PATH) in `workDir` with
// exactly the environment `env` ("NAME=value" entries), standard input from
// /dev/null. Kills the process group after `timeout`.
ProcessResult RunProcess(const std::vector<std::string>& argv, const fs::path& workDir,
                         const std::vector<std::string>& env, std::chrono::milliseconds timeout);

// A process started by StartProcess and not yet waited for.
struct StartedProcess {
  int pid = -1;    // -1: it could not be started (see error)
  int outFd = -1;  // read ends of its standard output and error
  int errFd = -1;
  std::string error;
};

// Starts argv as RunProcess does, without waiting, so that many runs can go
// at once. Each must be passed to WaitForProcess once. Output is read only
// while waiting, so a process that writes more than a pipe holds (64 KiB)
// pauses until then.
StartedProcess StartProcess(const std::vector<std::string>& argv, const fs::path& workDir,
                            const std::vector<std::string>& env);

// Reads the output of a started process until it ends; kills its process
// group when it has not ended `timeout` after this call.
ProcessResult WaitForProcess(StartedProcess& process, std::chrono::milliseconds timeout);

// The current environment without the variables a case controls
// (QUILLMARK_*, RFCSIM_*), plus `extra`, as "NAME=value" entries.
std::vector<std::string> ControlledEnvironment(
    const std::vector<std::pair<std::string, std::string>>& extra);

// A fresh temporary folder with root/ and work/, removed on destruction
// unless the environment variable QUILLMARK_E2E_KEEP is set.
class CaseFolder {
 public:
  explicit CaseFolder(const fs::path& scratch);
  ~CaseFolder();
  CaseFolder(const CaseFolder&) = delete;
  CaseFolder& operator=(const CaseFolder&) = delete;

  const fs::path& top() const { return top_; }
  const fs::path& root() const { return root_; }
  const fs::path& work() const { return work_; }
  // The native path of a path relative to `base`.
  fs::path Resolve(Base base, const std::string& path) const;

 private:
  fs::path top_, root_, work_;
};

// Removes, on destruction, the files a case created on mapped drives and
// the folders it had to create for them (deepest first).
class RootCleanup {
 public:
  RootCleanup() = default;
  RootCleanup(const RootCleanup&) = delete;
  RootCleanup& operator=(const RootCleanup&) = delete;
  void Remember(const fs::path& path) {
    fs::path missing = path;
    while (!missing.empty() && !fs::exists(missing)) {
      created_.push_back(missing);
      if (missing == missing.parent_path()) break;
      missing = missing.parent_path();
    }
  }
  ~RootCleanup() {
    std::error_code ignored;
    for (const fs::path& p : created_) fs::remove_all(p, ignored);
  }

 private:
  std::vector<fs::path> created_;  // the path first, then its new parents
};

// Runs one case with GoogleTest assertions: creates its files, runs the
// program, compares standard output (times of day masked) and exit code,
// checks the files afterwards and that nothing below root changed. A case
// for another build than ForTarget(config)'s is skipped.
void RunCase(const E2eCase& c, const RunnerConfig& config);

}  // namespace qm::e2e

#endif  // QUILLMARK_TESTS_E2E_E2E_HARNESS_H_
