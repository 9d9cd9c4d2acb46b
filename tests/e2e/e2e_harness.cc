// The end-to-end harness declared in e2e_harness.h: case folders, the
// controlled environment, processes with a time limit, masked times of day
// and the check that nothing below the root changed. POSIX process handling
// is confined to this file.
#include "e2e_harness.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string_view>

#include "test_files.h"

extern char** environ;

namespace qm::e2e {

namespace {

using testsupport::ReadFileBytes;

// Password markers: \x01 never occurs in a password the tool accepts, so a
// marker cannot be confused with password text.
constexpr char kMarkerStart = '\x01';
constexpr char kScrambledTag = 'S';
constexpr char kWrongTag = 'W';

std::string Marker(char tag, const std::string& password) {
  return std::string(1, kMarkerStart) + tag + ":" + password + kMarkerStart;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// A case's time limit is about the program, not the build: a sanitizer
// build runs several times slower, so its stages set
// QUILLMARK_E2E_TIME_SCALE to stretch every limit by that factor.
std::chrono::milliseconds SlowBuildScaled(std::chrono::milliseconds limit) {
  const char* scale = std::getenv("QUILLMARK_E2E_TIME_SCALE");
  int factor = scale != nullptr ? std::atoi(scale) : 1;
  return factor > 1 ? limit * factor : limit;
}

// `text` as a regular expression that matches exactly it.
std::string RegexLiteral(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) {
      escaped.push_back('\\');
    }
    escaped.push_back(c);
  }
  return escaped;
}

// "{root}" and "{work}" as the program names those folders, then the bytes
// as the command passes them on.
std::string ExpandFolders(const std::string& text, const CaseFolder& folder,
                          const RunnerConfig& config) {
  auto name = [&](const fs::path& p) {
    return config.programPath ? config.programPath(p) : p.string();
  };
  std::string expanded =
      ReplaceAll(ReplaceAll(text, "{root}", name(folder.root())), "{work}", name(folder.work()));
  return config.programText ? config.programText(expanded) : expanded;
}

void WriteWholeFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

// The scrambled value the password tool prints for `password` (cached).
std::string ScrambleWithTool(const std::string& password, const RunnerConfig& config) {
  static std::map<std::string, std::string> cache;
  auto found = cache.find(password);
  if (found != cache.end()) return found->second;

  std::vector<std::string> argv = config.passwd.prefix;
  argv.push_back(config.passwd.path);
  argv.push_back(password);
  ProcessResult r =
      RunProcess(argv, config.scratch, ControlledEnvironment(config.env), config.timeout);
  if (r.timedOut || r.exitCode != 0 || r.out.size() != 25 || r.out.back() != '\n') {
    ADD_FAILURE() << "the password tool did not scramble \"" << password << "\": exit "
                  << r.exitCode << ", output [" << r.out << "], error [" << r.err << "]";
    return std::string(24, '?');
  }
  std::string value = r.out.substr(0, 24);
  cache[password] = value;
  return value;
}

// A scrambled value whose first body character descrambles to its neighbour
// by the lowest bit: the check-digit sum moves by one, the header stays.
std::string WrongCheckDigit(const std::string& password, const RunnerConfig& config) {
  auto alnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
  if (password.empty() || !alnum(password[0]) || !alnum(static_cast<char>(password[0] ^ 1))) {
    ADD_FAILURE() << "WrongCheckDigitPassword needs a first character that stays a letter or "
                     "digit when its lowest bit flips: \""
                  << password << "\"";
    return std::string(24, '?');
  }
  std::string value = ScrambleWithTool(password, config);
  value[4] = static_cast<char>(value[4] ^ 1);
  return value;
}

// Replaces every password marker in `bytes` by its scrambled value.
std::string ExpandPasswords(const std::string& bytes, const RunnerConfig& config) {
  std::string result;
  size_t pos = 0;
  while (true) {
    size_t start = bytes.find(kMarkerStart, pos);
    size_t end = start == std::string::npos ? start : bytes.find(kMarkerStart, start + 1);
    bool marker = end != std::string::npos && end >= start + 3 && bytes[start + 2] == ':' &&
                  (bytes[start + 1] == kScrambledTag || bytes[start + 1] == kWrongTag);
    if (!marker) {
      if (start == std::string::npos) break;
      result.append(bytes, pos, start + 1 - pos);  // a lone \x01 is ordinary data
      pos = start + 1;
      continue;
    }
    result.append(bytes, pos, start - pos);
    std::string password = bytes.substr(start + 3, end - start - 3);
    result += bytes[start + 1] == kScrambledTag ? ScrambleWithTool(password, config)
                                                : WrongCheckDigit(password, config);
    pos = end + 1;
  }
  result.append(bytes, pos, std::string::npos);
  return result;
}

// What lies below a folder: relative path -> "dir" or "size@mtime".
using Snapshot = std::map<std::string, std::string>;

Snapshot TakeSnapshot(const fs::path& top, const std::vector<fs::path>& skip = {},
                      bool skipTopFiles = false) {
  Snapshot snap;
  std::set<fs::path> left(skip.begin(), skip.end());
  for (auto it = fs::recursive_directory_iterator(top); it != fs::recursive_directory_iterator();
       ++it) {
    const fs::directory_entry& entry = *it;
    if (left.count(entry.path())) {
      if (entry.is_directory()) it.disable_recursion_pending();
      continue;
    }
    if (skipTopFiles && it.depth() == 0 && !entry.is_directory()) continue;
    std::string rel = fs::relative(entry.path(), top).generic_string();
    if (entry.is_directory()) {
      snap[rel] = "dir";
    } else {
      snap[rel] = std::to_string(entry.file_size()) + "@" +
                  std::to_string(entry.last_write_time().time_since_epoch().count());
    }
  }
  return snap;
}

std::string DescribeChanges(const Snapshot& before, const Snapshot& after) {
  std::string changes;
  for (const auto& [path, state] : after) {
    auto old = before.find(path);
    if (old == before.end())
      changes += "  created " + path + "\n";
    else if (old->second != state)
      changes += "  changed " + path + "\n";
  }
  for (const auto& [path, state] : before) {
    if (!after.count(path)) changes += "  removed " + path + "\n";
  }
  return changes;
}

// The full path of a program name, searched in PATH when it holds no "/".
std::string FindExecutable(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    fs::path candidate = fs::path(dir.empty() ? "." : dir) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return name;
}

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

// Reads what is there; returns false at end of file.
bool DrainPipe(int fd, std::string* into) {
  char buffer[65536];
  while (true) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into->append(buffer, static_cast<size_t>(n));
    } else if (n == 0) {
      return false;
    } else if (errno == EINTR) {
      continue;
    } else {
      return errno == EAGAIN || errno == EWOULDBLOCK;
    }
  }
}

