// Large tables on Windows: large pages need a privilege that a sensor does
// not hold, so the table keeps ordinary pages.
#include "rows.h"

namespace rfcsim {

void AdviseLargeTable(void* data, std::size_t size) {
  (void)data;
  (void)size;
}

}  // namespace rfcsim
