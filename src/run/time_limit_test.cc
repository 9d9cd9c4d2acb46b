#include "run/time_limit.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>

namespace qm {
namespace {

std::string MaskTimes(const std::string& text) {
  return std::regex_replace(text, std::regex("[0-9]{2}:[0-9]{2}:[0-9]{2}"), "hh:mm:ss");
}

// A global run's state after its opening: PRD processed, MIS skipped, QAS
// in hand.
RunState GlobalStateWithSystemInHand(OutputMode mode, bool banner) {
  RunState state;
  state.timeoutSeconds = 2;
  state.documentOpened = true;
  state.summaryForm.mode = mode;
  state.globalItem = "CPU-Usage";
  state.showBanner = banner;
  state.counts = {3, 1, 0};
  auto qas = std::make_shared<ListedSystem>();
  qas->progressLine = "* 10:11:12 QAS.P00, sapqas01, QAS, 10, 100";
  state.pending.push_back(qas);
  return state;
}

TEST(TimeoutEndingFor, BeforeAGlobalOpeningIsTheErrorDocumentInEveryMode) {
  for (OutputMode mode : {OutputMode::kExeXml, OutputMode::kZephanor, OutputMode::kQuenrik}) {
    RunState state = GlobalStateWithSystemInHand(mode, true);
    state.documentOpened = false;
    state.timeoutSeconds = 50;
    TimeoutEnding ending = TimeoutEndingFor(state);
    EXPECT_EQ(ending.text,
              "<Prtg>\n<Error>1</Error>\n<Text>Error 1016: Timeout after 50 seconds !</Text>\n"
              "</Prtg>\n");
    EXPECT_EQ(ending.exitCode, 2);
  }
}

TEST(TimeoutEndingFor, AfterTheOpeningTheSystemInHandFailsAndTheSummaryFollows) {
  struct Case {
    const char* name;
    OutputMode mode;
    bool banner;
    bool inHand;
    std::string text;
  } cases[] = {
      {"xml, no banner", OutputMode::kExeXml, false, true,
       "\n<Text>(***) CPU-Usage: NoSystems=3, Processed=1, Failed=1</Text>\n\n</Prtg>\n\n"},
      {"xml, banner: the system's line, the summary, the closing line", OutputMode::kExeXml, true,
       true,
       "\n* hh:mm:ss QAS.P00, sapqas01, QAS, 10, 100 State=Rfc Failure\n"
       "\n<Text>(***) CPU-Usage: NoSystems=3, Processed=1, Failed=1</Text>\n\n</Prtg>\n\n"
       "\n* hh:mm:ss SAP Quillmark now processed...\n"},
      {"between two systems nothing more fails", OutputMode::kHollent, true, false,
       "\n<Text>(***) CPU-Usage: NoSystems=3, Processed=1, Failed=0</Text>\n\n</Prtg>\n\n"
       "\n* hh:mm:ss SAP Quillmark now processed...\n"},
      {"text form", OutputMode::kZephanor, false, true,
       "\n# (***) CPU-Usage: NoSystems=3, Processed=1, Failed=1\n\n"},
  };
  for (const Case& c : cases) {
    RunState state = GlobalStateWithSystemInHand(c.mode, c.banner);
    if (!c.inHand) state.pending.clear();
    TimeoutEnding ending = TimeoutEndingFor(state);
    EXPECT_EQ(MaskTimes(ending.text), c.text) << c.name;
    EXPECT_EQ(ending.exitCode, 0) << c.name;
  }
}

// Systems measured at once: what finished before the limit prints in
// listing order as it finished, what is still in hand fails, whatever
// order the workers finished in.
TEST(TimeoutEndingFor, WithWorkersTheSystemsPrintInListingOrder) {
  RunState state;
  state.documentOpened = true;
  state.summaryForm.mode = OutputMode::kQuenrik;
  state.globalItem = "CPU-Usage";
  state.showBanner = true;
  state.counts = {4, 0, 0};
  state.channels.count = 1;  // one channel already printed
  auto add = [&](const char* line, bool finished, bool processed, const char* value) {
    auto listed = std::make_shared<ListedSystem>();
    listed->progressLine = line;
    listed->finished = finished;
    listed->processed = processed;
    if (value != nullptr) listed->channel = Channel{line, value, "PerCent"};
    state.pending.push_back(listed);
  };
  add("A", false, false, nullptr);  // still in hand: fails
  add("B", true, true, "20");       // finished while A was in hand
  add("C", true, false, nullptr);   // failed
  add("D", false, false, nullptr);
  state.pending[0]->sapRfcLine = "* SapRfc.Ini.......: A<\n";
  EXPECT_EQ(MaskTimes(TimeoutEndingFor(state).text),
            "* SapRfc.Ini.......: A<\n\nA State=Rfc Failure\n"
            "\n> B: 20 %\nB State=Processed\n"
            "\nC State=Rfc Failure\n"
            "\nD State=Rfc Failure\n"
            "\n# (***) CPU-Usage: NoSystems=4, Processed=1, Failed=3\n\n"
            "\n* hh:mm:ss SAP Quillmark now processed...\n");
}

// The plugin and Prometheus forms print their document whole: before a
// global opening the failure of Error 1016, after it the systems so far
// with the one in hand failed; the plugin form's state is CRITICAL.
TEST(TimeoutEndingFor, PluginAndPrometheusFormsEndWithTheirWholeDocument) {
  auto globalState = [](OutputMode mode) {
    RunState state;
    state.timeoutSeconds = 50;
    state.documentOpened = true;
    state.summaryForm = MakeOutputForm(mode, ParseParameters("WARN.CPU=10"));
    state.globalItem = "CPU-Usage";
    state.counts = {2, 0, 0};
    auto prd = std::make_shared<ListedSystem>();
    prd->finished = prd->processed = true;
    prd->channel = Channel{"PRD.P00", "24", "PerCent", Reading::kCpuUsage, 24};
    prd->destination = "PRD";
    prd->itemLabel = "PRD.P00";
    auto qas = std::make_shared<ListedSystem>();
    qas->destination = "QAS";
    qas->itemLabel = "QAS.P00";
    state.pending = {prd, qas};
    return state;
  };
  RunState plugin = globalState(OutputMode::kPlugin);
  TimeoutEnding ending = TimeoutEndingFor(plugin);
  EXPECT_EQ(ending.text,
            "QUILLMARK CRITICAL - (***) CPU-Usage: NoSystems=2, Processed=1, Failed=1 [WARN.CPU] "
            "| 'PRD.P00'=24%;10;;0;\n");
  EXPECT_EQ(ending.exitCode, 2);

  RunState prometheus = globalState(OutputMode::kPrometheus);
  ending = TimeoutEndingFor(prometheus);
  EXPECT_EQ(std::regex_replace(ending.text, std::regex("run_seconds [0-9.]+"), "run_seconds S"),
            "# HELP quillmark_cpu_usage_percent Processor share of the matching processes, percent "
            "of one processor, summed.\n# TYPE quillmark_cpu_usage_percent gauge\n"
            "quillmark_cpu_usage_percent{dest=\"PRD\",filter=\"\",item=\"PRD.P00\"} 24\n"
            "# HELP quillmark_up 1 when the system was measured, 0 when it failed (error: the "
            "failure).\n# TYPE quillmark_up gauge\n"
            "quillmark_up{dest=\"PRD\",filter=\"\",item=\"PRD.P00\",error=\"\"} 1\n"
            "quillmark_up{dest=\"QAS\",filter=\"\",item=\"QAS.P00\",error=\"1016\"} 0\n"
            "# HELP quillmark_run_seconds Duration of the sensor run.\n"
            "# TYPE quillmark_run_seconds gauge\nquillmark_run_seconds S\n");
  EXPECT_EQ(ending.exitCode, 0);

  // Before the opening: the failure of the time limit in the form.
  plugin.documentOpened = prometheus.documentOpened = false;
  ending = TimeoutEndingFor(plugin);
  EXPECT_EQ(ending.text, "QUILLMARK CRITICAL - Error 1016: Timeout after 50 seconds !\n");
  EXPECT_EQ(ending.exitCode, 2);
  ending = TimeoutEndingFor(prometheus);
  EXPECT_NE(ending.text.find("\nquillmark_up{error=\"1016\"} 0\n"), std::string::npos);
  EXPECT_EQ(ending.exitCode, 0);
}

TEST(TimeoutEndingFor, AGlobalRunWithoutListedSystemsStillSummarizes) {
  RunState state;
  state.documentOpened = true;
  state.globalItem = "SID-Usage";
  EXPECT_EQ(TimeoutEndingFor(state).text,
            "\n<Text>(***) SID-Usage: NoSystems=0, Processed=0, Failed=0</Text>\n\n</Prtg>\n\n");
}

// The watchdog and the endings race for standard output; these run in a
// child process since they end it.
TEST(WatchdogDeathTest, EndsTheProcessWithTheTimeoutEndingOnceTheLimitHasPassed) {
  EXPECT_EXIT(
      {
        static RunState state;
        static StdoutConsole console;
        state.start = std::chrono::steady_clock::now() - std::chrono::seconds(5);
        state.timeoutSeconds = 1;
        StartWatchdog(state, console);
        std::this_thread::sleep_for(std::chrono::seconds(20));
        std::_Exit(9);
      },
      ::testing::ExitedWithCode(2), "");
}

TEST(WatchdogDeathTest, AnEndingThatTookTheConsoleFirstKeepsItsExitCode) {
  EXPECT_EXIT(
      {
        static RunState state;
        static StdoutConsole console;
        state.timeoutSeconds = 1;
        state.start = std::chrono::steady_clock::now() - std::chrono::seconds(5);
        console.TakeForEnd();  // the normal end, before the watchdog fires
        StartWatchdog(state, console);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        FlushAndExit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(WatchdogDeathTest, NoLimitEndsNothing) {
  EXPECT_EXIT(
      {
        static RunState state;
        static StdoutConsole console;
        state.timeoutSeconds = 0;
        state.start = std::chrono::steady_clock::now() - std::chrono::hours(1);
        StartWatchdog(state, console);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        FlushAndExit(5);
      },
      ::testing::ExitedWithCode(5), "");
}

// The limit may change after the watchdog started (the settings file is
// read after it): a longer one postpones the end, 0 turns it off, one that
// has passed already ends the run at once.
TEST(WatchdogDeathTest, FollowsTheLimitInForce) {
  EXPECT_EXIT(
      {
        static RunState state;
        static StdoutConsole console;
        state.start = std::chrono::steady_clock::now();
        SetTimeLimit(state, 1);
        StartWatchdog(state, console);
        SetTimeLimit(state, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // past the first limit
        SetTimeLimit(state, 1);                                        // passed already
        std::this_thread::sleep_for(std::chrono::seconds(20));
        FlushAndExit(9);
      },
      ::testing::ExitedWithCode(2), "");
}

}  // namespace
}  // namespace qm
