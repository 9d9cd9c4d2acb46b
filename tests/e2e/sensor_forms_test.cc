// End-to-end cases of measuring one SAP system with thresholds
// (WARN.NAME=RANGE, CRIT.NAME=RANGE), the opt-in channels (EXTRA=), and the
// two forms for other monitoring systems: the plugin form's status line and
// exit code (Caller=Plugin), and the Prometheus text format
// (Caller=Prometheus), whose documents a parser of the format must accept.
// The readings are those of sap_fixtures.h; PRD has 10 process rows, 2 of
// them of the user sapadm. Response times and run durations are masked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"
#include "exposition_parser.h"
#include "sap_fixtures.h"

namespace qm::e2e {
namespace {

using namespace sap;

// A channel of the XML form with `after` behind its value (limits, warning).
std::string XmlChannelWith(const std::string& name, const std::string& unit,
                           const std::string& value, const std::string& after) {
  std::string text = "\n<Result><Channel>" + name + "</Channel>";
  if (!unit.empty()) text += "\n<Unit>Custom</Unit>\n<CustomUnit>" + unit + "</CustomUnit>";
  return text + "\n<Value>" + value + "</Value>" + after + "</Result>\n";
}

std::string Limit(const std::string& element, const std::string& value) {
  return "\n<" + element + ">" + value + "</" + element + ">";
}

const std::string kLimitMode = "\n<LimitMode>1</LimitMode>";
const std::string kWarning = "\n<Warning>1</Warning>";

// The XML document of PRD's five readings with what each channel carries
// behind its value, then `extra` channels.
std::string XmlDocumentWith(const Readings& r, const std::string& message,
                            const std::vector<std::string>& after, const std::string& extra = "") {
  return "\n<Prtg>\n\n<Text>" + message + "</Text>\n" +
         XmlChannelWith("CPU-Usage", "PerCent", r.cpuUsage, after[0]) +
         XmlChannelWith("SID-Usage", "PerCent", r.sidUsage, after[1]) +
         XmlChannelWith("CPU-Time", "CpuTime", r.cpuTime, after[2]) +
         XmlChannelWith("Working-Set", "MByte", r.workingSet, after[3]) +
         XmlChannelWith("Private Pages", "MByte", r.privatePages, after[4]) + extra + "\n</Prtg>\n";
}

// The opt-in channels of PRD (`processes` rows) in each form.
std::string XmlExtras(const std::string& processes) {
  return XmlChannelWith("Processes", "", processes, "") +
         XmlChannel("Response Time", "TimeResponse", kMaskedDuration);
}

// A form's document of `r` with the opt-in channels added behind the five.
std::string DocumentWithExtras(const std::string& mode, const Readings& r,
                               const std::string& processes) {
  std::string document = Document(mode, r);
  std::string extras;
  if (mode == "Zephanor") {
    extras = ZephanorChannel("Processes", "Processes", "#", processes) +
             ZephanorChannel("Response_Time", "Response Time", "mSec", kMaskedDuration);
  } else if (mode == "Quenrik") {
    extras = "\n> Processes: " + processes + " #\n> Response Time: " + kMaskedDuration + " mSec";
  } else {
    return document.insert(document.size() - std::string("\n</Prtg>\n").size(),
                           XmlExtras(processes));
  }
  return document.insert(document.size() - 1, extras);
}

// The five ranges of every form: CPU 24 > 20 and SID 22 < 30 violated,
// TIME and WSET within theirs, PRIV 956 inside 900 to 1000 violated.
const std::string kEveryRangeForm =
    "WARN.CPU=20 CRIT.SID=30: WARN.TIME=~:2000000 CRIT.WSET=1000:2000 WARN.PRIV=^900:1000";

// Checks that the output is a document of the text exposition format.
void ExpectExposition(const std::string& out) {
  test::Exposition parsed = test::ParseExposition(out);
  EXPECT_TRUE(parsed.ok) << parsed.error << "\n" << out;
  EXPECT_FALSE(parsed.samples.empty());
}

// ---------------------------------------------------------------------------
// PRTG: limits and warnings.

std::vector<E2eCase> PrtgThresholdCases() {
  return Join({
      {
          // Every range form: the limits PRTG reads when it creates the
          // channel, a warning on each violated channel, and the message
          // naming each violated threshold.
          {.name = "EveryRangeForm",
           .args = {"PRD", kEveryRangeForm},
           .files = PrdFiles(),
           .out = XmlDocumentWith(
               kPrdAll, kPrdAll.message + " [WARN.CPU] [CRIT.SID] [WARN.PRIV]",
               {kLimitMode + Limit("LimitMaxWarning", "20") + kWarning,
                kLimitMode + Limit("LimitMinError", "30") + kWarning,
                kLimitMode + Limit("LimitMaxWarning", "2000000"),
                kLimitMode + Limit("LimitMaxError", "2000") + Limit("LimitMinError", "1000"),
                kLimitMode + kWarning})},
          // Ranges the readings keep: limits only; an inside range gives
          // none, and a warning and a critical range of one channel both
          // count.
          {.name = "RangesKept",
           .args = {"PRD", "WARN.CPU=30", "CRIT.CPU=^0:10 crit.priv=900:"},
           .files = PrdFiles(),
           .out = XmlDocumentWith(kPrdAll, kPrdAll.message,
                                  {kLimitMode + Limit("LimitMaxWarning", "30"), "", "", "",
                                   kLimitMode + Limit("LimitMinError", "900")})},
          // A threshold on an opt-in channel brings the channel: Processes
          // at least 1 (kept); a response time inside 0 to an hour always
          // violates.
          {.name = "ThresholdsBringTheirChannels",
           .args = {"PRD", "CRIT.PROCS=1: CRIT.RTIME=^0:3600000"},
           .files = PrdFiles(),
           .out = XmlDocumentWith(
               kPrdAll, kPrdAll.message + " [CRIT.RTIME]", {"", "", "", "", ""},
               XmlChannelWith("Processes", "", "10", kLimitMode + Limit("LimitMinError", "1")) +
                   XmlChannelWith("Response Time", "TimeResponse", kMaskedDuration,
                                  kLimitMode + kWarning))},
          // A malformed range and an unknown NAME end the run before the
          // system is asked (the text as written).
          {.name = "MalformedThreshold",
           .args = {"PRD", "USER=sapadm,warn.cpu=20:10"},
           .files = PrdFiles(),
           .out = ErrorDocument("Error 1031: Invalid Threshold warn.cpu=20:10 found..."),
           .exit = 2},
          {.name = "UnknownThresholdName",
           .args = {"PRD", "CRIT.MEM=5"},
           .files = PrdFiles(),
           .out = ErrorDocument("Error 1031: Invalid Threshold CRIT.MEM=5 found..."),
           .exit = 2},
          {.name = "MalformedExtra",
           .args = {"PRD", "EXTRA=PROCS:CPU"},
           .files = PrdFiles(),
           .out = ErrorDocument("Error 1032: Invalid Extra-Channel EXTRA=PROCS:CPU found..."),
           .exit = 2},
      },
      // The caller products' forms do not change with thresholds.
      InModesWithDocument(
          {.name = "CallerFormsUnchanged", .args = {"PRD", "WARN.CPU=20"}, .files = PrdFiles()},
          kCallerModes, "", kPrdAll),
  });
}

// ---------------------------------------------------------------------------
// The opt-in channels in every form of the caller products and PRTG.

std::vector<E2eCase> ExtraChannelCases() {
  std::vector<E2eCase> cases;
  for (const std::string& mode : kAllModes) {
    E2eCase c = InModes({.name = "ProcessesAndResponseTime",
                         .args = {"PRD", "extra=rtime:procs"},
                         .files = PrdFiles()},
                        {mode})[0];
    c.out = DocumentWithExtras(mode, kPrdAll, "10");
    cases.push_back(c);
  }
  return Join({
      cases,
      {
          // One of them, counted under the filter.
          {.name = "ProcessesOfAUser",
           .args = {"PRD", "USER=sapadm EXTRA=PROCS"},
           .files = PrdFiles(),
           .out = XmlDocumentWith(kPrdSapadm, kPrdSapadm.message, {"", "", "", "", ""},
                                  XmlChannelWith("Processes", "", "2", ""))},
          // Quenrik counts them like the five: CH=6 and CH=7.
          {.name = "QuenrikSelectsChannelSix",
           .args = {"PRD", "CH=6,EXTRA=PROCS:RTIME"},
           .files = Plus(PrdFiles(), {CallerIni("Quenrik")}),
           .out = "10\n"},
          {.name = "QuenrikSelectsChannelSeven",
           .args = {"PRD", "CH=7,EXTRA=PROCS:RTIME"},
           .files = Plus(PrdFiles(), {CallerIni("Quenrik")}),
           .outMatches = "[0-9]+\n"},
      },
  });
}

// ---------------------------------------------------------------------------
// The plugin form: status line, performance data, exit code.

const std::string kPrdPerformance = PluginPerformanceData(kPrdAll);

std::vector<E2eCase> PluginCases() {
  const std::vector<FileEntry> files = Plus(PrdFiles(), {CallerIni("Plugin")});
  return {
      // OK: the message and every channel's performance data; a successful
      // run deletes the trace file; the banner marker prints no line.
      {.name = "PluginOk",
       .args = {"PRD", "#"},
       .files = Plus(files, {WorkFile("Dev_Rfc.Trc", "old\n")}),
       .out = "QUILLMARK OK - " + kPrdAll.message + " | " + kPrdPerformance + "\n",
       .after = {ExpectAbsent(Base::kWork, "Dev_Rfc.Trc")}},
      // WARNING: a violated warning range (exit code 1).
      {.name = "PluginWarning",
       .args = {"PRD", "WARN.CPU=20"},
       .files = files,
       .out = "QUILLMARK WARNING - " + kPrdAll.message + " [WARN.CPU] | 'cpu_usage'=24%;20;;0; " +
              kPrdPerformance.substr(kPrdPerformance.find("'sid_usage'")) + "\n",
       .exit = 1},
      // CRITICAL: every range form, as given, "@" for the inside one.
      {.name = "PluginEveryRangeForm",
       .args = {"PRD", kEveryRangeForm},
       .files = files,
       .out = "QUILLMARK CRITICAL - " + kPrdAll.message +
              " [WARN.CPU] [CRIT.SID] [WARN.PRIV] | 'cpu_usage'=24%;20;;0; "
              "'sid_usage'=22%;;30:;0; 'cpu_time'=1301202s;~:2000000;;0; "
              "'working_set'=1950MB;;1000:2000;0; 'private_pages'=956MB;@900:1000;;0;\n",
       .exit = 2},
      // The opt-in channels under a filter: 2 processes, fewer than 3.
      {.name = "PluginProcessesOfAUser",
       .args = {"PRD", "USER=sapadm EXTRA=PROCS:RTIME WARN.PROCS=3:"},
       .files = files,
       .out = "QUILLMARK WARNING - " + kPrdSapadm.message + " [WARN.PROCS] | " +
              PluginPerformanceData(kPrdSapadm) +
              " 'processes'=2;3:;;0; 'response_time'=" + kMaskedDuration + "ms;;;0;\n",
       .exit = 1},
      // The connect-string way prints no "* SapRfc.Ini" line here.
      {.name = "PluginConnectString",
       .args = {"PRD"},
       .files = Plus(PrdFiles("", {.destination = "PRD", .hostname = "oldhost01"}),
                     {CallerIni("Plugin"),
                      WorkFile("SapRfc.PRD", "DEST=PRD\nTYPE=A\nASHOST=sapprd01\nSYSNR=00\n")}),
       .out = "QUILLMARK OK - " + kPrdAll.message + " | " + kPrdPerformance + "\n"},
  };
}

// ---------------------------------------------------------------------------
// The Prometheus form.

const std::string kPrdLabels = "dest=\"PRD\",filter=\"\"";

std::vector<E2eCase> PrometheusCases() {
  const std::vector<FileEntry> files = Plus(PrdFiles(), {CallerIni("Prometheus")});
  const std::string sapadm = "dest=\"PRD\",filter=\"SAPADM\"";
  return {
      // The five gauges, up and the run's duration; no banner line.
      {.name = "PrometheusDocument",
       .args = {"PRD", "#"},
       .files = files,
       .out = PrometheusDocument(kPrdLabels, kPrdAll),
       .checkOutput = ExpectExposition},
      // The opt-in channels and the filter label; thresholds change
      // nothing (Prometheus alerts by its own rules).
      {.name = "PrometheusOptInChannelsOfAUser",
       .args = {"PRD", "USER=sapadm EXTRA=PROCS:RTIME CRIT.CPU=0"},
       .files = files,
       .out = PrometheusDocument(
           sapadm, kPrdSapadm,
           PrometheusFamily("quillmark_processes") +
               PrometheusSample("quillmark_processes", sapadm, "2") +
               PrometheusFamily("quillmark_response_time_seconds") +
               PrometheusSample("quillmark_response_time_seconds", sapadm, kMaskedDuration)),
       .checkOutput = ExpectExposition},
  };
}

// ---------------------------------------------------------------------------
// Failures in both forms: the plugin form's state (UNKNOWN for the sensor's
// own configuration and the RFC error report, CRITICAL for the system, its
// answer and the time limit), the Prometheus form's error label.

struct Failure {
  std::string name;
  std::vector<std::string> args;
  std::vector<FileEntry> files;
  std::string settings;  // more lines of Quillmark.ini
  std::string message;
  int pluginExit;
  std::string error;  // the Prometheus error label
  bool standInOnly = false;
};

std::vector<Failure> Failures() {
  ProfileFields noUser = PrdProfile(), noPassword = PrdProfile(), shortClient = PrdProfile(),
                invalid = PrdProfile(), wrong = PrdProfile(), noHost = PrdProfile();
  noUser.user = std::nullopt;
  noPassword.password = std::nullopt;
  shortClient.client = "10";
  invalid.password = "x";
  wrong.password = WrongCheckDigitPassword("Geheim12");
  noHost.hostname = "sapxyz01";
  auto failing = [](const std::string& outcome) {
    return PrdFiles("GET_TOP_SINGLE = " + outcome + "\n");
  };
  return {
      {"E1001", {}, {}, "", "Error 1001: Parameter for Profile-Name is missing !", 3, "1001"},
      {"E1002", {"NOPE"}, PrdFiles(), "", "Error 1002: Profile NOPE.P00 is missing...", 3, "1002"},
      {"E1003",
       {"PRD"},
       PrdFiles("", shortClient),
       "",
       "Error 1003: Invalid Parameter(s) at PRD.P00 found...",
       3,
       "1003"},
      {"E1004",
       {"PRD"},
       PrdFiles("", invalid),
       "",
       "Error 1004: Invalid Password in Profile PRD.P00 found...",
       3,
       "1004"},
      {"E1005",
       {"PRD"},
       PrdFiles("", wrong),
       "",
       "Error 1005: Wrong Password in Profile PRD.P00 found...",
       3,
       "1005"},
      {"E1006",
       {"PRD"},
       PrdFiles("", noUser),
       "",
       "Error 1006: Username in Profile PRD.P00 is missing...",
       3,
       "1006"},
      {"E1007",
       {"PRD"},
       PrdFiles("", noPassword),
       "",
       "Error 1007: Password in Profile PRD.P00 is missing...",
       3,
       "1007"},
      {"E1031",
       {"PRD", "CRIT.TIME=x"},
       PrdFiles(),
       "",
       "Error 1031: Invalid Threshold CRIT.TIME=x found...",
       3,
       "1031"},
      {"E1011",
       {"PRD"},
       PrdFiles("", noHost),
       "",
       "Error 1011: RFC-Open for PRD failed !",
       2,
       "1011"},
      {"E1012",
       {"PRD"},
       failing("exception NOT_AUTHORIZED"),
       "",
       "Error 1012: Exception.: NOT_AUTHORIZED - Look for Trace-File",
       2,
       "1012"},
      {"E1013",
       {"PRD"},
       failing("system_exception RFC_ERROR_SYSTEM_FAILURE"),
       "",
       "Error 1013: Sys-Exception raised ! - Look for Trace-File",
       2,
       "1013"},
      {"E1014",
       {"PRD"},
       failing("failure collector not active"),
       "",
       "Error 1014: RFC-Failure raised ! - collector not active",
       2,
       "1014"},
      {"E1015",
       {"PRD"},
       failing("code 7"),
       "",
       "Error 1015: Other Failure raised ! - Look for Trace-File",
       2,
       "1015"},
      {"E1016",
       {"PRD"},
       PrdFiles("delay_ms = 5000\n"),
       "Timeout=1\n",
       "Error 1016: Timeout after 1 seconds !",
       2,
       "1016"},
      // Aborts are the stand-in's own way of failing inside the library.
      {"RfcErrorReport",
       {"PRD"},
       PrdFiles("abort = RfcReceive gateway <x> gone\n"),
       "",
       "RFC error: RfcReceive, RfcReceive: gateway <x> gone",
       3,
       "rfc",
       true},
  };
}

std::vector<E2eCase> FailureCases() {
  std::vector<E2eCase> cases;
  for (const Failure& f : Failures()) {
    E2eCase plugin = {
        .name = "Plugin" + f.name,
        .args = f.args,
        .files = Plus(f.files, {WorkFile("Quillmark.ini", "Caller=Plugin\n" + f.settings)}),
        .out = std::string("QUILLMARK ") + (f.pluginExit == 3 ? "UNKNOWN" : "CRITICAL") + " - " +
               f.message + "\n",
        .exit = f.pluginExit,
        .timeout = std::chrono::milliseconds(5000),
        .standInOnly = f.standInOnly};
    E2eCase prometheus = {
        .name = "Prometheus" + f.name,
        .args = f.args,
        .files = Plus(f.files, {WorkFile("Quillmark.ini", "Caller=Prometheus\n" + f.settings)}),
        .out = PrometheusFailure(f.error),
        .timeout = std::chrono::milliseconds(5000),
        .standInOnly = f.standInOnly,
        .checkOutput = ExpectExposition};
    cases.push_back(plugin);
    cases.push_back(prometheus);
  }
  return cases;
}

// ---------------------------------------------------------------------------

class SensorForms : public ::testing::TestWithParam<E2eCase> {};

TEST_P(SensorForms, Run) { RunCase(GetParam(), TargetRunnerConfig()); }

std::string CaseName(const ::testing::TestParamInfo<E2eCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(PrtgThresholds, SensorForms, ::testing::ValuesIn(PrtgThresholdCases()),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(ExtraChannels, SensorForms, ::testing::ValuesIn(ExtraChannelCases()),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(Plugin, SensorForms, ::testing::ValuesIn(PluginCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Prometheus, SensorForms, ::testing::ValuesIn(PrometheusCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Failures, SensorForms, ::testing::ValuesIn(FailureCases()), CaseName);

// Standard output that cannot take the document (a full disk): the plugin
// form ends UNKNOWN, the Prometheus form with 2; the trace file stays. The
// native build only: the shell that points standard output at /dev/full
// starts the native program.
TEST(SensorFormsUndelivered, ADocumentStandardOutputCannotTake) {
  if (TargetRunnerConfig().build != Build::kNative) GTEST_SKIP() << "native build only";
  RunnerConfig config = NativeRunnerConfig();
  config.program.prefix = {"sh", "-c", "exec \"$0\" \"$@\" > /dev/full"};
  for (const auto& [form, exitCode] :
       {std::pair<std::string, int>{"Plugin", 3}, {"Prometheus", 2}}) {
    RunCase({.name = "Undelivered" + form,
             .args = {"PRD"},
             .files = Plus(PrdFiles(), {CallerIni(form), WorkFile("Dev_Rfc.Trc", "old\n")}),
             .out = "",
             .exit = exitCode,
             .after = {ExpectExists(Base::kWork, "Dev_Rfc.Trc")},
             .build = Build::kNative},
            config);
  }
}

}  // namespace
}  // namespace qm::e2e