void RecordStatus(int status, ProcessResult* r) {
  if (WIFEXITED(status)) r->exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r->signal = WTERMSIG(status);
}

}  // namespace

// ---------------------------------------------------------------------------

FileEntry WorkFile(std::string path, std::string bytes) {
  return {Base::kWork, std::move(path), std::move(bytes), false};
}
FileEntry RootFile(std::string path, std::string bytes) {
  return {Base::kRoot, std::move(path), std::move(bytes), false};
}
FileEntry WorkDir(std::string path) { return {Base::kWork, std::move(path), "", true}; }
FileEntry RootDir(std::string path) { return {Base::kRoot, std::move(path), "", true}; }
FileEntry WorkFifo(std::string path) {
  return {.base = Base::kWork, .path = std::move(path), .bytes = "", .fifo = true};
}
FileEntry WorkLink(std::string path, std::string target) {
  return {.base = Base::kWork, .path = std::move(path), .bytes = "", .linkTo = std::move(target)};
}

FileCheck ExpectExists(Base base, std::string path) {
  return {base, std::move(path), FileCheck::Kind::kExists, ""};
}
FileCheck ExpectAbsent(Base base, std::string path) {
  return {base, std::move(path), FileCheck::Kind::kAbsent, ""};
}
FileCheck ExpectFolder(Base base, std::string path) {
  return {base, std::move(path), FileCheck::Kind::kFolder, ""};
}
FileCheck ExpectContent(Base base, std::string path, std::string bytes) {
  return {base, std::move(path), FileCheck::Kind::kContent, std::move(bytes)};
}

