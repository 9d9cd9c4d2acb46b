// The readings a threshold or an opt-in channel names, and the threshold
// ranges of the parameter text ("WARN.NAME=RANGE", "CRIT.NAME=RANGE") in the
// range syntax of the monitoring plugins: "10", "10:", "~:10", "10:20", and
// "^10:20" for an inside range ("@" is a marker of the parameter text).
#ifndef QUILLMARK_CONFIG_THRESHOLDS_H_
#define QUILLMARK_CONFIG_THRESHOLDS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// The seven readings, in the order their channels are written: the five of
// every document, then "Processes" and "Response Time" when asked for.
enum class Reading {
  kCpuUsage,
  kSidUsage,
  kCpuTime,
  kWorkingSet,
  kPrivatePages,
  kProcesses,
  kResponseTime,
};
inline constexpr std::size_t kReadingCount = 7;

// The reading's NAME in threshold keywords: "CPU", "SID", "TIME", "WSET",
// "PRIV", "PROCS", "RTIME".
const char* ThresholdName(Reading reading);

// The reading of a threshold NAME (upper case), or none.
std::optional<Reading> ReadingOfThresholdName(std::string_view name);

// One range. A value alerts when it lies outside [low, high], or, for an
// inside range, when it lies within it (ends included). A missing end is
// infinite.
struct Range {
  bool inside = false;
  std::optional<std::int64_t> low;
  std::optional<std::int64_t> high;
  std::string text;  // the value as written, "^10:20"
};

// Parses a range: an optional "^", then "N", "N:", "~:N", "~:" or "N:M"
// with integers (an optional "-", at most 18 digits) and N <= M. None for
// anything else, the empty text included.
std::optional<Range> ParseRange(std::string_view text);

// True when `value` lies where the range alerts.
bool RangeAlerts(const Range& range, std::uint64_t value);

// The thresholds of a run, per reading; none where no keyword names it.
struct Thresholds {
  std::array<std::optional<Range>, kReadingCount> warning;
  std::array<std::optional<Range>, kReadingCount> critical;

  // A threshold names any reading / this reading.
  bool Any() const;
  bool AnyFor(Reading reading) const;
};

// Which of a reading's thresholds its value violates.
struct Violations {
  bool warning = false;
  bool critical = false;
};
Violations CheckThresholds(const Thresholds& thresholds, Reading reading, std::uint64_t value);

// The thresholds violated over a document (several systems in a global run).
struct ViolatedThresholds {
  std::array<Violations, kReadingCount> byReading;

  void Add(Reading reading, Violations violations);
  bool AnyWarning() const;
  bool AnyCritical() const;
};

}  // namespace qm

#endif  // QUILLMARK_CONFIG_THRESHOLDS_H_
