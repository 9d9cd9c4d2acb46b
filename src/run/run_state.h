// What a run shares with the watchdog of its time limit: when it started, the
// limit, and how far a global run has come.
#ifndef QUILLMARK_RUN_RUN_STATE_H_
#define QUILLMARK_RUN_RUN_STATE_H_

#include <chrono>
#include <optional>
#include <string>

#include "output/document.h"

namespace qm {

// The counts of a run over a global listing.
struct GlobalCounts {
  unsigned long systemCount = 0;     // systems taken from the listing
  unsigned long processedCount = 0;  // measured with the item found
  unsigned long failedCount = 0;     // profile fault, no connection, failed call
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
  // What the global run's summary needs: the output form, the item and the
  // banner switch.
  OutputForm summaryForm;
  std::string globalItem;
  bool showBanner = false;
  GlobalCounts counts;
  // The progress line (up to " State=") of the system the global run has in
  // hand: taken and counted in systemCount, not yet processed or failed.
  std::optional<std::string> systemInHand;
};

}  // namespace qm

#endif  // QUILLMARK_RUN_RUN_STATE_H_
