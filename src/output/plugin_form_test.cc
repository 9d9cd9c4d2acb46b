#include "output/plugin_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/parameters.h"

namespace qm {
namespace {

Channel ChannelOf(Reading reading, std::uint64_t amount) {
  return Channel{"", std::to_string(amount), "", reading, amount};
}

const std::vector<Channel> kSeven = {
    ChannelOf(Reading::kCpuUsage, 24),      ChannelOf(Reading::kSidUsage, 22),
    ChannelOf(Reading::kCpuTime, 1301202),  ChannelOf(Reading::kWorkingSet, 1950),
    ChannelOf(Reading::kPrivatePages, 956), ChannelOf(Reading::kProcesses, 10),
    ChannelOf(Reading::kResponseTime, 37),
};

const char kMessage[] = "(PRD) System-Procs: CPU-Usage=24%";

TEST(RenderPluginDocument, StateAndMarkersFromTheThresholdsPerformanceDataOfEveryChannel) {
  struct Case {
    const char* parameters;
    std::string expected;
    PluginState state;
  } cases[] = {
      {"",
       "QUILLMARK OK - (PRD) System-Procs: CPU-Usage=24% | 'cpu_usage'=24%;;;0; "
       "'sid_usage'=22%;;;0; 'cpu_time'=1301202s;;;0; 'working_set'=1950MB;;;0; "
       "'private_pages'=956MB;;;0; 'processes'=10;;;0; 'response_time'=37ms;;;0;\n",
       PluginState::kOk},
      // Ranges as written, "@" for an inside one; not violated.
      {"WARN.CPU=~:30 CRIT.CPU=^100:200 WARN.PROCS=5: CRIT.RTIME=1000",
       "QUILLMARK OK - (PRD) System-Procs: CPU-Usage=24% | 'cpu_usage'=24%;~:30;@100:200;0; "
       "'sid_usage'=22%;;;0; 'cpu_time'=1301202s;;;0; 'working_set'=1950MB;;;0; "
       "'private_pages'=956MB;;;0; 'processes'=10;5:;;0; 'response_time'=37ms;;1000;0;\n",
       PluginState::kOk},
      // A violated warning.
      {"WARN.SID=20",
       "QUILLMARK WARNING - (PRD) System-Procs: CPU-Usage=24% [WARN.SID] | 'cpu_usage'=24%;;;0; "
       "'sid_usage'=22%;20;;0; 'cpu_time'=1301202s;;;0; 'working_set'=1950MB;;;0; "
       "'private_pages'=956MB;;;0; 'processes'=10;;;0; 'response_time'=37ms;;;0;\n",
       PluginState::kWarning},
      // A critical one wins; every violated threshold is named, in the
      // readings' order, a warning before a critical one.
      {"CRIT.RTIME=10 WARN.CPU=10 CRIT.CPU=20 WARN.TIME=^1:",
       "QUILLMARK CRITICAL - (PRD) System-Procs: CPU-Usage=24% [WARN.CPU] [CRIT.CPU] "
       "[WARN.TIME] [CRIT.RTIME] | 'cpu_usage'=24%;10;20;0; 'sid_usage'=22%;;;0; "
       "'cpu_time'=1301202s;@1:;;0; 'working_set'=1950MB;;;0; 'private_pages'=956MB;;;0; "
       "'processes'=10;;;0; 'response_time'=37ms;;10;0;\n",
       PluginState::kCritical},
  };
  for (const Case& c : cases) {
    PluginDocument document =
        RenderPluginDocument(ParseParameters(c.parameters).thresholds, kMessage, kSeven);
    EXPECT_EQ(document.text, c.expected) << c.parameters;
    EXPECT_EQ(document.state, c.state) << c.parameters;
  }
}

TEST(PluginStatusLine, KeepsToOneLineAndUtf8) {
  EXPECT_EQ(PluginStatusLine(PluginState::kUnknown, "a|b\nc\rd \xE4", ""),
            "QUILLMARK UNKNOWN - a?b?c?d \xC3\xA4\n");
  EXPECT_EQ(PluginStatusLine(PluginState::kOk, "m", "'x'=1;;;0;"),
            "QUILLMARK OK - m | 'x'=1;;;0;\n");
}

// A global run's labels are item labels: quoted, a quote doubled, "=" kept
// out.
TEST(PerformanceData, QuotesTheLabelAsTheGuidelinesSay) {
  Thresholds thresholds = ParseParameters("WARN.WSET=1:2").thresholds;
  Channel channel = ChannelOf(Reading::kWorkingSet, 7);
  EXPECT_EQ(PerformanceData("PRD.P00", channel, thresholds), "'PRD.P00'=7MB;1:2;;0;");
  EXPECT_EQ(PerformanceData("it's a=b|c", channel, {}), "'it''s a_b?c'=7MB;;;0;");
}

TEST(FailureState, CriticalForTheSystemsFailuresUnknownForTheRest) {
  struct Case {
    const char* message;
    PluginState state;
  } cases[] = {
      {"Error 1001: Parameter for Profile-Name is missing !", PluginState::kUnknown},
      {"Error 1002: Profile PRD.P00 is missing...", PluginState::kUnknown},
      {"Error 1007: Password in Profile PRD.P00 is missing...", PluginState::kUnknown},
      {"Error 1011: RFC-Open for PRD failed !", PluginState::kCritical},
      {"Error 1012: Exception.: NOT_AUTHORIZED - Look for Trace-File", PluginState::kCritical},
      {"Error 1015: Other Failure raised !", PluginState::kCritical},
      {"Error 1016: Timeout after 50 seconds !", PluginState::kCritical},
      {"Error 1024: ProFile Beaconry.Prf is missing...", PluginState::kUnknown},
      {"Error 10x1: ProFile SAP Beaconry.Gbl is missing...", PluginState::kUnknown},
      {"Error 1031: Invalid Threshold WARN.CPU=x found...", PluginState::kUnknown},
      {"Sorry, invalid Path-Usage...", PluginState::kUnknown},
      {"RFC error: RfcOpen, RfcLibrary: not found", PluginState::kUnknown},
      {"Error 10", PluginState::kUnknown},
  };
  for (const Case& c : cases) {
    PluginDocument document = RenderPluginFailure(c.message);
    EXPECT_EQ(document.state, c.state) << c.message;
    EXPECT_EQ(document.text,
              std::string("QUILLMARK ") + PluginStateName(c.state) + " - " + c.message + "\n");
  }
}

TEST(GlobalRunState, WorstOfThresholdsAndFailures) {
  ViolatedThresholds none;
  ViolatedThresholds warned;
  warned.Add(Reading::kCpuUsage, {true, false});
  ViolatedThresholds critical;
  critical.Add(Reading::kCpuUsage, {false, true});
  struct Case {
    const char* name;
    const ViolatedThresholds& violated;
    unsigned long processed;
    unsigned long failed;
    bool timedOut;
    PluginState state;
  } cases[] = {
      {"all processed", none, 3, 0, false, PluginState::kOk},
      {"some failed", none, 2, 1, false, PluginState::kWarning},
      {"all failed", none, 0, 3, false, PluginState::kCritical},
      {"nothing measured", none, 0, 0, false, PluginState::kUnknown},
      {"a warning", warned, 3, 0, false, PluginState::kWarning},
      {"a warning, all but one failed", warned, 1, 2, false, PluginState::kWarning},
      {"a critical threshold beats some failed", critical, 2, 1, false, PluginState::kCritical},
      {"the time limit", none, 3, 0, true, PluginState::kCritical},
      {"the time limit, nothing taken", none, 0, 0, true, PluginState::kCritical},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GlobalRunState(c.violated, c.processed, c.failed, c.timedOut), c.state) << c.name;
  }
}

}  // namespace
}  // namespace qm
