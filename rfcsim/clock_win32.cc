// The local time on Windows: localtime_s, which writes the caller's record.
#include <time.h>

#include "logs.h"

namespace rfcsim {

bool LocalTime(std::time_t time, std::tm* local) { return localtime_s(local, &time) == 0; }

}  // namespace rfcsim
