// The local time on POSIX systems: localtime_r, which writes the caller's
// record rather than one shared by every thread.
#include <time.h>

#include "logs.h"

namespace rfcsim {

bool LocalTime(std::time_t time, std::tm* local) { return localtime_r(&time, local) != nullptr; }

}  // namespace rfcsim
