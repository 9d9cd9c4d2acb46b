// The run over a global listing: one reading for every listed system, each
// system counted as processed or failed, then the summary.
#include <cstdio>
#include <mutex>

#include "config/system_entry.h"
#include "platform/line_reader.h"
#include "platform/platform.h"
#include "rfc/connection.h"
#include "rfc/rfc_error.h"
#include "run/run.h"
#include "run/startup.h"

namespace qm {
namespace {

constexpr std::size_t kGlobalLineLimit = 199;

using OutputHold = std::lock_guard<std::recursive_mutex>;

// Takes the entry up to the next "#" from the front of the listing.
std::string TakeListingEntry(std::string& listing) {
  std::size_t end = listing.find('#');
  std::string entry = listing.substr(0, end);
  listing.erase(0, end == std::string::npos ? listing.size() : end + 1);
  return entry;
}

std::string ItemLabelFor(char listingKeyType, const std::string& entry, const SystemEntry& system) {
  switch (listingKeyType) {
    case '2':
      return entry.size() > 4 ? entry.substr(0, entry.size() - 4) : std::string();
    case '3':
      return system.hostname;
    case '4':
      return system.destination;
    default:
      return entry;
  }
}

// Reads and checks one listed profile; faults only mark the system failed.
void ReadListedProfile(std::FILE* stream, const std::string& profileName, SystemEntry* system,
                       bool* systemFailed) {
  std::string unused;
  LineReader reader(stream);
  ReadSystemEntry(reader, kGlobalLineLimit, EntryPolicy::kMarkFailed, profileName, system,
                  systemFailed, &unused);
  std::fclose(stream);
  CheckSystemEntry(*system, EntryPolicy::kMarkFailed, profileName, systemFailed, &unused);
}

// Connects and measures one system whose profile is sound. Returns true when
// both collection steps succeeded.
bool MeasureSystem(RunSettings& run, const SystemEntry& system, ReadingTarget& target,
                   SensorOutput& out, RfcAccess& rfc, Console& console, RunStatus& status) {
  RfcHandle connection =
      OpenRfcConnection(*rfc.library, system, run.parameterText, MayPrintSapRfcLine(run), console);
  if (connection == 0) return false;
  status = RunStatus::kErr;
  CollectCpuAll(rfc, connection, out, status);
  bool measured = status == RunStatus::kOk;
  if (measured) {
    status = RunStatus::kErr;
    CollectTopSingle(rfc, connection, target, out, console, status);
    measured = status == RunStatus::kOk;
  }
  rfc.library->RfcClose(connection);
  return measured;
}

// The progress line of a listed system, up to " State=".
std::string ProgressLine(const std::string& entry, const SystemEntry& system) {
  return "* " + LocalTimeOfDay() + " " + entry + ", " + system.hostname + ", " +
         system.destination + ", " + system.sysnr + ", " + system.client;
}

// Prints the banner lines and the document opening. From the opening on, the
// time limit ends the run with the summary, so the state learns of it while
// standard output is still held.
void PrintRunStart(const RunSettings& run, SensorOutput& out, Console& console, RunState& state) {
  OutputHold hold(OutputLock());
  state.summaryForm = out;
  state.summaryForm.text.clear();
  state.globalItem = run.globalItem;
  state.showBanner = run.showBanner;
  if (run.showBanner) {
    console.Write(run.bannerLine + "\n");
    console.Write("* " + run.startTime + " " + GlobalDisplayText(run.rawParameterText) +
                  " State=Executing\n");
  }
  BeginDocument(out);
  console.Write(out.text + "\n");
  out.text.clear();
  state.documentOpened = true;
}

// A system whose profile cannot be opened: counted in NoSystems only.
void CountSkippedSystem(RunState& state) {
  OutputHold hold(OutputLock());
  ++state.counts.systemCount;
}

// Takes the next system: counted from now on, and in hand until finished.
void TakeSystem(const std::string& progressLine, RunState& state) {
  OutputHold hold(OutputLock());
  ++state.counts.systemCount;
  state.systemInHand = progressLine;
}

void UpdateSystemInHand(const std::string& progressLine, RunState& state) {
  OutputHold hold(OutputLock());
  state.systemInHand = progressLine;
}

// Counts the system in hand as processed or failed and prints its progress
// line, in one hold of standard output.
void FinishSystem(bool processed, const char* shownState, RunState& state, Console& console) {
  OutputHold hold(OutputLock());
  ++(processed ? state.counts.processedCount : state.counts.failedCount);
  if (state.showBanner) console.Write("\n" + *state.systemInHand + " State=" + shownState + "\n");
  state.systemInHand.reset();
}

}  // namespace

std::string GlobalSummaryText(const RunState& state) {
  // Built from an empty text: a failed last system's error text must not
  // land in front of the summary.
  SensorOutput out = state.summaryForm;
  out.text.clear();
  const GlobalCounts& counts = state.counts;
  BeginMessage(out);
  AppendMessageText(out, "(***) " + state.globalItem +
                             ": NoSystems=" + std::to_string(counts.systemCount) +
                             ", Processed=" + std::to_string(counts.processedCount) +
                             ", Failed=" + std::to_string(counts.failedCount));
  EndMessage(out);
  EndDocument(out);
  std::string text = out.text + "\n";
  if (state.showBanner) {
    text += "\n* " + LocalTimeOfDay() + " SAP " + kProgramName + " now processed...\n";
  }
  return text;
}

std::string GlobalDisplayText(const std::string& rawParameterText) {
  std::string text = rawParameterText;
  for (char& c : text) {
    if (c == ':') c = ' ';
  }
  return text.substr(0, text.find(" @"));
}

int RunGlobalListing(RunSettings& run, SensorOutput& out, RfcAccess& rfc, Console& console,
                     RunState& state) {
  run.parameterText = UpperCaseAscii(run.rawParameterText);
  SetOutputForm(out, run.outputMode, run.parameterText, run.rawParameterText);
  PrintRunStart(run, out, console, state);

  std::string listing = run.globalServerListing;
  RfcEnvironmentRecord environment{RfcErrorHandlerEntry, nullptr};
  while (!listing.empty()) {
    std::string entry = TakeListingEntry(listing);
    run.profileName = entry;
    // Every listed profile starts from an empty entry, so a profile that
    // lacks a line fails instead of using the previous system's value.
    SystemEntry system;
    std::FILE* stream = OpenForReading(run.profileDirectory + entry);
    if (stream == nullptr) {
      CountSkippedSystem(state);
      continue;
    }
    // In hand while its profile is read, in case reading takes long.
    TakeSystem(ProgressLine(entry, system), state);
    bool systemFailed = false;
    ReadListedProfile(stream, entry, &system, &systemFailed);
    UpdateSystemInHand(ProgressLine(entry, system), state);

    ReadingTarget target;
    target.destination = system.destination;
    target.parameterText = run.parameterText;
    target.rawParameterText = run.rawParameterText;
    target.globalMode = true;
    target.globalItem = run.globalItem;
    target.itemLabel = ItemLabelFor(run.listingKeyType, entry, system);
    rfc.library->RfcEnvironment(&environment);
    out.text.clear();
    RunStatus status = RunStatus::kErr;
    // A system whose profile failed is not connected: logging on with a
    // wrong password on every interval can lock the monitoring user.
    if (!systemFailed) {
      systemFailed = !MeasureSystem(run, system, target, out, rfc, console, status);
    }

    bool ok = !systemFailed && status == RunStatus::kOk;
    const char* shownState = !ok ? "Rfc Failure" : (target.itemFound ? "Processed" : "Not Found");
    FinishSystem(ok && target.itemFound, shownState, state, console);
  }
  out.text.clear();
  console.TakeForEnd();
  console.Write(GlobalSummaryText(state));
  return kExitOk;
}

}  // namespace qm