std::string ScrambledPassword(const std::string& password) {
  return Marker(kScrambledTag, password);
}

std::string WrongCheckDigitPassword(const std::string& password) {
  return Marker(kWrongTag, password);
}

std::string ProfileText(const ProfileFields& f, const std::string& lineEnd) {
  const std::pair<const char*, const std::optional<std::string>*> lines[] = {
      {"Extcompany.:", &f.extcompany}, {"Destination:", &f.destination},
      {"Client.....:", &f.client},     {"User.......:", &f.user},
      {"Password...:", &f.password},   {"Language...:", &f.language},
      {"Mode.......:", &f.mode},       {"Hostname...:", &f.hostname},
      {"Sysnr......:", &f.sysnr},      {"Gwhost.....:", &f.gwhost},
      {"Gwservice..:", &f.gwservice},
  };
  std::string text;
  for (const auto& [label, value] : lines) {
    if (value->has_value()) text += std::string(label) + " " + **value + lineEnd;
  }
  return text;
}

FileEntry CallerIni(const std::string& product) {
  return WorkFile("Quillmark.ini", "Caller=" + product + "\n");
}

std::string ErrorDocument(const std::string& text) {
  return "<Prtg>\n<Error>1</Error>\n<Text>" + text + "</Text>\n</Prtg>\n";
}

std::string MaskTimesOfDay(std::string text) {
  auto digit = [&](size_t i) { return text[i] >= '0' && text[i] <= '9'; };
  for (size_t i = 0; i + 8 <= text.size(); ++i) {
    if (digit(i) && digit(i + 1) && text[i + 2] == ':' && digit(i + 3) && digit(i + 4) &&
        text[i + 5] == ':' && digit(i + 6) && digit(i + 7)) {
      text.replace(i, 8, "hh:mm:ss");
      i += 7;
    }
  }
  return text;
}

namespace {

// Replaces the run of digits (and points) that starts at `at` by the
// masked duration; returns where the text goes on.
std::size_t MaskNumberAt(std::string& text, std::size_t at) {
  std::size_t end = at;
  while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '.')) ++end;
  if (end == at) return at;
  text.replace(at, end - at, kMaskedDuration);
  return at + kMaskedDuration.size();
}

// Masks the number right after every `anchor`.
void MaskAfter(std::string& text, const std::string& anchor) {
  for (std::size_t at = text.find(anchor); at != std::string::npos;
       at = text.find(anchor, at + 1)) {
    MaskNumberAt(text, at + anchor.size());
  }
}

// Masks the number right before every `anchor` that follows `lead`.
void MaskBefore(std::string& text, const std::string& lead, const std::string& anchor) {
  for (std::size_t at = text.find(anchor); at != std::string::npos;
       at = text.find(anchor, at + 1)) {
    std::size_t start = at;
    while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') --start;
    if (start == at || start < lead.size() ||
        text.compare(start - lead.size(), lead.size(), lead)) {
      continue;
    }
    at = MaskNumberAt(text, start);
  }
}

// Masks the value of every sample of `metric` (a line "metric{...} VALUE"
// or "metric VALUE": the value follows the line's last blank).
void MaskSamples(std::string& text, const std::string& metric) {
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::size_t after = at + metric.size();
    if (after < end && text.compare(at, metric.size(), metric) == 0 &&
        (text[after] == '{' || text[after] == ' ')) {
      MaskNumberAt(text, text.rfind(' ', end - 1) + 1);
      end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
    }
    at = end + 1;
  }
}

}  // namespace

std::string MaskDurations(std::string text) {
  MaskAfter(text, "<CustomUnit>TimeResponse</CustomUnit>\n<Value>");
  for (std::size_t at = text.find("(mSec)\nStatistic."); at != std::string::npos;
       at = text.find("(mSec)\nStatistic.", at + 1)) {
    std::size_t colon = text.find(": ", at);
    if (colon != std::string::npos) MaskNumberAt(text, colon + 2);
  }
  MaskBefore(text, ": ", " mSec");
  MaskBefore(text, "=", "ms;");
  MaskSamples(text, "quillmark_response_time_seconds");
  MaskSamples(text, "quillmark_run_seconds");
  return text;
}

