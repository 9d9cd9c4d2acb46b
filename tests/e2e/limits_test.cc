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

class Limits : public ::testing::TestWithParam<E2eCase> {};
TEST_P(Limits, Run) { RunCase(GetParam(), TargetRunnerConfig()); }

std::string CaseName(const ::testing::TestParamInfo<E2eCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Input, Limits, ::testing::ValuesIn(LimitCases()), CaseName);

// A listing of 100,000 entries is walked to its end well within a time
// limit of 10 seconds: every 1,000th entry is PRD.P00 and measured, the
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
           .files = Plus(Plus(PrdFiles(), ProfileEverywhere("Beaconry.Prf", listing)),
                         {WorkFile("Quillmark.ini", "Timeout=10\n")}),
           .out = "\n<Prtg>\n\n" + channels +
                  "\n<Text>(***) CPU-Usage: NoSystems=100000, Processed=100, "
                  "Failed=0</Text>\n\n</Prtg>\n\n",
           .timeout = std::chrono::milliseconds(20000)},
          TargetRunnerConfig());
}

}  // namespace
}  // namespace qm::e2e
