// The row structures CPU_ALL and TOP_SINGLE of the operating-system
// collector, their field descriptions, and the offsets the aggregation reads.
#ifndef QUILLMARK_RFC_ROW_STRUCTURES_H_
#define QUILLMARK_RFC_ROW_STRUCTURES_H_

#include <cstddef>

#include "rfc/rfc_library.h"

namespace qm {

inline constexpr unsigned kCpuAllRowLength = 48;
inline constexpr unsigned kTopSingleRowLength = 68;

// Field descriptions in field order (decimals 0, offset 0).
extern const RfcTypeElement kCpuAllElements[13];
extern const RfcTypeElement kTopSingleElements[11];

// Offsets of the TOP_SINGLE fields (natural alignment).
namespace top_single {
inline constexpr std::size_t kType = 0, kSubtype = 2, kSerialNr = 4, kProcId = 8;
inline constexpr std::size_t kUsername = 12, kUsernameLength = 12;
inline constexpr std::size_t kCommand = 24, kCommandLength = 20;
inline constexpr std::size_t kCpuUtil = 44, kCpuTime = 48, kCpuTimeLength = 8;
inline constexpr std::size_t kResSize = 56, kPriority = 60, kPrivPages = 64;
}  // namespace top_single

// Offsets of the CPU_ALL fields (natural alignment).
namespace cpu_all {
inline constexpr std::size_t kType = 0, kSubtype = 2, kSerialNr = 4, kNbrCpu = 8;
inline constexpr std::size_t kLoad1Avg = 12, kLoad5Avg = 16, kLoad15Avg = 20;
inline constexpr std::size_t kIntSec = 24, kSyscSec = 28, kCsSec = 32;
inline constexpr std::size_t kUsrTotal = 36, kSysTotal = 40, kIdleTotal = 44;
}  // namespace cpu_all

}  // namespace qm

#endif  // QUILLMARK_RFC_ROW_STRUCTURES_H_