std::string MaskVaryingFigures(const std::string& text) {
  return MaskDurations(MaskTimesOfDay(text));
}

E2eCase StandInOnly(E2eCase c) {
  c.standInOnly = true;
  return c;
}

void PrintTo(const E2eCase& c, std::ostream* os) { *os << c.name; }

std::vector<E2eCase> InModes(const E2eCase& base, const std::vector<std::string>& products) {
  std::vector<E2eCase> cases;
  for (const std::string& product : products) {
    E2eCase c = base;
    c.name += "_" + product;
    if (product != "EXEXML") c.files.push_back(CallerIni(product));
    cases.push_back(std::move(c));
  }
  return cases;
}

RunnerConfig NativeRunnerConfig() {
  RunnerConfig config;
  config.program = {{}, QUILLMARK_EXE};
  config.passwd = {{}, QUILLMARK_PASSWD_EXE};
  config.check = {{}, QUILLMARK_CHECK_EXE};
  config.scratch = fs::temp_directory_path();
  config.rfcLibrary = "standin";
  if (const char* library = std::getenv("QUILLMARK_E2E_RFCLIBRARY")) config.rfcLibrary = library;
  return config;
}

std::vector<std::string> ControlledEnvironment(
    const std::vector<std::pair<std::string, std::string>>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    if (entry.rfind("QUILLMARK_", 0) == 0 || entry.rfind("RFCSIM_", 0) == 0) continue;
    std::string name = entry.substr(0, entry.find('='));
    bool overridden = false;
    for (const auto& [extraName, value] : extra) overridden = overridden || extraName == name;
    if (!overridden) env.push_back(entry);
  }
  for (const auto& [name, value] : extra) env.push_back(name + "=" + value);
  return env;
}

StartedProcess StartProcess(const std::vector<std::string>& argv, const fs::path& workDir,
                            const std::vector<std::string>& env) {
  StartedProcess started;
  // Everything the child needs is prepared before fork.
  std::string program = FindExecutable(argv.at(0));
  std::vector<char*> cargv, cenv;
  for (const std::string& a : argv) cargv.push_back(const_cast<char*>(a.c_str()));
  cargv.push_back(nullptr);
  for (const std::string& e : env) cenv.push_back(const_cast<char*>(e.c_str()));
  cenv.push_back(nullptr);
  std::string dir = workDir.string();

  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
    started.error = "pipe failed";
    return started;
  }
  // Processes started later must not inherit this one's pipes.
  fcntl(outPipe[0], F_SETFD, FD_CLOEXEC);
  fcntl(errPipe[0], F_SETFD, FD_CLOEXEC);
  pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);  // its own group, so a timeout kills what it started too
    int devNull = open("/dev/null", O_RDONLY);
    if (devNull < 0 || dup2(devNull, 0) < 0 || dup2(outPipe[1], 1) < 0 || dup2(errPipe[1], 2) < 0 ||
        chdir(dir.c_str()) != 0) {
      _exit(127);
    }
    close(outPipe[0]);
    close(errPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    execve(program.c_str(), cargv.data(), cenv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  if (pid < 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    started.error = "fork failed";
    return started;
  }
  setpgid(pid, pid);
  SetNonBlocking(outPipe[0]);
  SetNonBlocking(errPipe[0]);
  started.pid = pid;
  started.outFd = outPipe[0];
  started.errFd = errPipe[0];
  return started;
}

ProcessResult WaitForProcess(StartedProcess& process, std::chrono::milliseconds timeout) {
  ProcessResult result;
  if (process.pid < 0) {
    result.err = process.error;
    return result;
  }
  const pid_t pid = process.pid;
  const int outFd = process.outFd;
  const int errFd = process.errFd;
  auto deadline = std::chrono::steady_clock::now() + timeout;
  bool outOpen = true, errOpen = true, exited = false;
  int status = 0;
  while (outOpen || errOpen) {
    pollfd fds[2] = {{outOpen ? outFd : -1, POLLIN, 0}, {errOpen ? errFd : -1, POLLIN, 0}};
    poll(fds, 2, 20);
    if (outOpen) outOpen = DrainPipe(outFd, &result.out);
    if (errOpen) errOpen = DrainPipe(errFd, &result.err);
    // A process it started may keep the pipes open; stop once the program
    // itself has ended and its output is drained.
    if (!exited && waitpid(pid, &status, WNOHANG) == pid) {
      exited = true;
      if (outOpen) outOpen = DrainPipe(outFd, &result.out);
      if (errOpen) errOpen = DrainPipe(errFd, &result.err);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      result.timedOut = true;
      break;
    }
  }
  if (!exited && !result.timedOut) {
    // Both pipes closed: wait for the exit, still within the limit.
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() >= deadline) {
        result.timedOut = true;
        break;
      }
      usleep(5000);
    }
    exited = !result.timedOut;
  }
  if (result.timedOut) {
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  RecordStatus(status, &result);
  close(outFd);
  close(errFd);
  process = StartedProcess{};
  process.error = "already waited for";
  return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const fs::path& workDir,
                         const std::vector<std::string>& env, std::chrono::milliseconds timeout) {
  StartedProcess process = StartProcess(argv, workDir, env);
  return WaitForProcess(process, timeout);
}

