#include "run/global_run.h"

#include <cstdio>
#include <mutex>
#include <optional>

#include "collect/readings.h"
#include "config/system_entry.h"
#include "output/document.h"
#include "platform/line_reader.h"
#include "platform/platform.h"
#include "rfc/connection.h"
#include "run/rfc_error_handler.h"
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

std::string ItemLabelFor(ListingKeyType keyType, const std::string& entry,
                         const SystemEntry& system) {
  switch (keyType) {
    case ListingKeyType::kAlias:
      return entry.size() > 4 ? entry.substr(0, entry.size() - 4) : std::string();
    case ListingKeyType::kHost:
      return system.hostname;
    case ListingKeyType::kSid:
      return system.destination;
    case ListingKeyType::kProfile:
      break;
  }
  return entry;
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

// What measuring one system gave.
struct SystemMeasurement {
  bool measured = false;           // both collection steps succeeded
  std::optional<Channel> channel;  // the item channel, when the item names one
};

// Ends the run with the RFC error report when a step's library work failed.
void ReportLibraryFailure(const StepOutcome& step) {
  if (step.result == StepResult::kLibraryFailure) ReportRfcError(step.failedOperation.c_str());
}

// Connects and measures one system whose profile is sound, and prints its
// item channel.
SystemMeasurement MeasureSystem(const RunSettings& run, const SystemEntry& system,
                                const std::string& itemLabel, RfcAccess& rfc,
                                ChannelCounter& counter, Console& console) {
  SystemMeasurement measurement;
  RfcHandle connection = OpenRfcConnection(*rfc.library, system, run.parameters, [&] {
    if (MayPrintSapRfcLine(run)) console.Write(SapRfcLine(system.destination));
  });
  if (connection == 0) return measurement;
  StepOutcome cpu = CollectCpuAll(rfc, connection);
  ReportLibraryFailure(cpu);
  if (cpu.result == StepResult::kOk) {
    ProcessFilter filter = ProcessFilterOf(run.parameters);
    ProcessOutcome top =
        CollectTopSingle(rfc, connection, MakeRowSelection(filter, system.destination));
    if (top.rowsComplete) {
      ProcessReadings readings = MakeProcessReadings(top.totals, filter, system.destination);
      std::optional<Channel> channel = ItemChannel(readings, run.globalItem, itemLabel);
      if (channel) {
        console.Write(RenderItemChannel(MakeOutputForm(run.outputMode, run.parameters), counter,
                                        itemLabel, *channel));
      }
    }
    ReportLibraryFailure(top.step);
    measurement.measured = top.step.result == StepResult::kOk;
  }
  rfc.library->RfcClose(connection);
  return measurement;
}

// The progress line of a listed system, up to " State=".
std::string ProgressLine(const std::string& entry, const SystemEntry& system) {
  return "* " + LocalTimeOfDay() + " " + entry + ", " + system.hostname + ", " +
         system.destination + ", " + system.sysnr + ", " + system.client;
}

// Prints the banner lines and the document opening. From the opening on, the
// time limit ends the run with the summary, so the state learns of it while
// standard output is still held.
void PrintRunStart(const RunSettings& run, Console& console, RunState& state) {
  OutputHold hold(OutputLock());
  state.summaryForm = MakeOutputForm(run.outputMode, run.parameters);
  state.globalItem = run.globalItem;
  state.showBanner = run.showBanner;
  if (run.showBanner) {
    console.Write(run.bannerLine + "\n");
    console.Write("* " + run.startTime + " " + GlobalDisplayText(run.parameters.rawText) +
                  " State=Executing\n");
  }
  console.Write(RenderGlobalOpening(state.summaryForm) + "\n");
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
  const GlobalCounts& counts = state.counts;
  std::string summary = "(***) " + state.globalItem +
                        ": NoSystems=" + std::to_string(counts.systemCount) +
                        ", Processed=" + std::to_string(counts.processedCount) +
                        ", Failed=" + std::to_string(counts.failedCount);
  std::string text = RenderGlobalClosing(state.summaryForm, summary) + "\n";
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

int RunGlobalListing(RunSettings& run, RfcAccess& rfc, Console& console, RunState& state) {
  PrintRunStart(run, console, state);

  std::string listing = run.globalServerListing;
  RfcEnvironmentRecord environment{RfcErrorHandlerEntry, nullptr};
  ChannelCounter counter;
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

    rfc.library->RfcEnvironment(&environment);
    // A system whose profile failed is not connected: logging on with a
    // wrong password on every interval can lock the monitoring user.
    SystemMeasurement measurement;
    if (!systemFailed) {
      measurement = MeasureSystem(run, system, ItemLabelFor(run.listingKeyType, entry, system), rfc,
                                  counter, console);
    }
    // The readings ran whenever the system was measured, so "Not Found"
    // cannot arise.
    bool ok = !systemFailed && measurement.measured;
    FinishSystem(ok, ok ? "Processed" : "Rfc Failure", state, console);
  }
  console.TakeForEnd();
  console.Write(GlobalSummaryText(state));
  return kExitOk;
}

}  // namespace qm
