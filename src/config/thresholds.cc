#include "config/thresholds.h"

#include <limits>

namespace qm {
namespace {

constexpr const char* kThresholdNames[kReadingCount] = {"CPU",  "SID",   "TIME", "WSET",
                                                        "PRIV", "PROCS", "RTIME"};

// At most 18 digits, so every number fits 64 bits with room to compare.
constexpr std::size_t kMaxDigits = 18;

std::size_t IndexOf(Reading reading) { return static_cast<std::size_t>(reading); }

// An integer: an optional "-", then 1 to 18 digits, nothing else.
std::optional<std::int64_t> ParseInteger(std::string_view text) {
  bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > kMaxDigits) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

// The value compared with an end of a range; readings never exceed the
// signed range, and a larger one compares as its maximum.
std::int64_t Compared(std::uint64_t value) {
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  return static_cast<std::int64_t>(value > kMax ? kMax : value);
}

}  // namespace

const char* ThresholdName(Reading reading) { return kThresholdNames[IndexOf(reading)]; }

std::optional<Reading> ReadingOfThresholdName(std::string_view name) {
  for (std::size_t i = 0; i < kReadingCount; ++i) {
    if (name == kThresholdNames[i]) return static_cast<Reading>(i);
  }
  return std::nullopt;
}

std::optional<Range> ParseRange(std::string_view text) {
  Range range;
  range.text = std::string(text);
  if (!text.empty() && text.front() == '^') {
    range.inside = true;
    text.remove_prefix(1);
  }
  std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    // "N": from 0 to N.
    range.low = 0;
    range.high = ParseInteger(text);
    if (!range.high) return std::nullopt;
  } else {
    std::string_view start = text.substr(0, colon);
    std::string_view end = text.substr(colon + 1);
    if (start != "~") {
      range.low = ParseInteger(start);
      if (!range.low) return std::nullopt;
    }
    if (!end.empty()) {
      range.high = ParseInteger(end);
      if (!range.high) return std::nullopt;
    }
  }
  if (range.low && range.high && *range.low > *range.high) return std::nullopt;
  return range;
}

bool RangeAlerts(const Range& range, std::uint64_t value) {
  std::int64_t v = Compared(value);
  bool within = (!range.low || v >= *range.low) && (!range.high || v <= *range.high);
  return range.inside ? within : !within;
}

bool Thresholds::Any() const {
  for (std::size_t i = 0; i < kReadingCount; ++i) {
    if (warning[i] || critical[i]) return true;
  }
  return false;
}

bool Thresholds::AnyFor(Reading reading) const {
  return warning[IndexOf(reading)].has_value() || critical[IndexOf(reading)].has_value();
}

Violations CheckThresholds(const Thresholds& thresholds, Reading reading, std::uint64_t value) {
  const std::optional<Range>& warning = thresholds.warning[IndexOf(reading)];
  const std::optional<Range>& critical = thresholds.critical[IndexOf(reading)];
  return Violations{warning && RangeAlerts(*warning, value),
                    critical && RangeAlerts(*critical, value)};
}

void ViolatedThresholds::Add(Reading reading, Violations violations) {
  Violations& kept = byReading[IndexOf(reading)];
  kept.warning = kept.warning || violations.warning;
  kept.critical = kept.critical || violations.critical;
}

bool ViolatedThresholds::AnyWarning() const {
  for (const Violations& v : byReading) {
    if (v.warning) return true;
  }
  return false;
}

bool ViolatedThresholds::AnyCritical() const {
  for (const Violations& v : byReading) {
    if (v.critical) return true;
  }
  return false;
}

}  // namespace qm
