// One reading as a document carries it: a channel.
#ifndef QUILLMARK_OUTPUT_CHANNEL_H_
#define QUILLMARK_OUTPUT_CHANNEL_H_

#include <cstdint>
#include <string>

#include "config/thresholds.h"

namespace qm {

struct Channel {
  std::string name;   // "CPU-Usage", ..., or a global run's item label
  std::string value;  // already formatted (unsigned decimal)
  std::string unit;   // "PerCent", "CpuTime", "MByte", "TimeResponse" or empty
  // Which reading it carries (its thresholds, its plugin label and
  // Prometheus metric), and the value as a number.
  Reading reading = Reading::kCpuUsage;
  std::uint64_t amount = 0;
};

}  // namespace qm

#endif  // QUILLMARK_OUTPUT_CHANNEL_H_
