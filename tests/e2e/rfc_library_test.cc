// End-to-end cases of the RFC library choice (RfcLibrary= in Quillmark.ini):
// an SDK that is missing, broken or lacks a function ends in the RFC error
// report naming the file, never in the stand-in's answers nor in "RFC-Open
// failed"; and a message-server logon (TYPE=B) through the SDK's test
// double. The expected reasons are the Linux loader's texts and the double is
// a Linux library, so those cases are for the native build only.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e_harness.h"
#include "sap_fixtures.h"

namespace qm::e2e {
namespace {

const std::string kProfileDir = "C/Programme/PRTG Network Monitor/Custom Sensors/ExeXml/";

// A landscape in which PRD answers every call with two rows.
const std::string kLandscape =
    "[PRD]\n"
    "host = sapprd01\nsysnr = 0\nmshost = msprd\nr3name = PRD\ngroup = SPACE\n"
    "logon = monitor Geheim12\ntop = prd_top.csv\n";
const std::string kRows =
    "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n"
    "prdadm,dw.sapPRD_DVEBMGS00,1250,\"    1500\",812000,402000\n"
    "root,sshd,250,\"      30\",8000,2000\n";

std::vector<FileEntry> PrdFiles(const std::string& quillmarkIni) {
  return {RootFile(kProfileDir + "PRD.P00",
                   ProfileText({.destination = "PRD", .hostname = "sapprd01"})),
          WorkFile("rfcsim.ini", kLandscape), WorkFile("prd_top.csv", kRows),
          WorkFile("Quillmark.ini", quillmarkIni)};
}

// The RFC error report of an open through an unusable library.
std::string Report(const std::string& message) {
  return sap::RfcErrorReport("RfcOpen", "RfcLibrary", message);
}

std::string ReportDocument(const std::string& message) {
  return ErrorDocument("RFC error: RfcOpen, RfcLibrary: " + message);
}

// One channel element of the result document.
std::string Channel(const std::string& name, const std::string& unit, const std::string& value) {
  return "<Result><Channel>" + name + "</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>" + unit +
         "</CustomUnit>\n<Value>" + value + "</Value></Result>\n\n";
}

// The measurement of PRD: both rows, the first one the system's own.
const std::string kPrdDocument =
    "\n<Prtg>\n\n<Text>(PRD) System-Procs: CPU-Usage=15%, CPU-Time=1.530 Sec, "
    "Working-Set=820 MB, Prv-Pages=404 MB</Text>\n\n" +
    Channel("CPU-Usage", "PerCent", "15") + Channel("SID-Usage", "PerCent", "12") +
    Channel("CPU-Time", "CpuTime", "1530") + Channel("Working-Set", "MByte", "820") +
    Channel("Private Pages", "MByte", "404") + "</Prtg>\n";

std::vector<E2eCase> LibraryCases() {
  const std::string fake = QUILLMARK_NWRFC_FAKE;
  return {
      // No setting, no SDK and no landscape: the missing SDK is reported,
      // not an unreachable system. (These two need the default library, so
      // a runner that names one skips them.)
      {.name = "MissingSdkWithoutLandscape",
       .args = {"PRD"},
       .files = {RootFile(kProfileDir + "PRD.P00", ProfileText({.destination = "PRD"}))},
       .out = ReportDocument(
           "libsapnwrfc.so: cannot open shared object file: No such file or directory"),
       .exit = 1,
       .build = Build::kNative,
       .defaultLibrary = true},
      // Without the setting the SDK is the only choice: a landscape lying in
      // the working directory never answers in its place.
      {.name = "MissingSdkWithALandscapeThere",
       .args = {"PRD"},
       .files = PrdFiles(""),
       .out = ReportDocument(
           "libsapnwrfc.so: cannot open shared object file: No such file or directory"),
       .exit = 1,
       .build = Build::kNative,
       .defaultLibrary = true},
      // The same in a caller mode: the text report.
      {.name = "MissingSdkReportInCallerMode",
       .args = {"PRD"},
       .files = {RootFile(kProfileDir + "PRD.P00", ProfileText({.destination = "PRD"})),
                 WorkFile("PRD.P00", ProfileText({.destination = "PRD"})),
                 WorkFile("Quillmark.ini", "Caller=Velkira\n")},
       .out = Report("libsapnwrfc.so: cannot open shared object file: No such file or directory"),
       .exit = 1,
       .build = Build::kNative,
       .defaultLibrary = true},
      // A named library that is missing: reported, though a landscape
      // would answer.
      {.name = "NamedSdkMissing",
       .args = {"PRD"},
       .files = PrdFiles("RfcLibrary=./nosuch.so\n"),
       .out =
           ReportDocument("./nosuch.so: cannot open shared object file: No such file or directory"),
       .exit = 1,
       .after = {ExpectAbsent(Base::kWork, "Dev_Rfc.Trc")},
       .build = Build::kNative},
      // A file that is no library.
      {.name = "NamedSdkBroken",
       .args = {"PRD", "#"},
       .files =
           [] {
             std::vector<FileEntry> files = PrdFiles("RfcLibrary=./broken.so\n");
             files.push_back(WorkFile("broken.so", "not a library\n"));
             return files;
           }(),
       .out = "* hh:mm:ss SAP Quillmark Vers 4.3 / 29.08.22\n"
              "* hh:mm:ss PRD.P00, sapprd01, PRD, 00, 100 State=Processing\n"
              "* hh:mm:ss Quillmark - (No Parameters) State=Executing\n" +
              Report("./broken.so: file too short"),
       .exit = 1,
       .build = Build::kNative},
      // A library without the SDK's functions.
      {.name = "NamedSdkLacksFunctions",
       .args = {"PRD"},
       .files = PrdFiles("RfcLibrary=libm.so.6\n"),
       .out = ReportDocument("libm.so.6: the function RfcOpenConnection is missing"),
       .exit = 1,
       .build = Build::kNative},
      // "standin" uses the landscape even where an SDK would be found.
      {.name = "StandInByName",
       .args = {"PRD"},
       .files = PrdFiles("RfcLibrary=StandIn\n"),
       .out = kPrdDocument,
       .exit = 0},
      // A message-server logon: SapRfc.PRD has a TYPE=B entry, which the
      // SDK's test double resolves through the landscape's mshost, r3name
      // and group. (The stand-in knows only TYPE=A.)
      {.name = "MessageServerLogonThroughSdk",
       .args = {"PRD"},
       .files =
           [&] {
             std::vector<FileEntry> files = PrdFiles("RfcLibrary=" + fake + "\n");
             files.push_back(WorkFile("SapRfc.PRD",
                                      "DEST=PRD\r\nTYPE=B\r\nMSHOST=msprd\r\nR3NAME=PRD\r\n"
                                      "GROUP=SPACE\r\n"));
             return files;
           }(),
       .out = kPrdDocument,
       .exit = 0,
       .after = {ExpectAbsent(Base::kWork, "Dev_Rfc.Trc")},
       .build = Build::kNative},
      // The wrong logon group: the open fails, and the SDK's message is
      // left in the trace file.
      {.name = "MessageServerWrongGroup",
       .args = {"PRD"},
       .files =
           [&] {
             std::vector<FileEntry> files = PrdFiles("RfcLibrary=" + fake + "\n");
             files.push_back(WorkFile("SapRfc.PRD",
                                      "DEST=PRD\nTYPE=B\nMSHOST=msprd\nR3NAME=PRD\n"
                                      "GROUP=BATCH\n"));
             return files;
           }(),
       .out = ErrorDocument("Error 1011: RFC-Open for PRD failed !"),
       .exit = 2,
       .build = Build::kNative},
  };
}

class RfcLibrary : public ::testing::TestWithParam<E2eCase> {};

TEST_P(RfcLibrary, Run) { RunCase(GetParam(), NativeRunnerConfig()); }

std::string CaseName(const ::testing::TestParamInfo<E2eCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Choice, RfcLibrary, ::testing::ValuesIn(LibraryCases()), CaseName);

// "standin" loads the stand-in's library from the program's own folder; a
// copy of the program in a folder without it reports the library as missing,
// as a missing SDK is reported, instead of opening anything.
TEST(StandInLibrary, MissingBesideTheProgramIsReported) {
  RunnerConfig config = ForTarget(NativeRunnerConfig());
  if (config.build == Build::kWindows) GTEST_SKIP() << "the Linux loader's text";
  CaseFolder bin(config.scratch);
  fs::path program = bin.top() / "quillmark";
  fs::copy_file(config.program.path, program);
  config.program.path = program.string();
  config.rfcLibrary = "standin";
  std::string library = (bin.top() / "librfcsim.so").string();
  RunCase(
      {.name = "StandInMissing",
       .args = {"PRD"},
       .files = {WorkFile("PRD.P00", ProfileText({.destination = "PRD"})),
                 WorkFile("Quillmark.ini", "Caller=Velkira\n"), WorkFile("rfcsim.ini", kLandscape)},
       .out = Report(library + ": cannot open shared object file: No such file or directory"),
       .exit = 1},
      config);
}

}  // namespace
}  // namespace qm::e2e
