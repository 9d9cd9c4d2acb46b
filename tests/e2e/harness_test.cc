// Tests of the end-to-end harness itself, with /bin/sh standing in for the
// program: it catches what it must (output and exit codes, hung runs,
// changes below the root).
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "e2e_harness.h"

namespace qm::e2e {

namespace {

RunnerConfig ShellRunner(const std::string& script) {
  RunnerConfig config = NativeRunnerConfig();
  config.rfcLibrary.clear();
  config.program = {{"sh", "-c", script}, "sh"};
  config.timeout = std::chrono::milliseconds(3000);
  return config;
}

TEST(Harness, MasksEveryTimeOfDay) {
  struct {
    const char* text;
    const char* masked;
  } cases[] = {
      {"* 09:41:07 SAP x\n* 23:59:59 y", "* hh:mm:ss SAP x\n* hh:mm:ss y"},
      {"12:34:567", "hh:mm:ss7"},  // the first eight characters form the time
      {"1:23:45 12:3:45 ab:cd:ef", "1:23:45 12:3:45 ab:cd:ef"},  // not two digits each
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(MaskTimesOfDay(c.text), c.masked) << c.text;
}

TEST(Harness, MasksResponseTimesInEveryFormAndTheRunDuration) {
  struct {
    std::string text;
    std::string masked;
  } cases[] = {
      {"<CustomUnit>TimeResponse</CustomUnit>\n<Value>123</Value>",
       "<CustomUnit>TimeResponse</CustomUnit>\n<Value><t></Value>"},
      {"<CustomUnit>MByte</CustomUnit>\n<Value>123</Value>",
       "<CustomUnit>MByte</CustomUnit>\n<Value>123</Value>"},
      {"Message.PRD_P00: PRD.P00 (mSec)\nStatistic.PRD_P00: 7\n",
       "Message.PRD_P00: PRD.P00 (mSec)\nStatistic.PRD_P00: <t>\n"},
      {"Message.X: X (MByte)\nStatistic.X: 7", "Message.X: X (MByte)\nStatistic.X: 7"},
      {"> Response Time: 45 mSec\n> QAS.P00: 0 mSec",
       "> Response Time: <t> mSec\n> QAS.P00: <t> mSec"},
      {"> Processes: 45 #", "> Processes: 45 #"},
      {"'response_time'=17ms;;;0; 'PRD.P00'=3ms;;10;0; 'processes'=10;;;0;",
       "'response_time'=<t>ms;;;0; 'PRD.P00'=<t>ms;;10;0; 'processes'=10;;;0;"},
      {"quillmark_response_time_seconds{dest=\"a b\"} 0.012\nquillmark_run_seconds 1.500\n"
       "quillmark_processes{dest=\"x\"} 10\n",
       "quillmark_response_time_seconds{dest=\"a b\"} <t>\nquillmark_run_seconds <t>\n"
       "quillmark_processes{dest=\"x\"} 10\n"},
      {"# HELP quillmark_run_seconds Duration of the sensor run.\n",
       "# HELP quillmark_run_seconds Duration of the sensor run.\n"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MaskDurations(c.text), c.masked) << c.text;
    EXPECT_EQ(MaskDurations(c.masked), c.masked) << "masked twice: " << c.text;
  }
}

// A runner that names an RFC library puts its line first into the case's
// Quillmark.ini (after a byte-order mark), or writes one.
TEST(Harness, NamesTheRfcLibraryInQuillmarkIni) {
  RunnerConfig config = ShellRunner("cat Quillmark.ini");
  config.rfcLibrary = "/lib/fake.so";
  RunCase({.name = "Added",
           .files = {WorkFile("Quillmark.ini",
                              "\xEF\xBB\xBF"
                              "Caller=Velkira\nRfcLibrary=x\n")},
           .out = "\xEF\xBB\xBF"
                  "RfcLibrary=/lib/fake.so\nCaller=Velkira\nRfcLibrary=x\n"},
          config);
  RunCase({.name = "Created", .out = "RfcLibrary=/lib/fake.so\n"}, config);
}

TEST(Harness, BuildsProfilesAndErrorDocuments) {
  EXPECT_EQ(ProfileText({.extcompany = "EX",
                         .destination = std::nullopt,
                         .client = "100",
                         .user = std::nullopt,
                         .password = "",
                         .language = std::nullopt,
                         .mode = std::nullopt,
                         .hostname = std::nullopt,
                         .sysnr = std::nullopt,
                         .gwhost = std::nullopt,
                         .gwservice = "sapgw00"},
                        "\r\n"),
            "Extcompany.: EX\r\nClient.....: 100\r\nPassword...: \r\nGwservice..: sapgw00\r\n");
  EXPECT_EQ(ErrorDocument("x"), "<Prtg>\n<Error>1</Error>\n<Text>x</Text>\n</Prtg>\n");
}

TEST(Harness, PassesArgumentsFoldersAndAControlledEnvironment) {
  setenv("RFCSIM_LANDSCAPE", "/leaked/from/outside", 1);
  RunCase({.name = "shell",
           .args = {"a b", "{work}"},
           .files = {WorkFile("in.txt", "content"), RootFile("C/x/y.txt", "z")},
           .out = "[a b] ok content z unset 1\n",
           .exit = 3,
           .after = {ExpectContent(Base::kWork, "out.txt", "written"),
                     ExpectAbsent(Base::kWork, "nothing")},
           .env = {{"CASE_VAR", "1"}}},
          ShellRunner("printf '[%s] ' \"$1\"; [ \"$2\" = \"$PWD\" ] && printf 'ok '; "
                      "printf '%s %s %s %s\\n' \"$(cat in.txt)\" "
                      "\"$(cat \"$QUILLMARK_ROOT/C/x/y.txt\")\" \"${RFCSIM_LANDSCAPE:-unset}\" "
                      "\"$CASE_VAR\"; printf written > out.txt; exit 3"));
  unsetenv("RFCSIM_LANDSCAPE");
}

// The failure-expecting macros take no local variables, hence these makers.
E2eCase HungCase() {
  return {.name = "hung", .out = "", .exit = 0, .timeout = std::chrono::milliseconds(300)};
}
E2eCase ExpectsLineCase() { return {.name = "wrong", .out = "expected\n", .exit = 0}; }

TEST(Harness, FailsAHungRunWithinItsTimeLimit) {
  auto start = std::chrono::steady_clock::now();
  EXPECT_FATAL_FAILURE(RunCase(HungCase(), ShellRunner("sleep 30")), "killed after ");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(Harness, FailsOnWrongOutputExitCodeAndChangesBelowTheRoot) {
  EXPECT_NONFATAL_FAILURE(RunCase(ExpectsLineCase(), ShellRunner("echo other")),
                          "MaskVaryingFigures(r.out)");
  EXPECT_NONFATAL_FAILURE(RunCase(ExpectsLineCase(), ShellRunner("echo expected; exit 2")),
                          "r.exitCode");
  EXPECT_NONFATAL_FAILURE(
      RunCase(ExpectsLineCase(), ShellRunner("echo expected; mkdir -p \"$QUILLMARK_ROOT/C\"; : > "
                                             "\"$QUILLMARK_ROOT/C/Dev_Rfc.Trc\"")),
      "created C/Dev_Rfc.Trc");
}

TEST(Harness, MappedDrivesGetTheRootFilesAndLoseThemAfterTheCase) {
  CaseFolder drives(fs::temp_directory_path());
  fs::create_directories(drives.top() / "drive_c");
  RunnerConfig config = ShellRunner("cat \"$1/drive_c/PRTG/x.txt\"");
  config.mapRootPath = [&](const std::string& rel) {
    return drives.top() / ("drive_" + std::string(1, static_cast<char>(std::tolower(rel[0])))) /
           rel.substr(2);
  };
  RunCase({.name = "mapped",
           .args = {drives.top().string()},
           .files = {RootFile("C/PRTG/x.txt", "hint")},
           .out = "hint",
           .exit = 0},
          config);
  EXPECT_TRUE(fs::exists(drives.top() / "drive_c"));
  EXPECT_FALSE(fs::exists(drives.top() / "drive_c" / "PRTG"));
}

E2eCase PatternCase() {
  return {.name = "pattern", .exit = 0, .outMatches = "<Value>[1-9][0-9]*</Value>\n"};
}

TEST(Harness, ComparesOutputWithAPatternWhenGiven) {
  RunCase(PatternCase(), ShellRunner("echo '<Value>42</Value>'"));
  EXPECT_NONFATAL_FAILURE(RunCase(PatternCase(), ShellRunner("echo '<Value>0</Value>'")),
                          "does not match");
}

// With mapped drives the watched folder stands in for root/: a file created
// there fails the case, one in a skipped folder does not.
TEST(Harness, WatchesTheMappedDrivesWithoutTheSkippedFolders) {
  CaseFolder folder(fs::temp_directory_path());
  static fs::path drives;
  drives = folder.top();
  fs::create_directories(drives / "drive_c" / "system");
  static RunnerConfig config;
  config = ShellRunner("touch \"$1/drive_c/system/log\"; [ -z \"$2\" ] || touch \"$2\"");
  config.mapRootPath = [](const std::string& rel) { return drives / "drive_c" / rel.substr(2); };
  config.watchRoot = drives;
  config.watchSkip = {drives / "drive_c" / "system"};
  RunCase({.name = "skipped", .args = {drives.string()}, .out = "", .exit = 0}, config);
  EXPECT_NONFATAL_FAILURE(RunCase({.name = "written",
                                   .args = {drives.string(), (drives / "drive_c" / "x").string()},
                                   .out = "",
                                   .exit = 0},
                                  config),
                          "created drive_c/x");
}

TEST(Harness, ReportsAProcessEndedBySignalAndReadsLargeOutput) {
  RunnerConfig config = ShellRunner("");
  ProcessResult r = RunProcess({"sh", "-c", "head -c 300000 /dev/zero; kill -9 $$"}, config.scratch,
                               ControlledEnvironment({}), config.timeout);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.signal, SIGKILL);
  EXPECT_EQ(r.out.size(), 300000u);
}

TEST(Harness, StartedProcessesRunAtOnceAndEachKeepsItsOwnOutput) {
  RunnerConfig config = ShellRunner("");
  auto begin = std::chrono::steady_clock::now();
  std::vector<StartedProcess> started;
  for (int i = 0; i < 4; ++i) {
    started.push_back(StartProcess({"sh", "-c", "sleep 0.5; echo run" + std::to_string(i)},
                                   config.scratch, ControlledEnvironment({})));
  }
  for (int i = 0; i < 4; ++i) {
    ProcessResult r = WaitForProcess(started[i], config.timeout);
    EXPECT_EQ(r.out, "run" + std::to_string(i) + "\n");
    EXPECT_EQ(r.exitCode, 0);
  }
  // One after another they would take 2 s.
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1500));
}

}  // namespace
}  // namespace qm::e2e