CaseFolder::CaseFolder(const fs::path& scratch) {
  std::string pattern = (scratch / "qm-e2e-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) {
    ADD_FAILURE() << "cannot create a case folder in " << scratch;
    top_ = scratch;
  } else {
    top_ = name.data();
  }
  root_ = top_ / "root";
  work_ = top_ / "work";
  fs::create_directories(root_);
  fs::create_directories(work_);
}

CaseFolder::~CaseFolder() {
  if (std::getenv("QUILLMARK_E2E_KEEP") != nullptr) return;
  std::error_code ignored;
  fs::remove_all(top_, ignored);
}

fs::path CaseFolder::Resolve(Base base, const std::string& path) const {
  return (base == Base::kRoot ? root_ : work_) / path;
}

std::vector<FileEntry> WithRfcLibrary(std::vector<FileEntry> files, const std::string& library) {
  const std::string line = "RfcLibrary=" + library + "\n";
  for (FileEntry& f : files) {
    if (f.base != Base::kWork || f.path != "Quillmark.ini") continue;
    if (!f.directory && !f.fifo && f.linkTo.empty()) {
      const std::string bom = "\xEF\xBB\xBF";
      std::size_t at = f.bytes.rfind(bom, 0) == 0 ? bom.size() : 0;
      f.bytes.insert(at, line);
    }
    return files;
  }
  files.push_back(WorkFile("Quillmark.ini", line));
  return files;
}

