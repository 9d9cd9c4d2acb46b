#include "run/single_run.h"

#include <cstdio>

#include "collect/readings.h"
#include "config/system_entry.h"
#include "output/document.h"
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

// Prints the document of a measured system and ends the run.
int PrintResult(const RunSettings& run, const SystemEntry& entry, const ProcessFilter& filter,
                const ProcessTotals& totals, Console& console) {
  ProcessReadings readings = MakeProcessReadings(totals, filter, entry.destination);
  ChannelCounter counter;
  std::string document = RenderDocument(MakeOutputForm(run.outputMode, run.parameters), counter,
                                        readings.message, readings.channels);
  console.TakeForEnd();
  console.Write(document);
  // A document that did not arrive is no success: the trace file stays.
  if (!console.Delivered()) return kExitError;
  DeleteProgramFile(kTraceFile);
  if (run.showBanner) {
    console.Write("\n* " + LocalTimeOfDay() + " SAP " + kProgramName + " now processed...\n");
  }
  return kExitOk;
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
  if (!ReadProfile(run, &entry, &error)) return ErrorExit(console, error);

  RfcEnvironmentRecord environment{RfcErrorHandlerEntry, nullptr};
  rfc.library->RfcEnvironment(&environment);
  if (run.showBanner) PrintProgressLines(run, entry, console);

  RfcHandle connection = OpenRfcConnection(*rfc.library, entry, run.parameters, [&] {
    if (MayPrintSapRfcLine(run)) console.Write(SapRfcLine(entry.destination));
  });
  if (connection == 0) {
    return ErrorExit(console, "Error 1011: RFC-Open for " + entry.destination + " failed !");
  }
  ProcessFilter filter = ProcessFilterOf(run.parameters);
  ProcessOutcome outcome =
      CollectTopSingle(rfc, connection, MakeRowSelection(filter, entry.destination));
  if (outcome.step.result == StepResult::kLibraryFailure) {
    ReportRfcError(outcome.step.failedOperation.c_str());
  }
  rfc.library->RfcClose(connection);

  if (outcome.step.result == StepResult::kRemoteFailure) {
    return ErrorExit(console, outcome.step.errorText + TraceFileHintText());
  }
  return PrintResult(run, entry, filter, outcome.totals, console);
}

}  // namespace qm
