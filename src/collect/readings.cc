#include "collect/readings.h"

#include <cstdint>

namespace qm {
namespace {

// The sums are never negative (rows count negative figures as 0).
std::uint64_t Whole(std::int64_t sum) { return static_cast<std::uint64_t>(sum < 0 ? 0 : sum); }

Channel MakeChannel(const char* name, std::uint64_t value, const char* unit) {
  return Channel{name, std::to_string(value), unit};
}

std::string MessageText(const std::vector<Channel>& channels, const ProcessFilter& filter,
                        const std::string& destination) {
  std::string text = "(" + destination;
  if (!filter.userFilter.empty() && !filter.processFilter.empty()) {
    text += ") Active Proc[" + filter.userFilter + "/" + filter.processFilter + "]: ";
  } else if (!filter.userFilter.empty()) {
    text += ") Active Proc[" + filter.userFilter + "]: ";
  } else if (!filter.processFilter.empty()) {
    text += ") Active Proc[" + filter.processFilter + "]: ";
  } else {
    text += ") System-Procs: ";
  }
  text += "CPU-Usage=" + channels[0].value + "%,";
  text += " CPU-Time=" + GroupThousands(channels[2].value) + " Sec,";
  text += " Working-Set=" + GroupThousands(channels[3].value) + " MB,";
  text += " Prv-Pages=" + GroupThousands(channels[4].value) + " MB";
  return text;
}

}  // namespace

ProcessReadings MakeProcessReadings(const ProcessTotals& totals, const ProcessFilter& filter,
                                    const std::string& destination) {
  ProcessReadings readings;
  readings.channels = {
      MakeChannel("CPU-Usage", Whole(totals.cpuUtilSum) / 100, "PerCent"),
      MakeChannel("SID-Usage", Whole(totals.systemCpuUtilSum) / 100, "PerCent"),
      MakeChannel("CPU-Time", Whole(totals.cpuTimeSum), "CpuTime"),
      MakeChannel("Working-Set", Whole(totals.residentSizeSum) / 1000, "MByte"),
      MakeChannel("Private Pages", Whole(totals.privatePagesSum) / 1000, "MByte"),
  };
  readings.message = MessageText(readings.channels, filter, destination);
  return readings;
}

std::optional<Channel> ItemChannel(const ProcessReadings& readings, const std::string& item,
                                   const std::string& label) {
  for (const Channel& channel : readings.channels) {
    if (channel.name == item) return Channel{label, channel.value, channel.unit};
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