void RunCase(const E2eCase& original, const RunnerConfig& given) {
  const RunnerConfig config = ForTarget(given);
  if (original.build != Build::kAny && original.build != config.build) {
    GTEST_SKIP() << "a case for another build";
  }
  const bool standIn = config.rfcLibrary.empty() || config.rfcLibrary == "standin";
  if (!standIn && original.standInOnly) {
    GTEST_SKIP() << "depends on the stand-in library's own details";
  }
  if (!standIn && original.defaultLibrary) GTEST_SKIP() << "about the default library choice";
  if (standIn && original.doubleOnly) GTEST_SKIP() << "runs only through the SDK's test double";
  E2eCase c = original;
  if (!original.defaultLibrary && !config.rfcLibrary.empty()) {
    c.files = WithRfcLibrary(c.files, config.rfcLibrary);
  }
  if (c.program == Program::kCheck) {
    c.out = ReplaceAll(c.out, "{library}", config.rfcLibrary);
    c.outMatches = ReplaceAll(c.outMatches, "{library}", RegexLiteral(config.rfcLibrary));
  }
  SCOPED_TRACE("case " + c.name);
  CaseFolder folder(config.scratch);
  auto resolve = [&](Base base, const std::string& path) {
    return base == Base::kRoot && config.mapRootPath ? config.mapRootPath(path)
                                                     : folder.Resolve(base, path);
  };
  // Runs last: after the files below are gone, the drives they lay on.
  struct AfterCase {
    const RunnerConfig& config;
    ~AfterCase() {
      if (config.afterCase) config.afterCase();
    }
  } afterCase{config};
  // With mapped drives, what the case creates there goes again afterwards.
  RootCleanup cleanup;

  for (const FileEntry& f : c.files) {
    fs::path path = resolve(f.base, f.path);
    if (f.base == Base::kRoot && config.mapRootPath) cleanup.Remember(path);
    if (f.directory) {
      fs::create_directories(path);
    } else if (f.fifo || !f.linkTo.empty()) {
      fs::create_directories(path.parent_path());
      bool made =
          f.fifo ? mkfifo(path.c_str(), 0644) == 0 : symlink(f.linkTo.c_str(), path.c_str()) == 0;
      ASSERT_TRUE(made) << "cannot make " << path;
    } else {
      WriteWholeFile(path, ExpandPasswords(f.bytes, config));
    }
  }
  if (::testing::Test::HasFatalFailure()) return;
  const bool watchDrives = config.mapRootPath && !config.watchRoot.empty();
  auto rootSnapshot = [&] {
    return watchDrives ? TakeSnapshot(config.watchRoot, config.watchSkip, config.watchSkipRootFiles)
                       : TakeSnapshot(folder.root());
  };
  Snapshot rootBefore = rootSnapshot();

  std::vector<std::string> argv;
  if (!c.shell.empty()) argv = {"bash", "-c", c.shell, "bash"};
  const Command& command = c.program == Program::kCheck ? config.check : config.program;
  ASSERT_FALSE(command.path.empty()) << "the runner names no executable for this case";
  argv.insert(argv.end(), command.prefix.begin(), command.prefix.end());
  argv.push_back(command.path);
  for (const std::string& a : c.args) argv.push_back(ExpandFolders(a, folder, config));
  std::vector<std::pair<std::string, std::string>> extra = config.env;
  if (config.setQuillmarkRoot) extra.emplace_back("QUILLMARK_ROOT", folder.root().string());
  for (const auto& [name, value] : c.env) {
    extra.emplace_back(name, ExpandFolders(value, folder, config));
  }

  auto timeout = SlowBuildScaled(c.timeout.count() > 0 ? c.timeout : config.timeout);
  ProcessResult r = RunProcess(argv, folder.work(), ControlledEnvironment(extra), timeout);

  ASSERT_FALSE(r.timedOut) << "killed after " << timeout.count() << " ms; output so far:\n"
                           << r.out;
  EXPECT_EQ(r.signal, 0) << "ended by signal " << r.signal << "\nstandard error:\n" << r.err;
  if (c.outMatches.empty()) {
    EXPECT_EQ(MaskVaryingFigures(r.out), MaskVaryingFigures(c.out)) << "standard error:\n" << r.err;
  } else {
    EXPECT_TRUE(std::regex_match(MaskVaryingFigures(r.out), std::regex(c.outMatches)))
        << "output:\n"
        << r.out << "\ndoes not match:\n"
        << c.outMatches << "\nstandard error:\n"
        << r.err;
  }
  EXPECT_EQ(r.exitCode, c.exit) << "standard error:\n" << r.err;
  if (c.checkOutput) c.checkOutput(r.out);

  for (const FileCheck& check : c.after) {
    fs::path path = resolve(check.base, check.path);
    bool isFile = fs::is_regular_file(path);
    switch (check.kind) {
      case FileCheck::Kind::kExists:
        EXPECT_TRUE(isFile) << check.path << " should exist after the run";
        break;
      case FileCheck::Kind::kFolder:
        EXPECT_TRUE(fs::is_directory(path)) << check.path << " should be a folder after the run";
        break;
      case FileCheck::Kind::kAbsent:
        EXPECT_FALSE(fs::exists(path)) << check.path << " should not exist after the run";
        break;
      case FileCheck::Kind::kContent:
        EXPECT_TRUE(isFile) << check.path << " should exist after the run";
        if (isFile) {
          EXPECT_EQ(ReadFileBytes(path), ExpandPasswords(check.bytes, config))
              << "content of " << check.path;
        }
        break;
    }
  }
  if (config.checkRootUnchanged) {
    std::string changes = DescribeChanges(rootBefore, rootSnapshot());
    EXPECT_EQ(changes, "") << "the run changed files below the root";
  }
}

}  // namespace qm::e2e
