#include "run/global_run.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "collect/readings.h"
#include "config/global_listing.h"
#include "config/system_entry.h"
#include "output/document.h"
#include "output/plugin_form.h"
#include "output/prometheus_form.h"
#include "platform/line_reader.h"
#include "platform/platform.h"
#include "rfc/connection.h"
#include "run/rfc_error_handler.h"
#include "run/run.h"
#include "run/startup.h"

namespace qm {
namespace {

constexpr std::size_t kGlobalLineLimit = 199;

using Clock = std::chrono::steady_clock;
using OutputHold = std::unique_lock<std::recursive_mutex>;

// Signalled whenever a listed system changes, under OutputLock(). Never
// destroyed: a given-up worker may still signal after the run returned.
std::condition_variable_any& SystemsChanged() {
  static auto* changed = new std::condition_variable_any;
  return *changed;
}

// What every worker of one run reads, and the structure handles they share.
// Held by each worker, so it lives as long as the last of them.
struct WorkerShared {
  Parameters parameters;
  OutputMode outputMode = OutputMode::kExeXml;
  std::string globalItem;
  bool printSapRfcLine = false;
  RfcAccess rfc;
  RunState* state = nullptr;  // main's, lives until the process ends
};

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

// Reads and checks one listed profile; faults only mark the system failed,
// *error the message of the first.
void ReadListedProfile(std::FILE* stream, const std::string& profileName, SystemEntry* system,
                       bool* systemFailed, std::string* error) {
  LineReader reader(stream);
  ReadSystemEntry(reader, kGlobalLineLimit, EntryPolicy::kMarkFailed, profileName, system,
                  systemFailed, error);
  std::fclose(stream);
  CheckSystemEntry(*system, EntryPolicy::kMarkFailed, profileName, systemFailed, error);
}

// The progress line of a listed system, up to " State=".
std::string ProgressLine(const std::string& entry, const SystemEntry& system) {
  return "* " + LocalTimeOfDay() + " " + entry + ", " + system.hostname + ", " +
         system.destination + ", " + system.sysnr + ", " + system.client;
}

// A worker's turn to report an RFC error: once every earlier system is
// printed. What the system printed so far goes out in front of the report.
class SystemTurn : public ReportTurn {
 public:
  SystemTurn(std::shared_ptr<ListedSystem> system, RunState* state)
      : system_(std::move(system)), state_(state) {}

  bool WaitForTurn(std::string* before) override {
    OutputHold hold(OutputLock());
    SystemsChanged().wait(hold,
                          [&] { return system_->abandoned || state_->pending.front() == system_; });
    if (system_->abandoned) return false;
    system_->reporting = true;
    *before = system_->sapRfcLine;
    if (system_->channel) {
      *before += RenderItemChannel(state_->summaryForm, state_->channels, system_->channel->name,
                                   *system_->channel);
    }
    return true;
  }

