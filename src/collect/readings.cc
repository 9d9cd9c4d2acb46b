// The five readings made from the process totals: the message text and the
// channels of a single system's document, or the one item channel of a run
// over a global listing.
#include <cstdint>
#include <string>

#include "collect/collect.h"

namespace qm {
namespace {

struct Reading {
  const char* name;
  std::uint64_t value;
  const char* unit;
};

// The sums are never negative (rows count negative figures as 0); the
// divisions truncate.
void MakeReadings(const ProcessTotals& totals, Reading (&readings)[5]) {
  auto whole = [](std::int64_t sum) { return static_cast<std::uint64_t>(sum < 0 ? 0 : sum); };
  readings[0] = {"CPU-Usage", whole(totals.cpuUtilSum) / 100, "PerCent"};
  readings[1] = {"SID-Usage", whole(totals.systemCpuUtilSum) / 100, "PerCent"};
  readings[2] = {"CPU-Time", whole(totals.cpuTimeSum), "CpuTime"};
  readings[3] = {"Working-Set", whole(totals.residentSizeSum) / 1000, "MByte"};
  readings[4] = {"Private Pages", whole(totals.privatePagesSum) / 1000, "MByte"};
}

std::string MessageText(const Reading (&readings)[5], const ProcessFilter& filter,
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
  text += "CPU-Usage=" + std::to_string(readings[0].value) + "%,";
  text += " CPU-Time=" + GroupThousands(std::to_string(readings[2].value)) + " Sec,";
  text += " Working-Set=" + GroupThousands(std::to_string(readings[3].value)) + " MB,";
  text += " Prv-Pages=" + GroupThousands(std::to_string(readings[4].value)) + " MB";
  return text;
}

void WriteDocument(const Reading (&readings)[5], const ProcessFilter& filter,
                   const std::string& destination, SensorOutput& out) {
  BeginDocument(out);
  BeginMessage(out);
  AppendMessageText(out, MessageText(readings, filter, destination));
  EndMessage(out);
  for (const Reading& reading : readings) {
    WriteChannel(out, "", reading.name, std::to_string(reading.value), reading.unit);
  }
  EndDocument(out);
}

// Global mode: only the channel named by the item, under the item label,
// printed at once.
void WriteItemChannel(const Reading (&readings)[5], ReadingTarget& target, SensorOutput& out,
                      Console& console) {
  target.itemFound = true;
  out.text.clear();
  const std::string label = target.itemLabel;
  for (const Reading& reading : readings) {
    if (target.globalItem != reading.name) continue;
    WriteChannel(out, target.itemLabel, label, std::to_string(reading.value), reading.unit);
    console.Write(out.text);
    out.text.clear();
  }
}

}  // namespace

std::string GroupThousands(const std::string& digits) {
  std::size_t n = digits.size();
  if (n <= 3) return digits;
  if (n <= 6) return digits.substr(0, n - 3) + "." + digits.substr(n - 3);
  return digits.substr(0, n - 6) + "." + digits.substr(n - 6, 3) + "." + digits.substr(n - 3);
}

void WriteProcessReadings(const ProcessTotals& totals, const ProcessFilter& filter,
                          ReadingTarget& target, SensorOutput& out, Console& console) {
  Reading readings[5];
  MakeReadings(totals, readings);
  if (target.globalMode) {
    WriteItemChannel(readings, target, out, console);
  } else {
    WriteDocument(readings, filter, target.destination, out);
  }
}

}  // namespace qm
