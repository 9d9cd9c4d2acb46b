// The local time on POSIX systems: localtime_r, which writes the caller's
// record rather than one shared by every thread. The time zone is read once,
// under the static's guard, so threads asking together do not both set it up.
#include <time.h>

#include "logs.h"

namespace rfcsim {

bool LocalTime(std::time_t time, std::tm* local) {
  static const bool zoneRead = (tzset(), true);
  (void)zoneRead;
  return localtime_r(&time, local) != nullptr;
}

}  // namespace rfcsim
