// End-to-end cases of input that must never outlast the time limit nor be
// taken for more than it is: special files in place of the program's input
// files, a NUL byte in Quillmark.ini, an oversized SapRfc.<DEST>, a listing
// of 100,000 entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"
#include "sap_fixtures.h"

namespace qm::e2e {
namespace {

using namespace sap;

const std::string kSapRfcPrd = "DEST=PRD\nTYPE=A\nASHOST=sapprd01\nSYSNR=00\n";

std::vector<E2eCase> LimitCases() {
  // More than the 1 MB a destination file may have.
  std::string oversized = kSapRfcPrd;
  while (oversized.size() <= 1024 * 1024) oversized += "* filler line of a file that grew\n";
  return {
      // A NUL byte ends a line's text in Quillmark.ini as in every text file.
      {.name = "NulEndsTheCallerLine",
       .args = {"PRD"},
       .files = Plus(PrdFiles(),
                     {WorkFile("Quillmark.ini", std::string("Caller=Zephanor\0 junk\n", 22))}),
       .out = ZephanorDocument(kPrdAll)},
      {.name = "NulEndsTheTimeoutLine",
       .args = {"PRD"},
       .files = Plus(PrdFiles("delay_ms = 5000\n"),
                     {WorkFile("Quillmark.ini", std::string("Timeout=1\0x\n", 12))}),
       .out = ErrorDocument("Error 1016: Timeout after 1 seconds !"),
       .exit = 2,
       .timeout = std::chrono::milliseconds(5000)},
      // A destination file beyond 1 MB is not copied: no connection, and
      // neither SapRfc.ini nor a temporary copy is left.
      {.name = "OversizedDestinationFile",
       .args = {"PRD"},
       .files = Plus(PrdFiles(), {WorkFile("SapRfc.PRD", oversized)}),
       .out = ErrorDocument("Error 1011: RFC-Open for PRD failed !"),
       .exit = 2,
       .after = {ExpectAbsent(Base::kWork, "SapRfc.ini")}},
      // A destination file of exactly 1 MB is still one.
      {.name = "DestinationFileOfOneMegabyte",
       .args = {"PRD"},
       .files = Plus(PrdFiles(),
                     {WorkFile("SapRfc.PRD",
                               kSapRfcPrd + std::string(1024 * 1024 - kSapRfcPrd.size(), '*'))}),
       .out = XmlDocument(kPrdAll)},
  };
}

// The missing-SDK report: a Quillmark.ini that cannot be read names no
// library, so the run looks for the SDK, which is not installed here.
const std::string kMissingSdk =
    "<Prtg>\n<Error>1</Error>\n<Text>RFC error: RfcOpen(Ex)?, RfcLibrary: "
    "(libsapnwrfc\\.so|sapnwrfc\\.dll): [^<]+</Text>\n</Prtg>\n";
const std::string kNoProfileName =
    ErrorDocument("Error 1001: Parameter for Profile-Name is missing !");
constexpr std::chrono::milliseconds kAtOnce{6000};

// Special files in place of the program's input files: opened only when
// regular, so none of them can hold the run up or fill its memory.
std::vector<E2eCase> SpecialFileCases() {
  std::vector<E2eCase> cases;
  const std::pair<std::string, FileEntry> settings[] = {
      {"Fifo", WorkFifo("Quillmark.ini")},
      {"EndlessFile", WorkLink("Quillmark.ini", "/dev/zero")},
  };
  for (const auto& [kind, file] : settings) {
    // Counts as missing: Error 1001 at once without arguments ...
    cases.push_back({.name = kind + "SettingsFileWithoutArguments",
                     .files = {file},
                     .out = kNoProfileName,
                     .exit = 2,
                     .timeout = kAtOnce});
    // ... and with a profile the run goes on as without the file: no
    // RfcLibrary= line, so the SDK is looked for.
    cases.push_back({.name = kind + "SettingsFile",
                     .args = {"PRD"},
                     .files = Plus(PrdFiles(), {file}),
                     .exit = 1,
                     .timeout = kAtOnce,
                     .outMatches = kMissingSdk});
  }
  // A FIFO SapRfc.PRD counts as missing: the profile's own connection data.
  cases.push_back({.name = "FifoDestinationFile",
                   .args = {"PRD"},
                   .files = Plus(PrdFiles(), {WorkFifo("SapRfc.PRD")}),
                   .out = XmlDocument(kPrdAll),
                   .after = {ExpectAbsent(Base::kWork, "SapRfc.ini")},
                   .timeout = kAtOnce});
  return cases;
}

// A SapRfc.PRD that keeps growing while the run copies it: past 1 MB the
// copy counts as failed, and no temporary copy is left behind.
E2eCase GrowingDestinationFile() {
  return {.name = "GrowingDestinationFile",
          .args = {"PRD"},
          .files = Plus(PrdFiles(), {WorkFile("SapRfc.PRD", kSapRfcPrd)}),
          .out = ErrorDocument("Error 1011: RFC-Open for PRD failed !") + "exit=2 left=\n",
          .after = {ExpectAbsent(Base::kWork, "SapRfc.ini")},
          .timeout = kAtOnce,
          .shell =
              "(while :; do printf '%0999d\\n' 0; done >> SapRfc.PRD) & writer=$!; "
              "while [ \"$(stat -c %s SapRfc.PRD)\" -le 1048576 ]; do sleep 0.01; done; "
              "\"$@\"; status=$?; kill $writer; wait $writer 2>/dev/null; "
              "echo \"exit=$status left=$(ls | grep '^SapRfc\\.ini\\.')\""};
}

// Standard output that cannot take the document: a full disk, or a pipe
// whose reader has gone. Exit code 2 (not a signal), and Dev_Rfc.Trc, which
// a delivered document would have deleted, is kept.
std::vector<E2eCase> LostDocumentCases() {
  const std::string status = "; echo \"exit=$?\"";
  E2eCase base = {.args = {"PRD"},
                  .files = Plus(PrdFiles(), {WorkFile("Dev_Rfc.Trc", "an earlier trace\n")}),
                  .out = "exit=2\n",
                  .after = {ExpectContent(Base::kWork, "Dev_Rfc.Trc", "an earlier trace\n")},
                  .timeout = kAtOnce};
  E2eCase full = base;
  full.name = "StandardOutputOnAFullDisk";
  full.shell = "\"$@\" > /dev/full" + status;
  // The FIFO's only reader is closed before the program starts, so its
  // first write meets a pipe without reader.
  E2eCase closed = base;
  closed.name = "StandardOutputIntoAClosedPipe";
  closed.shell = "mkfifo pipe; exec 4<>pipe 5>pipe 4<&-; rm pipe; \"$@\" >&5" + status;
  E2eCase global = closed;
  global.name = "GlobalRunIntoAClosedPipe";
  global.args = {"X", "ITEM=CPU-Usage"};
  global.files =
      Plus(PrdFiles(), ProfileEverywhere("Beaconry.Prf", "# Gsng: CPU-Usage   PRD.P00#\n"));
  global.after = {};
  return {full, closed, global};
}

// Only a regular Dev_Rfc.Trc is deleted after a delivered document: a
// folder of that name stays.
E2eCase TraceFileFolder() {
  return {.name = "FolderNamedLikeTheTraceFile",
          .args = {"PRD"},
          .files = Plus(PrdFiles(), {WorkDir("Dev_Rfc.Trc")}),
          .out = XmlDocument(kPrdAll),
          .after = {ExpectFolder(Base::kWork, "Dev_Rfc.Trc")}};
}

std::vector<E2eCase> SpecialCases() {
  std::vector<E2eCase> cases = SpecialFileCases();
  cases.push_back(GrowingDestinationFile());
  for (E2eCase& c : LostDocumentCases()) cases.push_back(std::move(c));
  cases.push_back(TraceFileFolder());
  return cases;
}

class Limits : public ::testing::TestWithParam<E2eCase> {};
TEST_P(Limits, Run) { RunCase(GetParam(), TargetRunnerConfig()); }

std::string CaseName(const ::testing::TestParamInfo<E2eCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Input, Limits, ::testing::ValuesIn(LimitCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(SpecialFiles, Limits, ::testing::ValuesIn(SpecialCases()), CaseName);

// A listing of 100,000 entries is walked to its end within the default time
// limit: every 1,000th entry is PRD.P00 and measured, the
// others name profiles that are missing and only count. (Consumed from its
// front, a listing this long took minutes.)
TEST(LongListing, HundredThousandEntriesAreWalkedToTheEnd) {
  std::string listing;
  std::string channels;
  std::string line = "# Gsng: CPU-Usage   ";
  for (int i = 1; i <= 100000; ++i) {
    bool measured = i % 1000 == 0;
    line += measured ? "PRD.P00#" : "M" + std::to_string(i) + ".P00#";
    if (measured) channels += XmlChannel("PRD.P00", "PerCent", "24");
    if (line.size() > 180 || i == 100000) {
      listing += line + "\n";
      line = "# Gsng: CPU-Usage   ";
    }
  }
  RunCase({.name = "HundredThousandEntries",
           .args = {"X", "ITEM=CPU-Usage"},
           .files = Plus(PrdFiles(), ProfileEverywhere("Beaconry.Prf", listing)),
           .out = "\n<Prtg>\n\n" + channels +
                  "\n<Text>(***) CPU-Usage: NoSystems=100000, Processed=100, "
                  "Failed=0</Text>\n\n</Prtg>\n\n",
           .timeout = std::chrono::milliseconds(60000)},
          TargetRunnerConfig());
}

}  // namespace
}  // namespace qm::e2e
