#include "run/run.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

// One failure in every form: the error document (exit code 2), the plugin
// status line with its state, the Prometheus document (exit code 0).
TEST(FailureEnding, TheFailureInEveryForm) {
  const std::string message = "Error 1011: RFC-Open for PRD failed !";
  struct Case {
    OutputMode mode;
    std::string text;
    int exitCode;
  } cases[] = {
      {OutputMode::kExeXml,
       "<Prtg>\n<Error>1</Error>\n<Text>Error 1011: RFC-Open for PRD failed !</Text>\n</Prtg>\n",
       2},
      {OutputMode::kQuenrik,
       "<Prtg>\n<Error>1</Error>\n<Text>Error 1011: RFC-Open for PRD failed !</Text>\n</Prtg>\n",
       2},
      {OutputMode::kPlugin, "QUILLMARK CRITICAL - Error 1011: RFC-Open for PRD failed !\n", 2},
      {OutputMode::kPrometheus,
       "# HELP quillmark_up 1 when the system was measured, 0 when it failed (error: the "
       "failure).\n# TYPE quillmark_up gauge\nquillmark_up{error=\"1011\"} 0\n"
       "# HELP quillmark_run_seconds Duration of the sensor run.\n"
       "# TYPE quillmark_run_seconds gauge\nquillmark_run_seconds 0.000\n",
       0},
  };
  // A start in the future reads as no time passed.
  auto start = std::chrono::steady_clock::now() + std::chrono::hours(1);
  for (const Case& c : cases) {
    Ending ending = FailureEnding({c.mode, start}, message);
    EXPECT_EQ(ending.text, c.text) << OutputModeName(c.mode);
    EXPECT_EQ(ending.exitCode, c.exitCode) << OutputModeName(c.mode);
  }
  Ending unknown = FailureEnding({OutputMode::kPlugin, start}, "Sorry, invalid Path-Usage...");
  EXPECT_EQ(unknown.text, "QUILLMARK UNKNOWN - Sorry, invalid Path-Usage...\n");
  EXPECT_EQ(unknown.exitCode, 3);
}

TEST(MayPrintSapRfcLine, NeverInTheWholeDocumentForms) {
  RunSettings run;
  struct Case {
    OutputMode mode;
    bool banner;
    bool prints;
  } cases[] = {
      {OutputMode::kExeXml, false, false},    {OutputMode::kExeXml, true, true},
      {OutputMode::kZephanor, false, true},   {OutputMode::kPlugin, false, false},
      {OutputMode::kPrometheus, true, false},
  };
  for (const Case& c : cases) {
    run.outputMode = c.mode;
    run.showBanner = c.banner;
    EXPECT_EQ(MayPrintSapRfcLine(run), c.prints) << OutputModeName(c.mode);
  }
}

}  // namespace
}  // namespace qm
