#include "run/rfc_error_handler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "sample_rfc_error.h"

namespace qm {
namespace {

using testsupport::kSampleReport;
using testsupport::SampleInfo;

// The report is written from inside a library call and ends the process, so
// these run as death tests: the console writes to standard error, and the
// library's close is logged there too.
class StderrConsole : public Console {
 public:
  void Write(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stderr); }
};

void FakeLastError(RfcErrorInfo* info) {
  // The program hands over a zeroed record.
  for (std::size_t i = 0; i < sizeof *info; ++i) {
    if (reinterpret_cast<unsigned char*>(info)[i] != 0) std::fputs("not zeroed\n", stderr);
  }
  *info = SampleInfo();
}

void FakeClose(RfcHandle handle) { std::fprintf(stderr, "[RfcClose %u]", handle); }

struct ReportCase {
  OutputMode mode;
  bool showBanner;
  std::string expected;
};

TEST(ReportRfcErrorDeathTest, PrintsTheReportOrErrorDocumentAndExitsWithCode1) {
  RfcLibrary library{};
  library.RfcLastError = FakeLastError;
  library.RfcClose = FakeClose;
  StderrConsole console;
  const std::string report = kSampleReport;
  const std::string document =
      "<Prtg>\n<Error>1</Error>\n<Text>RFC error: ItGetLine TF_TOP_SINGLE, "
      "RFC_ERROR_COMMUNICATION: partner 'sapprd:sapgw07' not reached</Text>\n</Prtg>\n";
  const ReportCase cases[] = {
      {OutputMode::kExeXml, false, document}, {OutputMode::kExeXml, true, report},
      {OutputMode::kVelkira, false, report},  {OutputMode::kZephanor, false, report},
      {OutputMode::kQuenrik, false, report},  {OutputMode::kHollent, false, report},
  };
  for (const ReportCase& c : cases) {
    RfcErrorReporter reporter{&library, &console, c.mode, c.showBanner};
    InstallRfcErrorReporter(&reporter);
    EXPECT_EXIT(ReportRfcError("ItGetLine TF_TOP_SINGLE"), ::testing::ExitedWithCode(1),
                ::testing::Eq(c.expected + "[RfcClose 0]"))
        << OutputModeName(c.mode) << " banner " << c.showBanner;
  }
  InstallRfcErrorReporter(nullptr);
}

// A global run has printed "\n<Prtg>\n" and channels: the report closes that
// document, so standard output stays one well-formed document for PRTG.
TEST(ReportRfcErrorDeathTest, ClosesAnOpenGlobalDocumentInsteadOfStartingASecond) {
  RfcLibrary library{};
  library.RfcLastError = FakeLastError;
  library.RfcClose = FakeClose;
  StderrConsole console;
  bool documentOpened = true;
  RfcErrorReporter reporter{&library, &console, OutputMode::kExeXml, false, &documentOpened};
  InstallRfcErrorReporter(&reporter);
  EXPECT_EXIT(ReportRfcError("ItCreate TF_CPU_ALL"), ::testing::ExitedWithCode(1),
              ::testing::Eq("<Error>1</Error>\n<Text>RFC error: ItCreate TF_CPU_ALL, "
                            "RFC_ERROR_COMMUNICATION: partner 'sapprd:sapgw07' not "
                            "reached</Text>\n</Prtg>\n[RfcClose 0]"));
  // With the banner on, a person reads the text report as before.
  reporter.showBanner = true;
  EXPECT_EXIT(ReportRfcError("ItCreate TF_CPU_ALL"), ::testing::ExitedWithCode(1),
              ::testing::HasSubstr("RFC error\noperation/code  : ItCreate TF_CPU_ALL\n"));
  InstallRfcErrorReporter(nullptr);
}

// The plugin form reports UNKNOWN, the Prometheus form a document a
// collector reads (exit code 0: the textfile is written); both also when a
// global run's document was opened, as nothing of it was printed yet.
TEST(ReportRfcErrorDeathTest, PluginAndPrometheusFormsReportInTheirForm) {
  RfcLibrary library{};
  library.RfcLastError = FakeLastError;
  library.RfcClose = FakeClose;
  StderrConsole console;
  for (bool opened : {false, true}) {
    RfcErrorReporter reporter{&library, &console, OutputMode::kPlugin, false, &opened};
    InstallRfcErrorReporter(&reporter);
    EXPECT_EXIT(ReportRfcError("RfcOpen"), ::testing::ExitedWithCode(3),
                ::testing::Eq("QUILLMARK UNKNOWN - RFC error: RfcOpen, RFC_ERROR_COMMUNICATION: "
                              "partner 'sapprd:sapgw07' not reached\n[RfcClose 0]"));
    reporter.outputMode = OutputMode::kPrometheus;
    EXPECT_EXIT(ReportRfcError("RfcOpen"), ::testing::ExitedWithCode(0),
                ::testing::ContainsRegex("^# HELP quillmark_up .*\n# TYPE quillmark_up gauge\n"
                                         "quillmark_up\\{error=\"rfc\"\\} 0\n# HELP "
                                         "quillmark_run_seconds .*\nquillmark_run_seconds "
                                         "[0-9]+\\.[0-9]{3}\n\\[RfcClose 0\\]$"));
  }
  InstallRfcErrorReporter(nullptr);
}

TEST(ReportRfcErrorDeathTest, LibraryHandlerEntryReportsTheOperation) {
  RfcLibrary library{};
  library.RfcLastError = FakeLastError;
  library.RfcClose = FakeClose;
  StderrConsole console;
  RfcErrorReporter reporter{&library, &console, OutputMode::kZephanor, false};
  InstallRfcErrorReporter(&reporter);
  RfcErrorHandler handler = RfcErrorHandlerEntry;
  char operation[] = "RfcOpen";
  EXPECT_EXIT(handler(operation), ::testing::ExitedWithCode(1),
              ::testing::HasSubstr("operation/code  : RfcOpen\n"));
  InstallRfcErrorReporter(nullptr);
}

}  // namespace
}  // namespace qm
