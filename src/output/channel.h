// One reading as a document carries it: a channel.
#ifndef QUILLMARK_OUTPUT_CHANNEL_H_
#define QUILLMARK_OUTPUT_CHANNEL_H_

#include <string>

namespace qm {

struct Channel {
  std::string name;   // "CPU-Usage", ..., or a global run's item label
  std::string value;  // already formatted (unsigned decimal)
  std::string unit;   // "PerCent", "CpuTime", "MByte", "TimeResponse" or empty
};

}  // namespace qm

#endif  // QUILLMARK_OUTPUT_CHANNEL_H_