 private:
  std::shared_ptr<ListedSystem> system_;
  RunState* state_;
};

// Ends the run with the RFC error report when a step's library work failed.
void ReportLibraryFailure(const StepOutcome& step) {
  if (step.result == StepResult::kLibraryFailure) ReportRfcError(step.failedOperation.c_str());
}

// Sets the system's channel, unless it was given up.
void KeepChannel(ListedSystem& system, std::optional<Channel> channel) {
  OutputHold hold(OutputLock());
  if (!system.abandoned) system.channel = std::move(channel);
}

bool GivenUp(const ListedSystem& system) {
  OutputHold hold(OutputLock());
  return system.abandoned;
}

// Connects and measures one system whose profile is sound; the number of
// its failure, empty when both collection steps succeeded (its item channel
// is then kept).
std::string MeasureSystem(WorkerShared& shared, ListedSystem& listed, const SystemEntry& system,
                          const std::string& itemLabel) {
  RfcAccess& rfc = shared.rfc;
  Clock::time_point openStart = Clock::now();
  RfcHandle connection = OpenRfcConnection(*rfc.library, system, shared.parameters, [&] {
    if (!shared.printSapRfcLine) return;
    OutputHold hold(OutputLock());
    if (!listed.abandoned) listed.sapRfcLine = SapRfcLine(system.destination);
  });
  if (connection == 0) return "1011";
  // A system given up while its open waited goes no further: only its
  // connection is closed.
  std::string error = kTimeLimitError;
  StepOutcome cpu;
  if (!GivenUp(listed)) {
    cpu = CollectCpuAll(rfc, connection);
    ReportLibraryFailure(cpu);
    if (cpu.result == StepResult::kRemoteFailure) error = PrometheusErrorCode(cpu.errorText);
  }
  if (cpu.result == StepResult::kOk && !GivenUp(listed)) {
    ProcessFilter filter = ProcessFilterOf(shared.parameters);
    ProcessOutcome top =
        CollectTopSingle(rfc, connection, MakeRowSelection(filter, system.destination));
    std::uint64_t responseMillis = MillisSince(openStart);
    if (top.rowsComplete) {
      ProcessReadings readings =
          MakeProcessReadings(top.totals, filter, system.destination,
                              ExtraChannelsOf(shared.parameters, responseMillis));
      KeepChannel(listed, ItemChannel(readings, shared.globalItem, itemLabel));
    }
    ReportLibraryFailure(top.step);
    error = top.step.result == StepResult::kOk ? "" : PrometheusErrorCode(top.step.errorText);
  }
  rfc.library->RfcClose(connection);
  return error;
}

// One system's measurement, as a worker takes it up.
struct Job {
  std::shared_ptr<WorkerShared> shared;
  std::shared_ptr<ListedSystem> listed;
  SystemEntry system;
  std::string itemLabel;
};

// Measures one system and records how it ended. A system given up
// meanwhile keeps what the run decided.
void RunJob(const Job& job) {
  SystemTurn turn(job.listed, job.shared->state);
  SetThreadReportTurn(&turn);
  RfcEnvironmentRecord environment{RfcErrorHandlerEntry, nullptr};
  job.shared->rfc.library->RfcEnvironment(&environment);
  std::string error = MeasureSystem(*job.shared, *job.listed, job.system, job.itemLabel);
  SetThreadReportTurn(nullptr);
  OutputHold hold(OutputLock());
  ListedSystem& listed = *job.listed;
  if (!listed.abandoned) {
    listed.finished = true;
    listed.processed = error.empty();
    listed.error = error;
    if (!listed.processed) listed.channel.reset();
  }
  SystemsChanged().notify_all();
}

// The worker threads: started as needed, then kept for the next system, so
// a long listing starts no thread per system. A worker whose system was
// given up comes back only when its call does; the slot goes to a new one.
// Never destroyed: workers live until the process ends. Used under
// OutputLock().
class WorkerPool {
 public:
  static WorkerPool& Get() {
    static auto* pool = new WorkerPool;
    return *pool;
  }

  // Hands the job to an idle worker, or to a new one when none waits. The
  // caller holds OutputLock().
  void Submit(Job job) {
    jobs_.push_back(std::move(job));
    if (idle_ >= jobs_.size()) {
      JobsWaiting().notify_one();
    } else {
      std::thread([this] { Work(); }).detach();
    }
  }

 private:
  static std::condition_variable_any& JobsWaiting() {
    static auto* waiting = new std::condition_variable_any;
    return *waiting;
  }

  void Work() {
    OutputHold hold(OutputLock());
    for (;;) {
      while (jobs_.empty()) {
        ++idle_;
        JobsWaiting().wait(hold);
        --idle_;
      }
      Job job = std::move(jobs_.front());
      jobs_.pop_front();
      hold.unlock();
      RunJob(job);
      hold.lock();
    }
  }

