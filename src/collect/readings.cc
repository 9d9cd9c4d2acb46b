#include "collect/readings.h"

#include <cstdint>

namespace qm {
namespace {

// The sums are never negative (rows count negative figures as 0).
std::uint64_t Whole(std::int64_t sum) { return static_cast<std::uint64_t>(sum < 0 ? 0 : sum); }

Channel MakeChannel(const char* name, Reading reading, std::uint64_t value, const char* unit) {
  return Channel{name, std::to_string(value), unit, reading, value};
}

std::string MessageText(const std::vector<Channel>& channels, const ProcessFilter& filter,
                        const std::string& destination) {
  std::string text = "(" + destination;
  std::string label = FilterLabel(filter);
  text += label.empty() ? ") System-Procs: " : ") Active Proc[" + label + "]: ";
  text += "CPU-Usage=" + channels[0].value + "%,";
  text += " CPU-Time=" + GroupThousands(channels[2].value) + " Sec,";
  text += " Working-Set=" + GroupThousands(channels[3].value) + " MB,";
  text += " Prv-Pages=" + GroupThousands(channels[4].value) + " MB";
  return text;
}

}  // namespace

ExtraChannels ExtraChannelsOf(const Parameters& parameters, std::uint64_t responseMillis) {
  const Thresholds& thresholds = parameters.thresholds;
  return ExtraChannels{parameters.extraProcesses || thresholds.AnyFor(Reading::kProcesses),
                       parameters.extraResponseTime || thresholds.AnyFor(Reading::kResponseTime),
                       responseMillis};
}

ProcessReadings MakeProcessReadings(const ProcessTotals& totals, const ProcessFilter& filter,
                                    const std::string& destination, const ExtraChannels& extras) {
  ProcessReadings readings;
  readings.channels = {
      MakeChannel("CPU-Usage", Reading::kCpuUsage, Whole(totals.cpuUtilSum) / 100, "PerCent"),
      MakeChannel("SID-Usage", Reading::kSidUsage, Whole(totals.systemCpuUtilSum) / 100, "PerCent"),
      MakeChannel("CPU-Time", Reading::kCpuTime, Whole(totals.cpuTimeSum), "CpuTime"),
      MakeChannel("Working-Set", Reading::kWorkingSet, Whole(totals.residentSizeSum) / 1000,
                  "MByte"),
      MakeChannel("Private Pages", Reading::kPrivatePages, Whole(totals.privatePagesSum) / 1000,
                  "MByte"),
  };
  if (extras.processes) {
    readings.channels.push_back(
        MakeChannel("Processes", Reading::kProcesses, Whole(totals.matchedRows), ""));
  }
  if (extras.responseTime) {
    readings.channels.push_back(MakeChannel("Response Time", Reading::kResponseTime,
                                            extras.responseMillis, "TimeResponse"));
  }
  readings.message = MessageText(readings.channels, filter, destination);
  return readings;
}

std::string FilterLabel(const ProcessFilter& filter) {
  if (!filter.userFilter.empty() && !filter.processFilter.empty()) {
    return filter.userFilter + "/" + filter.processFilter;
  }
  return filter.userFilter.empty() ? filter.processFilter : filter.userFilter;
}

std::optional<Channel> ItemChannel(const ProcessReadings& readings, const std::string& item,
                                   const std::string& label) {
  for (const Channel& channel : readings.channels) {
    if (channel.name == item) {
      return Channel{label, channel.value, channel.unit, channel.reading, channel.amount};
    }
  }
  return std::nullopt;
}

std::string GroupThousands(const std::string& digits) {
  std::size_t n = digits.size();
  if (n <= 3) return digits;
  if (n <= 6) return digits.substr(0, n - 3) + "." + digits.substr(n - 3);
  return digits.substr(0, n - 6) + "." + digits.substr(n - 6, 3) + "." + digits.substr(n - 3);
}

}  // namespace qm
