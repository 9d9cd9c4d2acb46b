#include "run/single_run.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "collect/readings.h"
#include "config/system_entry.h"
#include "output/document.h"
#include "output/plugin_form.h"
#include "output/prometheus_form.h"
#include "platform/file_names.h"
#include "platform/line_reader.h"
#include "platform/platform.h"
#include "rfc/connection.h"
#include "rfc/rfc_report.h"
#include "run/rfc_error_handler.h"
#include "run/run.h"
#include "run/startup.h"

namespace qm {
namespace {

constexpr std::size_t kSingleLineLimit = 99;

// Reads and checks the open profile, then closes it.
bool ReadProfile(RunSettings& run, SystemEntry* entry, std::string* error) {
  bool failed = false;
  LineReader reader(run.profileStream);
  bool ok = ReadSystemEntry(reader, kSingleLineLimit, EntryPolicy::kStopRun, run.profileName, entry,
                            &failed, error);
  std::fclose(run.profileStream);
  run.profileStream = nullptr;
  return ok && CheckSystemEntry(*entry, EntryPolicy::kStopRun, run.profileName, &failed, error);
}

void PrintProgressLines(const RunSettings& run, const SystemEntry& entry, Console& console) {
  std::string time = LocalTimeOfDay();
  console.Write(run.bannerLine + "\n");
  console.Write("* " + time + " " + run.profileName + ", " + entry.hostname + ", " +
                entry.destination + ", " + entry.sysnr + ", " + entry.client +
                " State=Processing\n");
  console.Write("* " + time + " " + kProgramName + " - " +
                SingleDisplayText(run.parameters.rawText) + " State=Executing\n");
}

// The document of a measured system in the run's form, and its exit code.
Ending ResultEnding(const RunSettings& run, const std::string& destination,
                    const ProcessFilter& filter, const ProcessReadings& readings) {
  OutputForm form = MakeOutputForm(run.outputMode, run.parameters);
  switch (run.outputMode) {
    case OutputMode::kPlugin: {
      PluginDocument document =
          RenderPluginDocument(form.thresholds, readings.message, readings.channels);
      return {document.text, static_cast<int>(document.state)};
    }
    case OutputMode::kPrometheus:
      return {RenderPrometheusDocument(PrometheusLabels(destination, FilterLabel(filter), nullptr),
                                       readings.channels, MillisSince(run.processStart)),
              kExitOk};
    default: {
      ChannelCounter counter;
      return {RenderDocument(form, counter, readings.message, readings.channels), kExitOk};
    }
  }
}

// Prints the document of a measured system and ends the run.
int PrintResult(const RunSettings& run, const std::string& destination, const ProcessFilter& filter,
                const ProcessReadings& readings, Console& console) {
  Ending ending = ResultEnding(run, destination, filter, readings);
  console.TakeForEnd();
  console.Write(ending.text);
  // A document that did not arrive is no success: the trace file stays.
  if (!console.Delivered()) return kExitError;
  DeleteProgramFile(kTraceFile);
  if (run.showBanner) {
    console.Write("\n* " + LocalTimeOfDay() + " SAP " + kProgramName + " now processed...\n");
  }
  return ending.exitCode;
}

}  // namespace

std::string SingleDisplayText(const std::string& rawParameterText) {
  std::string text = rawParameterText;
  text = text.substr(0, text.find('#'));
  text = text.substr(0, text.find('@'));
  if (text == "(Parameters " || text == "(No ") text.clear();
  return text.empty() ? std::string("(No Parameters)") : text;
}

int RunSingleSystem(RunSettings& run, RfcAccess& rfc, Console& console) {
  SystemEntry entry;
  std::string error;
  if (!ReadProfile(run, &entry, &error)) return ErrorExit(console, FailureFormOf(run), error);

  RfcEnvironmentRecord environment{RfcErrorHandlerEntry, nullptr};
  rfc.library->RfcEnvironment(&environment);
  if (run.showBanner) PrintProgressLines(run, entry, console);

  // The response time runs from the start of the open to the end of the
  // last remote call.
  auto openStart = std::chrono::steady_clock::now();
  RfcHandle connection = OpenRfcConnection(*rfc.library, entry, run.parameters, [&] {
    if (MayPrintSapRfcLine(run)) console.Write(SapRfcLine(entry.destination));
  });
  if (connection == 0) {
    return ErrorExit(console, FailureFormOf(run),
                     "Error 1011: RFC-Open for " + entry.destination + " failed !");
  }
  ProcessFilter filter = ProcessFilterOf(run.parameters);
  ProcessOutcome outcome =
      CollectTopSingle(rfc, connection, MakeRowSelection(filter, entry.destination));
  std::uint64_t responseMillis = MillisSince(openStart);
  if (outcome.step.result == StepResult::kLibraryFailure) {
    ReportRfcError(outcome.step.failedOperation.c_str());
  }
  rfc.library->RfcClose(connection);

  if (outcome.step.result == StepResult::kRemoteFailure) {
    return ErrorExit(console, FailureFormOf(run), outcome.step.errorText + TraceFileHintText());
  }
  ProcessReadings readings = MakeProcessReadings(outcome.totals, filter, entry.destination,
                                                 ExtraChannelsOf(run.parameters, responseMillis));
  return PrintResult(run, entry.destination, filter, readings, console);
}

}  // namespace qm
