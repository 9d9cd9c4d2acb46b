// The single-system run: one profile, one connection, one result document.
#include <cstdio>

#include "config/system_entry.h"
#include "platform/line_reader.h"
#include "platform/platform.h"
#include "rfc/connection.h"
#include "rfc/rfc_error.h"
#include "run/run.h"

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
  console.Write("* " + time + " " + kProgramName + " - " + SingleDisplayText(run.rawParameterText) +
                " State=Executing\n");
}

}  // namespace

std::string SingleDisplayText(const std::string& rawParameterText) {
  std::string text = rawParameterText;
  text = text.substr(0, text.find('#'));
  text = text.substr(0, text.find('@'));
  if (text == "(Parameters " || text == "(No ") text.clear();
  return text.empty() ? std::string("(No Parameters)") : text;
}

int RunSingleSystem(RunSettings& run, SensorOutput& out, RfcAccess& rfc, Console& console) {
  SystemEntry entry;
  std::string error;
  if (!ReadProfile(run, &entry, &error)) return ErrorExit(out, console, error);

  RfcEnvironmentRecord environment{RfcErrorHandlerEntry, nullptr};
  rfc.library->RfcEnvironment(&environment);
  out.text.clear();
  RunStatus status = RunStatus::kErr;
  if (run.showBanner) PrintProgressLines(run, entry, console);

  RfcHandle connection =
      OpenRfcConnection(*rfc.library, entry, run.parameterText, MayPrintSapRfcLine(run), console);
  if (connection == 0) {
    return ErrorExit(out, console, "Error 1011: RFC-Open for " + entry.destination + " failed !");
  }
  ReadingTarget target;
  target.destination = entry.destination;
  target.parameterText = run.parameterText;
  target.rawParameterText = run.rawParameterText;
  int result = CollectTopSingle(rfc, connection, target, out, console, status);
  rfc.library->RfcClose(connection);

  if (status != RunStatus::kOk) {
    AppendTraceFileHint(out);
    return ErrorExit(out, console, out.text);
  }
  console.TakeForEnd();
  console.Write(out.text);
  DeleteProgramFile(kTraceFile);
  if (run.showBanner) {
    console.Write("\n* " + LocalTimeOfDay() + " SAP " + kProgramName + " now processed...\n");
    return kExitOk;
  }
  return result;
}

}  // namespace qm
