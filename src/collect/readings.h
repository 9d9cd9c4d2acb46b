// The readings made from the process totals: the message text and the
// channels of a single system's document (the five, then the opt-in
// "Processes" and "Response Time"), or the one item channel of a run over a
// global listing.
#ifndef QUILLMARK_COLLECT_READINGS_H_
#define QUILLMARK_COLLECT_READINGS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "collect/aggregation.h"
#include "config/parameters.h"
#include "output/channel.h"

namespace qm {

// The opt-in channels of a run, and the response time they may carry.
struct ExtraChannels {
  bool processes = false;
  bool responseTime = false;
  // Milliseconds from the start of the open to the end of the last remote
  // call.
  std::uint64_t responseMillis = 0;
};

// The opt-in channels the parameters ask for: by "EXTRA=", or by a
// threshold on the channel.
ExtraChannels ExtraChannelsOf(const Parameters& parameters, std::uint64_t responseMillis);

struct ProcessReadings {
  // "(PRD) System-Procs: CPU-Usage=37%, CPU-Time=1.234 Sec, ..." or, with a
  // filter, "(PRD) Active Proc[SAPADM]: ..."; not escaped.
  std::string message;
  // "CPU-Usage", "SID-Usage", "CPU-Time", "Working-Set", "Private Pages",
  // then "Processes" and "Response Time" when asked for.
  std::vector<Channel> channels;
};

// The readings of the totals: CPU-Usage and SID-Usage = sum / 100,
// Working-Set and Private Pages = KB / 1000, all truncating; CPU-Time the
// sum of seconds; Processes the matching rows (empty unit); Response Time
// in milliseconds (unit "TimeResponse").
ProcessReadings MakeProcessReadings(const ProcessTotals& totals, const ProcessFilter& filter,
                                    const std::string& destination,
                                    const ExtraChannels& extras = {});

// The filter as the message text shows it: "SAPADM", "DW*", "SAPADM/DW*",
// or empty without one.
std::string FilterLabel(const ProcessFilter& filter);

// The channel a global run's item names, written under `label`; none when
// the item names no channel.
std::optional<Channel> ItemChannel(const ProcessReadings& readings, const std::string& item,
                                   const std::string& label);

// "." between groups of three digits, at most two separators:
// 1234567 -> 1.234.567, 4294967295 -> 4294.967.295.
std::string GroupThousands(const std::string& digits);

}  // namespace qm

#endif  // QUILLMARK_COLLECT_READINGS_H_
