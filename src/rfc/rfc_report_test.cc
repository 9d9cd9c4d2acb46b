#include "rfc/rfc_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_names.h"
#include "sample_rfc_error.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

using testsupport::kSampleReport;
using testsupport::SampleInfo;

TEST(PrintField, PadsTheLabelAfterTheIndent) {
  std::string out;
  PrintField(&out, "key", 0, 15, "v");
  PrintField(&out, "key", 2, 5, "");
  PrintField(&out, "a longer label", 0, 4, "x y");
  EXPECT_EQ(out, "key             : v\n  key   : \na longer label : x y\n");
}

TEST(FormatRfcErrorReport, ListsTheFiveFieldsInAlignedColumns) {
  std::string report = FormatRfcErrorReport("ItGetLine TF_TOP_SINGLE", SampleInfo());
  EXPECT_EQ(report, kSampleReport);
  std::istringstream lines(report);
  std::string line;
  int fields = 0;
  while (std::getline(lines, line)) {
    std::size_t at = line.find(" : ");
    if (at == std::string::npos) continue;
    ++fields;
    EXPECT_EQ(at, 15u) << line;  // columns 16 to 18
  }
  EXPECT_EQ(fields, 5);
}

TEST(FormatRfcErrorReport, UnterminatedFieldsAreReadOnlyToTheirEnd) {
  RfcErrorInfo info;
  std::memset(&info, 'k', sizeof info);  // no terminator anywhere
  std::string report = FormatRfcErrorReport("x", info);
  EXPECT_NE(report.find("key             : " + std::string(33, 'k') + "\n"), std::string::npos);
  EXPECT_NE(report.find("message         : " + std::string(256, 'k') + "\n"), std::string::npos);
}

TEST(TraceFileHint, TakesTheLastErrorTextOfTheLastBlock) {
  const std::string longText(100, 'y');
  struct Case {
    const char* name;
    std::string bytes;
    std::string hint;
  } cases[] = {
      {"error line", "ERROR       partner not reached\n", " - partner not reached"},
      {"crlf removed", "**** ERROR file opened at 20240101 120000\r\nERROR       bad\r\n",
       " - bad"},
      {"arrow line", "1234567======> deep text\n", " - deep text"},
      {"last match wins",
       "ERROR       first\n1234567======> second\n**** ERROR x\nERROR       third\nother\n",
       " - third"},
      {"block opened after last error", "ERROR       old\n**** ERROR file opened\n",
       " - Please Check Trace-File !"},
      {"short error line", "ERROR x\n", " - Please Check Trace-File !"},
      {"no error at all", "just text\n", " - Please Check Trace-File !"},
      {"empty file", "", " - Please Check Trace-File !"},
      {"no line end", "ERROR       last", " - last"},
      // A piece takes at most 99 characters: the text is cut there, and
      // the rest of the line is a piece of its own.
      {"long error line", "ERROR       " + longText + "\n", " - " + longText.substr(0, 87)},
      {"error after 99 characters", std::string(99, 'x') + "ERROR       late\n", " - late"},
  };
  for (const Case& c : cases) {
    LineReader reader(c.bytes);
    EXPECT_EQ(TraceFileHint(reader), c.hint) << c.name;
  }
}

TEST(TraceFileHintText, IsTheHintOfTheWorkingDirectoryTraceFile) {
  fs::path previous = fs::current_path();
  fs::path dir = fs::temp_directory_path() /
                 ("qm_trace_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::current_path(dir);

  EXPECT_EQ(TraceFileHintText(), " - Look for Trace-File");

  std::ofstream(kTraceFile, std::ios::binary)
      << "**** ERROR file opened at 20240101 120000\nERROR       "
         "Name or password is incorrect (repeat logon)\n";
  EXPECT_EQ(TraceFileHintText(), " - Name or password is incorrect (repeat logon)");
  EXPECT_TRUE(fs::exists(kTraceFile));  // read only, never removed here

  fs::current_path(previous);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qm
