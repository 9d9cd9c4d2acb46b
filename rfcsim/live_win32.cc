// Live rows on Windows: not read yet; the process and processor figures of
// this host follow with the Windows build. Until then a live table is empty.
#include "rows.h"

namespace rfcsim {

bool AppendLiveTopRows(Rows* rows, std::string* error) {
  (void)error;
  rows->rowLength = kTopSingleLayout.rowLength;
  return true;
}

bool AppendLiveCpuRow(Rows* rows, std::string* error) {
  (void)error;
  rows->rowLength = kCpuAllLayout.rowLength;
  return true;
}

}  // namespace rfcsim
