// What a run shares with the watchdog of its time limit and with the workers
// of a global run: when it started, the limit, and how far a global run has
// come.
#ifndef QUILLMARK_RUN_RUN_STATE_H_
#define QUILLMARK_RUN_RUN_STATE_H_

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "config/thresholds.h"
#include "output/channel.h"
#include "output/document.h"

namespace qm {

// The counts of a run over a global listing.
struct GlobalCounts {
  unsigned long systemCount = 0;     // systems taken from the listing
  unsigned long processedCount = 0;  // measured with the item found
  unsigned long failedCount = 0;     // profile fault, no connection, failed call
};

// One listed system of a global run, from the moment it is taken until it
// is printed. Its worker fills it; what it prints is kept here, so systems
// measured at once still print in listing order.
struct ListedSystem {
  // The progress line up to " State=".
  std::string progressLine;
  // "* SapRfc.Ini.......: DEST<\n" when opened by destination (and printed).
  std::string sapRfcLine;
  // The item channel, when the system was measured and the item names one.
  std::optional<Channel> channel;
  // Its destination and item label (the Prometheus form's labels), and the
  // number of its failure as PrometheusErrorCode gives it ("1011", ...,
  // "1016" when given up), empty while it has none.
  std::string destination;
  std::string itemLabel;
  std::string error;
  // Done: processed or failed. Abandoned systems count as finished, failed.
  bool finished = false;
  bool processed = false;
  // Given up at its SystemTimeout: whatever its worker does later is dropped.
  bool abandoned = false;
  // Its worker is reporting an RFC error and ends the process once every
  // earlier system is printed: it is never abandoned then.
  bool reporting = false;
  // When it is given up; max() without a SystemTimeout.
  std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};

// The failure's number of a system given up at its own or the run's time
// limit (as Error 1016).
inline constexpr char kTimeLimitError[] = "1016";

// What the systems printed so far add to a global run's document in a form
// printed whole at its end (plugin, Prometheus).
struct HeldDocument {
  // Plugin: the item channels' performance data, separated by blanks.
  // Prometheus: the item channels' samples.
  std::string channels;
  // Prometheus: the systems' quillmark_up samples.
  std::string up;
  // The reading of the item channels, once one is held.
  std::optional<Reading> itemReading;
  // Prometheus: the label sets taken, so a series never repeats (two
  // profiles of one destination under ",Sid").
  std::set<std::string> series;
};

// Owned by main; once the watchdog runs, every field below `timeoutSeconds`
// is read and changed only while holding OutputLock().
struct RunState {
  // When the process started; the limit counts from here.
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  // The limit in seconds; 0: none.
  unsigned long timeoutSeconds = 0;

  // A global run has printed its document opening: from then on a timeout
  // ends with the summary instead of the error document.
  bool documentOpened = false;
  // What the global run's output needs: the output form, the item and the
  // banner switch, and the channels written so far (in listing order).
  OutputForm summaryForm;
  std::string globalItem;
  bool showBanner = false;
  ChannelCounter channels;
  GlobalCounts counts;
  // The filter as the message text shows it (the Prometheus form's label).
  std::string filterLabel;
  // The thresholds the printed systems' item channels violated.
  ViolatedThresholds violated;
  // The whole-document forms' document so far.
  HeldDocument held;
  // The time limit ended the run.
  bool timedOut = false;
  // The systems taken and not yet printed, in listing order.
  std::deque<std::shared_ptr<ListedSystem>> pending;
};

// What a finished system prints: its SapRfc line, its channel and, with the
// banner, its progress line with "State=Processed" or "State=Rfc Failure";
// counts it and notes the thresholds its channel violates. In the plugin and
// Prometheus forms it prints nothing: its channel (and Prometheus' up
// sample) go to state.held.
std::string FinishedSystemText(const ListedSystem& system, RunState& state);

// What a system taken but not finished prints when the run ends: its SapRfc
// line and, with the banner, its progress line with "State=Rfc Failure";
// counts it as failed (error "1016").
std::string UnfinishedSystemText(const ListedSystem& system, RunState& state);

// Takes the finished systems from the front of state.pending and returns
// what they print, in order.
std::string TakeFinishedSystems(RunState& state);

}  // namespace qm

#endif  // QUILLMARK_RUN_RUN_STATE_H_
