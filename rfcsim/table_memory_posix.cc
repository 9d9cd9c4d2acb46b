// Large tables on Linux: transparent huge pages.
#include <sys/mman.h>

#include <cstdint>

#include "rows.h"

namespace rfcsim {

void AdviseLargeTable(void* data, std::size_t size) {
#ifdef MADV_HUGEPAGE
  // Only whole 2 MB blocks inside the buffer can take a huge page; the
  // advice leaves the contents alone and a failure only costs speed.
  constexpr std::uintptr_t kHugePage = std::uintptr_t{1} << 21;
  std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(data);
  std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  std::uintptr_t last = (begin + size) & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)data;
  (void)size;
#endif
}

}  // namespace rfcsim