  std::deque<Job> jobs_;
  std::size_t idle_ = 0;
};

// Schedules the listed systems over the workers and prints them in listing
// order. Every member is used under OutputLock().
class Scheduler {
 public:
  Scheduler(RunState& state, Console& console, unsigned parallel, unsigned long systemTimeout)
      : state_(state), console_(console), parallel_(parallel), systemTimeout_(systemTimeout) {}

  // Waits until fewer than `parallel` systems are in hand, giving up systems
  // past their deadline and printing what is finished meanwhile.
  void WaitForSlot(OutputHold& hold) {
    WaitUntil(hold, [&] { return InHand() < parallel_; });
  }

  // Waits until every taken system is printed.
  void WaitForAll(OutputHold& hold) {
    WaitUntil(hold, [&] { return state_.pending.empty(); });
  }

  // Takes the next system: counted from now on, in hand until printed.
  std::shared_ptr<ListedSystem> Take(const std::string& progressLine) {
    auto listed = std::make_shared<ListedSystem>();
    listed->progressLine = progressLine;
    if (systemTimeout_ > 0) listed->deadline = Clock::now() + std::chrono::seconds(systemTimeout_);
    ++state_.counts.systemCount;
    state_.pending.push_back(listed);
    return listed;
  }

  // Prints the finished systems at the front; a worker waiting to report
  // after them may go on.
  void PrintFinished() {
    std::size_t before = state_.pending.size();
    console_.Write(TakeFinishedSystems(state_));
    if (state_.pending.size() != before) SystemsChanged().notify_all();
  }

 private:
  template <typename Done>
  void WaitUntil(OutputHold& hold, Done done) {
    for (;;) {
      GiveUpOverdue();
      PrintFinished();
      if (done()) return;
      Clock::time_point wake = NextDeadline();
      if (wake == Clock::time_point::max()) {
        SystemsChanged().wait(hold);
      } else {
        SystemsChanged().wait_until(hold, wake);
      }
    }
  }

  // The systems taken and not finished: each holds a slot.
  unsigned InHand() const {
    unsigned count = 0;
    for (const auto& listed : state_.pending) count += listed->finished ? 0 : 1;
    return count;
  }

  void GiveUpOverdue() {
    Clock::time_point now = Clock::now();
    for (const auto& listed : state_.pending) {
      if (listed->finished || listed->reporting || listed->deadline > now) continue;
      listed->abandoned = true;
      listed->finished = true;
      listed->processed = false;
      listed->error = kTimeLimitError;
      listed->channel.reset();
      // An abandoned worker's later report is dropped; one waiting for its
      // turn learns of it now.
      SystemsChanged().notify_all();
    }
  }

  Clock::time_point NextDeadline() const {
    Clock::time_point next = Clock::time_point::max();
    for (const auto& listed : state_.pending) {
      if (!listed->finished && !listed->reporting && listed->deadline < next) {
        next = listed->deadline;
      }
    }
    return next;
  }

