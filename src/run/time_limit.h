// The run's time limit: a watchdog thread that ends the process once the
// limit has passed since the process start, and the state it reads to know
// how to end it.
#ifndef QUILLMARK_RUN_TIME_LIMIT_H_
#define QUILLMARK_RUN_TIME_LIMIT_H_

#include <chrono>
#include <optional>
#include <string>

#include "output/console.h"
#include "output/sensor_output.h"

namespace qm {

// The counts of a run over a global listing.
struct GlobalCounts {
  unsigned long systemCount = 0;     // systems taken from the listing
  unsigned long processedCount = 0;  // measured with the item found
  unsigned long failedCount = 0;     // profile fault, no connection, failed call
};

// What the run shares with the watchdog. Owned by main; once the watchdog
// runs, every field below `timeoutSeconds` is read and changed only while
// holding OutputLock().
struct RunState {
  // When the process started; the limit counts from here.
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  // The limit in seconds; 0: none.
  unsigned long timeoutSeconds = 0;

  // A global run has printed its document opening: from then on a timeout
  // ends with the summary instead of the error document.
  bool documentOpened = false;
  // What the global run's summary needs: the output form (mode and "CH="
  // selection; its text is not used), the item and the banner switch.
  SensorOutput summaryForm;
  std::string globalItem;
  bool showBanner = false;
  GlobalCounts counts;
  // The progress line (up to " State=") of the system the global run has in
  // hand: taken and counted in systemCount, not yet processed or failed.
  std::optional<std::string> systemInHand;
};

// "Error 1016: Timeout after " + seconds + " seconds !".
std::string TimeoutMessage(unsigned long seconds);

// What ends a run that ran out of time, and its exit code.
struct TimeoutEnding {
  std::string text;
  int exitCode = 0;
};

// The ending for `state`: before a global run's document opening, the error
// document with TimeoutMessage and exit code 2. After it, the system in hand
// counts as failed (with the banner on, its progress line with
// "State=Rfc Failure" is printed first), then the summary, exit code 0.
TimeoutEnding TimeoutEndingFor(const RunState& state);

// Ends the process on the time limit: takes the console for the end (waits
// for good when another ending took it first), writes TimeoutEndingFor(state)
// and ends with its exit code.
[[noreturn]] void EndOnTimeout(const RunState& state, Console& console);

// Starts the watchdog thread that calls EndOnTimeout once state.timeoutSeconds
// have passed since state.start. Does nothing when the limit is 0. state and
// console must live until the process ends.
void StartWatchdog(const RunState& state, Console& console);

}  // namespace qm

#endif  // QUILLMARK_RUN_TIME_LIMIT_H_
