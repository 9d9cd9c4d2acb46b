// End-to-end cases of hardening: files and arguments that are empty, binary,
// hold NUL bytes, very long lines or CR-only line ends, a folder where a file
// belongs, a profile of 100 MB and arguments of 10,000 characters each end
// in a numbered error or the documented result within a few seconds; the
// time limit ends a slow single run with Error 1016 and a slow global run
// with its summary; 50 runs at once in one folder each print their own
// system's figures; files that only root could read are as good as missing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "e2e_harness.h"
#include "platform/platform.h"
#include "sap_fixtures.h"
#include "test_files.h"

namespace qm::e2e {
namespace {

using testsupport::WriteFileBytes;

using namespace sap;

// Bad input must be answered quickly, not just before the runner's limit.
constexpr std::chrono::milliseconds kQuick{6000};

E2eCase Quick(E2eCase c) {
  c.timeout = kQuick;
  return c;
}

// PRD.P00 with `text` wherever a mode looks for it, and the landscape.
std::vector<FileEntry> PrdFilesWithProfile(const std::string& text) {
  std::vector<FileEntry> files = LandscapeFiles(PrdSystem());
  files.push_back(RootFile(kHint, "C:\\PRTG\n"));
  return Plus(files, ProfileEverywhere("PRD.P00", text));
}

// Every byte value twice over, NUL, CR and LF included.
std::string AllByteValues() {
  std::string bytes;
  for (int round = 0; round < 2; ++round) {
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  }
  return bytes;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

const std::string kUserMissing =
    ErrorDocument("Error 1006: Username in Profile PRD.P00 is missing...");
const std::string kPrdMissing = ErrorDocument("Error 1002: Profile PRD.P00 is missing...");
// A Quillmark.ini that cannot be read names no library, so the run looks for
// the SDK (which is not installed here) and reports it, in PRTG's form.
const std::string kMissingSdkPattern =
    "<Prtg>\n<Error>1</Error>\n<Text>RFC error: RfcOpen(Ex)?, RfcLibrary: "
    "(libsapnwrfc\\.so|sapnwrfc\\.dll): [^<]+</Text>\n</Prtg>\n";

// ---------------------------------------------------------------------------
// Bad input: files.

std::vector<E2eCase> BadFileCases() {
  const std::string profile = ProfileText(PrdProfile());
  return {
      // An empty profile has no user line: the first check that fails.
      {.name = "EmptyProfile",
       .args = {"PRD"},
       .files = PrdFilesWithProfile(""),
       .out = kUserMissing,
       .exit = 2},
      // Binary bytes (NUL, CR, LF, 0x1A, 0xFF among them) are read as text
      // lines that match no label.
      {.name = "BinaryProfile",
       .args = {"PRD"},
       .files = PrdFilesWithProfile(AllByteValues()),
       .out = kUserMissing,
       .exit = 2},
      // A NUL byte ends a line's text: the rest of the line is not part of
      // the value, so the system is measured as PRD.
      {.name = "NulBytesEndTheLineText",
       .args = {"PRD"},
       .files = PrdFilesWithProfile(
           ReplaceAll(profile, "Destination: PRD\n", std::string("Destination: PRD\0QAS\n", 21)) +
           std::string("\0\0\0\n", 4)),
       .out = XmlDocument(kPrdAll)},
      // A line of 10,000 characters is read in pieces, none of which is a
      // label; the profile's own lines after it still count.
      {.name = "LineOf10000CharactersInProfile",
       .args = {"PRD"},
       .files = PrdFilesWithProfile(std::string(10000, 'x') + "\n" + profile),
       .out = XmlDocument(kPrdAll)},
      // A value of 10,000 characters is cut to 60: a host that is not known.
      {.name = "ValueOf10000Characters",
       .args = {"PRD"},
       .files = PrdFilesWithProfile(profile + "Hostname...: " + std::string(10000, 'h') + "\n"),
       .out = ErrorDocument("Error 1011: RFC-Open for PRD failed !"),
       .exit = 2},
      // Only LF and CR LF end lines: a CR-only file is one long line.
      {.name = "CrOnlyLineEnds",
       .args = {"PRD"},
       .files = PrdFilesWithProfile(ReplaceAll(profile, "\n", "\r")),
       .out = kUserMissing,
       .exit = 2},
      // A folder where the profile belongs is a profile that is missing.
      {.name = "FolderInPlaceOfTheProfile",
       .args = {"PRD"},
       .files = {RootFile(kHint, "C:\\PRTG\n"), RootDir(kPrtgDir + "PRD.P00")},
       .out = kPrdMissing,
       .exit = 2},
      // A folder in place of the hint file: as without one, the working
      // directory comes first, which is not a sensor folder.
      {.name = "FolderInPlaceOfTheHintFile",
       .args = {"PRD"},
       .files = {RootDir(kHint), WorkFile("PRD.P00", profile)},
       .out = ErrorDocument("Sorry, invalid Path-Usage..."),
       .exit = 2},
      // A folder in place of Quillmark.ini counts as an empty one: PRTG's
      // form and the default library.
      {.name = "FolderInPlaceOfTheSettingsFile",
       .args = {"PRD"},
       .files = Plus(PrdFilesWithProfile(profile), {WorkDir("Quillmark.ini")}),
       .exit = 1,
       .outMatches = kMissingSdkPattern},
      // A folder in place of SapRfc.PRD: the profile's own connection data.
      {.name = "FolderInPlaceOfTheDestinationFile",
       .args = {"PRD"},
       .files = Plus(PrdFilesWithProfile(profile), {WorkDir("SapRfc.PRD")}),
       .out = XmlDocument(kPrdAll),
       .after = {ExpectAbsent(Base::kWork, "SapRfc.ini")}},
      // A folder in place of the listing file: it is missing.
      {.name = "FolderInPlaceOfTheListing",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = Plus(PrdFilesWithProfile(profile), {RootDir(kPrtgDir + "Beaconry.Prf")}),
       .out = ErrorDocument("Error 1002: Profile Beaconry.Prf is missing..."),
       .exit = 2},
      // A binary listing holds no "# Gsng: " line.
      {.name = "BinaryListing",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = Plus(PrdFilesWithProfile(profile),
                     {RootFile(kPrtgDir + "Beaconry.Prf", AllByteValues())}),
       .out = ErrorDocument("Error 1025: Global Server Listing missing..."),
       .exit = 2},
      // Binary bytes and a line of 10,000 characters in Quillmark.ini do not
      // hide the valid line after them.
      {.name = "BinarySettingsFileKeepsItsValidLines",
       .args = {"PRD"},
       .files = Plus(PrdFilesWithProfile(profile),
                     {WorkFile("Quillmark.ini", AllByteValues() + "\n" + std::string(10000, '=') +
                                                    "\nCaller=Zephanor\n")}),
       .out = ZephanorDocument(kPrdAll)},
  };
}

// ---------------------------------------------------------------------------
// Bad input: arguments of 10,000 characters.

std::vector<E2eCase> LongArgumentCases() {
  const std::string longName(10000, 'A');
  const std::string longItem(10000, 'B');
  return {
      // The whole name is reported; no file of that name can exist.
      {.name = "ProfileNameOf10000Characters",
       .args = {longName},
       .files = {RootFile(kHint, "C:\\PRTG\n")},
       .out = ErrorDocument("Error 1002: Profile " + longName + ".P00 is missing..."),
       .exit = 2},
      // An item is cut to 90 characters; naming no channel, the system still
      // counts as processed.
      {.name = "ItemOf10000Characters",
       .args = {"X", "ITEM=" + longItem},
       .files = Plus(PrdFilesWithProfile(ProfileText(PrdProfile())),
                     {RootFile(kPrtgDir + "Beaconry.Prf", "# Gsng: CPU-Usage   PRD.P00#\n")}),
       .out = "\n<Prtg>\n\n\n<Text>(***) " + std::string(90, 'B') +
              ": NoSystems=1, Processed=1, Failed=0</Text>\n\n</Prtg>\n\n"},
      // A filter value of 10,000 characters matches no process.
      {.name = "FilterOf10000Characters",
       .args = {"PRD", "PROC=" + std::string(10000, 'p')},
       .files = PrdFilesWithProfile(ProfileText(PrdProfile())),
       .out = XmlDocument({"(PRD) Active Proc[" + std::string(10000, 'P') +
                               "]: CPU-Usage=0%, CPU-Time=0 Sec, Working-Set=0 MB, Prv-Pages=0 MB",
                           "0", "0", "0", "0", "0"})},
  };
}

class BadInput : public ::testing::TestWithParam<E2eCase> {};

TEST_P(BadInput, Run) { RunCase(Quick(GetParam()), NativeRunnerConfig()); }

INSTANTIATE_TEST_SUITE_P(Files, BadInput, ::testing::ValuesIn(BadFileCases()),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Arguments, BadInput, ::testing::ValuesIn(LongArgumentCases()),
                         [](const auto& info) { return info.param.name; });

// A profile of 100 MB (its valid lines first, then filler lines and one
// 4 MB line) is read to its end within a few seconds. Built here, not in a
// table, so the bytes exist only while this test runs.
TEST(BadInputLarge, ProfileOf100Megabytes) {
  std::string text = ProfileText(PrdProfile());
  const std::string filler = std::string(98, 'y') + "\n";
  text.reserve(105u << 20);
  while (text.size() < (96u << 20)) text += filler;
  text += std::string(4u << 20, 'z');
  std::vector<FileEntry> files = LandscapeFiles(PrdSystem());
  files.push_back(RootFile(kHint, "C:\\PRTG\n"));
  files.push_back(RootFile(kPrtgDir + "PRD.P00", std::move(text)));
  RunCase(Quick({.name = "ProfileOf100Megabytes",
                 .args = {"PRD"},
                 .files = std::move(files),
                 .out = XmlDocument(kPrdAll)}),
          NativeRunnerConfig());
}

// ---------------------------------------------------------------------------
// The time limit (Timeout= in Quillmark.ini), with systems the stand-in
// makes slow (delay_ms before each open and call).

const std::string kTimeout1016 = ErrorDocument("Error 1016: Timeout after 1 seconds !");

// A global run that measures one system after another, with no limit per
// system: what these cases show depends on that order.
const std::string kOneAfterAnother = "Parallel=1\nSystemTimeout=0\n";

// The landscape of PRD, a slow SLO and QAS, with their profiles, and
// Beaconry.Prf over `listing`.
std::vector<FileEntry> SlowLandscapeFiles(const std::string& listing, const std::string& settings) {
  std::vector<FileEntry> files =
      LandscapeFiles(PrdSystem() + "\n[QAS]\nhost = sapqas01\nsysnr = 10\ntop = qas_top.csv\n" +
                     "\n[SLO]\nhost = sapslo01\nsysnr = 40\ntop = prd_top.csv\ndelay_ms = 5000\n");
  files.push_back(RootFile(kHint, "C:\\PRTG\n"));
  files.push_back(WorkFile("Quillmark.ini", settings));
  ProfileFields slow = {.destination = "SLO",
                        .hostname = "sapslo01",
                        .sysnr = "40",
                        .gwhost = "sapslo01",
                        .gwservice = "sapgw40"};
  files = Plus(files, ProfileEverywhere("PRD.P00", ProfileText(PrdProfile())));
  files = Plus(files, ProfileEverywhere("QAS.P00", ProfileText(QasProfile())));
  files = Plus(files, ProfileEverywhere("SLO.P00", ProfileText(slow)));
  files = Plus(files, ProfileEverywhere("Beaconry.Prf", "# Gsng: CPU-Usage   " + listing + "\n"));
  return files;
}

std::vector<E2eCase> TimeLimitCases() {
  const std::string progress = "* hh:mm:ss PRD.P00, sapprd01, PRD, 00, 100 State=Processing\n";
  return {
      // A single run whose system does not answer in time: Error 1016 once
      // the limit has passed, well before the system would answer.
      {.name = "SingleRunEndsWithError1016",
       .args = {"PRD"},
       .files = Plus(PrdFiles("delay_ms = 5000\n"), {WorkFile("Quillmark.ini", "Timeout=1\n")}),
       .out = kTimeout1016,
       .exit = 2,
       .timeout = std::chrono::milliseconds(5000)},
      // The same with progress lines: they stay, the error document follows.
      {.name = "SingleRunWithBannerEndsWithError1016",
       .args = {"PRD", "#"},
       .files = Plus(PrdFiles("delay_ms = 5000\n"), {WorkFile("Quillmark.ini", "Timeout=1\n")}),
       .out = kBanner + progress + "* hh:mm:ss Quillmark - (No Parameters) State=Executing\n" +
              kTimeout1016,
       .exit = 2,
       .timeout = std::chrono::milliseconds(5000)},
      // Timeout=0 turns the limit off (the last valid line wins): the slow
      // system is measured.
      {.name = "TimeoutZeroWaits",
       .args = {"PRD"},
       .files = Plus(PrdFiles("delay_ms = 700\n"),
                     {WorkFile("Quillmark.ini", "Timeout=1\nTimeout=0\n")}),
       .out = XmlDocument(kPrdAll),
       .timeout = std::chrono::milliseconds(15000)},
      // A global run: PRD is measured, the slow system in hand when the
      // limit passes counts as failed, QAS is never taken; the summary ends
      // the document as usual, exit code 0.
      {.name = "GlobalRunEndsWithItsSummary",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = SlowLandscapeFiles("PRD.P00#SLO.P00#QAS.P00#", kOneAfterAnother + "Timeout=2\n"),
       .out = "\n<Prtg>\n\n" + XmlChannel("PRD.P00", "PerCent", "24") +
              "\n<Text>(***) CPU-Usage: NoSystems=2, Processed=1, Failed=1</Text>\n\n</Prtg>\n\n",
       .timeout = std::chrono::milliseconds(6000)},
      // With the banner the slow system's progress line shows the failure.
      {.name = "GlobalRunWithBannerShowsTheSlowSystemFailed",
       .args = {"X", "ITEM=CPU-Usage #"},
       .files = SlowLandscapeFiles("PRD.P00#SLO.P00#QAS.P00#", kOneAfterAnother + "Timeout=2\n"),
       .out = kBanner + "* hh:mm:ss ITEM=CPU-Usage # State=Executing\n\n<Prtg>\n\n" +
              XmlChannel("PRD.P00", "PerCent", "24") +
              "\n* hh:mm:ss PRD.P00, sapprd01, PRD, 00, 100 State=Processed\n"
              "\n* hh:mm:ss SLO.P00, sapslo01, SLO, 40, 100 State=Rfc Failure\n"
              "\n<Text>(***) CPU-Usage: NoSystems=2, Processed=1, Failed=1</Text>\n\n</Prtg>\n\n" +
              kClosingLine,
       .timeout = std::chrono::milliseconds(6000)},
  };
}

class TimeLimit : public ::testing::TestWithParam<E2eCase> {};

TEST_P(TimeLimit, Run) { RunCase(GetParam(), NativeRunnerConfig()); }

INSTANTIATE_TEST_SUITE_P(Runs, TimeLimit, ::testing::ValuesIn(TimeLimitCases()),
                         [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// Runs outside the case table: several at once in one folder, or while this
// test holds a lock, or as another user.

// The scrambled value of a password, from the native password tool (the
// value is the same on every platform).
std::string Scrambled(const std::string& password) {
  ProcessResult r = RunProcess({QUILLMARK_PASSWD_EXE, password}, fs::temp_directory_path(),
                               ControlledEnvironment({}), std::chrono::seconds(10));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return r.out.substr(0, r.out.find('\n'));
}

// Calls a runner's afterCase on destruction.
struct AfterCase {
  std::function<void()> call;
  ~AfterCase() {
    if (call) call();
  }
};

// A case folder of the build under test whose files are written at once
// (password markers are not expanded here: profiles carry Scrambled values).
// Root files lie where that build looks for them (for Quillmark.exe under
// Wine on the prefix's drives) and go again with the folder. The runs use
// the stand-in library, whatever library the runner names: they are about
// the SapRfc.ini that the stand-in reads.
struct Folder {
  RunnerConfig config = ForTarget(NativeRunnerConfig());
  AfterCase afterCase{config.afterCase};  // declared first: runs last
  CaseFolder folder{config.scratch};
  RootCleanup cleanup;

  bool UnderWine() const { return config.build == Build::kWindows; }
  fs::path Resolve(Base base, const std::string& path) const {
    return base == Base::kRoot && config.mapRootPath ? config.mapRootPath(path)
                                                     : folder.Resolve(base, path);
  }
  void Add(const std::vector<FileEntry>& given) {
    // The stand-in is named in Quillmark.ini; a folder there can name none.
    std::vector<FileEntry> files = WithRfcLibrary(given, "standin");
    if (files.size() > given.size()) files.pop_back();
    for (const FileEntry& f : files) {
      if (f.base == Base::kWork && f.path == "Quillmark.ini") settingsAdded_ = true;
      fs::path path = Resolve(f.base, f.path);
      if (f.base == Base::kRoot && config.mapRootPath) cleanup.Remember(path);
      if (f.directory) {
        fs::create_directories(path);
      } else {
        WriteFileBytes(path, f.bytes);
      }
    }
  }
  std::vector<std::string> Environment() const {
    std::vector<std::pair<std::string, std::string>> extra = config.env;
    if (config.setQuillmarkRoot) extra.emplace_back("QUILLMARK_ROOT", folder.root().string());
    return ControlledEnvironment(extra);
  }
  StartedProcess Start(const std::vector<std::string>& args,
                       const std::vector<std::string>& prefix = {}) {
    if (!settingsAdded_) Add({WorkFile("Quillmark.ini", "")});
    std::vector<std::string> argv = prefix;
    argv.insert(argv.end(), config.program.prefix.begin(), config.program.prefix.end());
    argv.push_back(config.program.path);
    argv.insert(argv.end(), args.begin(), args.end());
    return StartProcess(argv, folder.work(), Environment());
  }
  ProcessResult Run(const std::vector<std::string>& args,
                    const std::vector<std::string>& prefix = {}) {
    StartedProcess process = Start(args, prefix);
    return WaitForProcess(process, std::chrono::seconds(15));
  }
  std::vector<std::string> WorkFilesStartingWith(const std::string& prefix) const {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder.work())) {
      std::string name = item.path().filename().string();
      if (name.rfind(prefix, 0) == 0) names.push_back(name);
    }
    return names;
  }

 private:
  bool settingsAdded_ = false;
};

ProfileFields WithPassword(ProfileFields fields, const std::string& scrambled) {
  fields.password = scrambled;
  return fields;
}

// PRD's landscape, hint file and profile, and SapRfc.PRD for the
// connect-string way.
std::vector<FileEntry> PrdConnectStringFiles(const std::string& scrambled) {
  std::vector<FileEntry> files = LandscapeFiles(PrdSystem());
  files.push_back(RootFile(kHint, "C:\\PRTG\n"));
  files.push_back(
      RootFile(kPrtgDir + "PRD.P00", ProfileText(WithPassword(PrdProfile(), scrambled))));
  files.push_back(WorkFile("SapRfc.PRD", "DEST=PRD\nTYPE=A\nASHOST=sapprd01\nSYSNR=00\n"));
  return files;
}

// System k of the stress test: destination DSk, one process row whose
// figures grow with k, reached only through SapRfc.DSk.
struct StressSystem {
  int k;
  std::string Destination() const { return "DS" + std::to_string(k); }
  std::string Landscape() const {
    return "[" + Destination() + "]\nhost = sapd" + std::to_string(k) +
           "\nsysnr = 00\ndelay_ms = 10\ntop = d" + std::to_string(k) + ".csv\n";
  }
  std::string Rows() const {
    return "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n" + Destination() +
           "adm,dw.sap," + std::to_string(k * 1000) + "," + std::to_string(k * 1111) + "," +
           std::to_string(k * 100000) + "," + std::to_string(k * 50000) + "\n";
  }
  std::string SapRfcFile() const {
    return "DEST=" + Destination() + "\nTYPE=A\nASHOST=sapd" + std::to_string(k) + "\nSYSNR=00\n";
  }
  // CPU k*10 %, time k*1111 s (grouped "k.kkk"), working set k*100 MB,
  // private pages k*50 MB; the user holds the destination, so SID = CPU.
  std::string Document() const {
    std::string kk = std::to_string(k);
    std::string cpu = std::to_string(k * 10), time = std::to_string(k * 1111);
    std::string ws = std::to_string(k * 100), pp = std::to_string(k * 50);
    return XmlDocument({"(" + Destination() + ") System-Procs: CPU-Usage=" + cpu +
                            "%, CPU-Time=" + kk + "." + kk + kk + kk + " Sec, Working-Set=" + ws +
                            " MB, Prv-Pages=" + pp + " MB",
                        cpu, cpu, time, ws, pp});
  }
};

// PRTG starts many sensors at once in one folder. Each run rewrites
// SapRfc.ini for its own destination; without the lock a run can open with
// another run's file (and fail or measure the wrong system).
TEST(ConcurrentRuns, FiftyRunsOverFiveDestinationsEachPrintTheirOwnFigures) {
  Folder f;
  const std::string password = Scrambled("Geheim12");
  std::vector<StressSystem> systems;
  std::string landscape;
  for (int k = 1; k <= 5; ++k) {
    StressSystem system{k};
    systems.push_back(system);
    landscape += system.Landscape();
    ProfileFields profile = {.destination = system.Destination(), .password = password};
    f.Add({WorkFile("d" + std::to_string(k) + ".csv", system.Rows()),
           WorkFile("SapRfc." + system.Destination(), system.SapRfcFile()),
           RootFile(kPrtgDir + system.Destination() + ".P00", ProfileText(profile))});
  }
  f.Add({WorkFile("rfcsim.ini", landscape), RootFile(kHint, "C:\\PRTG\n")});

  constexpr int kRuns = 50;
  std::vector<StartedProcess> runs;
  for (int i = 0; i < kRuns; ++i) runs.push_back(f.Start({systems[i % 5].Destination()}));
  int wrong = 0;
  for (int i = 0; i < kRuns; ++i) {
    ProcessResult r = WaitForProcess(runs[i], std::chrono::seconds(60));
    const StressSystem& system = systems[i % 5];
    bool own = r.out == system.Document() && r.exitCode == 0;
    if (!own) ++wrong;
    EXPECT_TRUE(own) << "run " << i << " of " << system.Destination() << " printed:\n"
                     << r.out << "exit code " << r.exitCode << (r.timedOut ? " (killed)" : "")
                     << "\nstandard error:\n"
                     << r.err;
  }
  EXPECT_EQ(wrong, 0);
  // The lock file stays; no temporary file is left behind.
  EXPECT_TRUE(fs::is_regular_file(f.folder.work() / "SapRfc.lck"));
  EXPECT_EQ(f.WorkFilesStartingWith("SapRfc.ini."), std::vector<std::string>{});
}

// While another process holds the lock, a run waits for it only until its
// time limit has passed, without touching SapRfc.ini; once the lock is free
// the same run measures.
TEST(ConcurrentRuns, WaitingForTheLockEndsAtTheTimeLimit) {
  Folder f;
  f.Add(PrdConnectStringFiles(Scrambled("Geheim12")));
  f.Add({WorkFile("Quillmark.ini", "Timeout=1\n")});
  ProgramFileLock lock;
  ASSERT_TRUE(lock.Lock((f.folder.work() / "SapRfc.lck").string()));

  auto begin = std::chrono::steady_clock::now();
  ProcessResult r = f.Run({"PRD"});
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(3));
  EXPECT_EQ(r.out, kTimeout1016) << "standard error:\n" << r.err;
  EXPECT_EQ(r.exitCode, 2) << "standard error:\n" << r.err;
  EXPECT_FALSE(fs::exists(f.folder.work() / "SapRfc.ini"));

  lock.Unlock();
  r = f.Run({"PRD"});
  EXPECT_EQ(r.out, XmlDocument(kPrdAll)) << "standard error:\n" << r.err;
  EXPECT_EQ(r.exitCode, 0) << "standard error:\n" << r.err;
}

// Root reads any file, so these runs go as the unprivileged user 65534. A
// file that cannot be read counts as missing: the profile is not found,
// Quillmark.ini counts as empty, SapRfc.PRD is not used.
TEST(UnreadableFiles, CountAsMissingForAnUnprivilegedUser) {
  const std::vector<std::string> asNobody = {"setpriv", "--reuid=65534", "--regid=65534",
                                             "--clear-groups"};
  if (geteuid() != 0) GTEST_SKIP() << "only root can run the program as another user";
  if (ForTarget(NativeRunnerConfig()).build == Build::kWindows) {
    GTEST_SKIP() << "Wine runs only for the owner of its prefix";
  }
  const std::string password = Scrambled("Geheim12");
  struct Case {
    const char* name;
    Base base;
    std::string unreadable;
    std::vector<FileEntry> extra;
    std::string out;
    int exit;
    bool connectString;  // SapRfc.PRD was used: SapRfc.ini written
  } cases[] = {
      {"profile", Base::kRoot, kPrtgDir + "PRD.P00", {}, kPrdMissing, 2, false},
      {"settings file",
       Base::kWork,
       "Quillmark.ini",
       {WorkFile("Quillmark.ini", "Caller=Zephanor\n")},
       kMissingSdkPattern,
       1,
       true},
      {"destination file", Base::kWork, "SapRfc.PRD", {}, XmlDocument(kPrdAll), 0, false},
      {"hint file", Base::kRoot, kHint, {}, kPrdMissing, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Folder f;
    f.Add(PrdConnectStringFiles(password));
    f.Add(c.extra);
    // The case folder is made for root alone; the other user needs to
    // reach it, and may write in the working directory.
    fs::permissions(f.folder.top(), fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
    fs::permissions(f.folder.work(), fs::perms::all);
    fs::permissions(f.folder.Resolve(c.base, c.unreadable), fs::perms::none);

    ProcessResult r = f.Run({"PRD"}, asNobody);
    if (r.exitCode == 126 || r.exitCode == 127) {
      GTEST_SKIP() << "the other user cannot start the program here: " << r.err;
    }
    if (c.out == kMissingSdkPattern) {
      EXPECT_TRUE(std::regex_match(r.out, std::regex(c.out))) << r.out << "\nstandard error:\n"
                                                              << r.err;
    } else {
      EXPECT_EQ(r.out, c.out) << "standard error:\n" << r.err;
    }
    EXPECT_EQ(r.exitCode, c.exit) << r.err;
    EXPECT_EQ(fs::exists(f.folder.work() / "SapRfc.ini"), c.connectString);
  }
}

}  // namespace
}  // namespace qm::e2e