  RunState& state_;
  Console& console_;
  unsigned parallel_;
  unsigned long systemTimeout_;
};

// Prints the banner lines and the document opening. From the opening on, the
// time limit ends the run with the summary, so the state learns of it while
// standard output is still held.
void PrintRunStart(const RunSettings& run, Console& console, RunState& state) {
  OutputHold hold(OutputLock());
  state.summaryForm = MakeOutputForm(run.outputMode, run.parameters);
  state.globalItem = run.globalItem;
  state.showBanner = run.showBanner;
  state.filterLabel = FilterLabel(ProcessFilterOf(run.parameters));
  if (run.showBanner) {
    console.Write(run.bannerLine + "\n");
    console.Write("* " + run.startTime + " " + GlobalDisplayText(run.parameters.rawText) +
                  " State=Executing\n");
  }
  // The plugin and Prometheus forms print their document whole at the end.
  if (!IsWholeDocumentForm(run.outputMode)) {
    console.Write(RenderGlobalOpening(state.summaryForm) + "\n");
  }
  state.documentOpened = true;
}

std::shared_ptr<WorkerShared> MakeWorkerShared(const RunSettings& run, const RfcAccess& rfc,
                                               RunState& state) {
  auto shared = std::make_shared<WorkerShared>();
  shared->parameters = run.parameters;
  shared->outputMode = run.outputMode;
  shared->globalItem = run.globalItem;
  shared->printSapRfcLine = MayPrintSapRfcLine(run);
  shared->rfc = rfc;
  shared->state = &state;
  return shared;
}

}  // namespace

std::string GlobalSummaryText(const RunState& state) {
  const GlobalCounts& counts = state.counts;
  const HeldDocument& held = state.held;
  std::string summary = "(***) " + state.globalItem +
                        ": NoSystems=" + std::to_string(counts.systemCount) +
                        ", Processed=" + std::to_string(counts.processedCount) +
                        ", Failed=" + std::to_string(counts.failedCount);
  switch (state.summaryForm.mode) {
    case OutputMode::kPlugin:
      return PluginStatusLine(
          GlobalRunState(state.violated, counts.processedCount, counts.failedCount, state.timedOut),
          summary + ThresholdMarkers(state.violated), held.channels);
    case OutputMode::kPrometheus:
      return RenderPrometheusGlobal(held.itemReading, held.channels, held.up,
                                    MillisSince(state.start));
    default:
      break;
  }
  std::string text =
      RenderGlobalClosing(state.summaryForm,
                          PrtgMessageText(state.summaryForm, summary, state.violated)) +
      "\n";
  if (state.showBanner) {
    text += "\n* " + LocalTimeOfDay() + " SAP " + kProgramName + " now processed...\n";
  }
  return text;
}

int GlobalExitCode(const RunState& state) {
  if (state.summaryForm.mode != OutputMode::kPlugin) return kExitOk;
  return static_cast<int>(GlobalRunState(state.violated, state.counts.processedCount,
                                         state.counts.failedCount, state.timedOut));
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
  std::shared_ptr<WorkerShared> shared = MakeWorkerShared(run, rfc, state);
  Scheduler scheduler(state, console, run.parallel, run.systemTimeoutSeconds);
  RfcEnvironmentRecord environment{RfcErrorHandlerEntry, nullptr};

  // The listing is walked as it is read again: any size, one entry held.
  ListingEntries listing(run);
  std::string entry;
  while (listing.Next(&entry)) {
    std::FILE* stream = OpenForReading(run.profileDirectory + entry);
    OutputHold hold(OutputLock());
    if (stream == nullptr) {
      // A profile that cannot be opened: counted in NoSystems only.
      ++state.counts.systemCount;
      continue;
    }
    scheduler.WaitForSlot(hold);
    // In hand while its profile is read, in case reading takes long. Every
    // listed profile starts from an empty entry, so a profile that lacks a
    // line fails instead of using the previous system's value.
    SystemEntry system;
    std::shared_ptr<ListedSystem> listed = scheduler.Take(ProgressLine(entry, system));
    hold.unlock();
    bool systemFailed = false;
    std::string profileError;
    ReadListedProfile(stream, entry, &system, &systemFailed, &profileError);
    // Not connected when its profile failed: logging on with a wrong
    // password on every interval can lock the monitoring user.
    if (systemFailed) rfc.library->RfcEnvironment(&environment);
    std::string itemLabel = ItemLabelFor(run.listingKeyType, entry, system);
    hold.lock();
    listed->progressLine = ProgressLine(entry, system);
    listed->destination = system.destination;
    listed->itemLabel = itemLabel;
    if (systemFailed) {
      listed->finished = true;
      listed->error = PrometheusErrorCode(profileError);
      scheduler.PrintFinished();
      continue;
    }
    WorkerPool::Get().Submit({shared, listed, system, itemLabel});
  }
  OutputHold hold(OutputLock());
  scheduler.WaitForAll(hold);
  console.TakeForEnd();
  console.Write(GlobalSummaryText(state));
  return GlobalExitCode(state);
}

}  // namespace qm
