// quillmark-check: the setup check for administrators. It takes the
// sensor's arguments and Quillmark.ini and reports readably what the sensor
// sees: the RFC library it loads and why, its version and companions; the
// profile (every listed profile of a global run) read and checked; the
// logon; how the system describes GET_CPU_ALL and GET_TOP_SINGLE, whether
// the user may call them, and how each field of their tables meets the
// classic row structure; and one measurement's readings.
#ifndef QUILLMARK_RUN_SETUP_CHECK_H_
#define QUILLMARK_RUN_SETUP_CHECK_H_

#include <string>
#include <vector>

#include "platform/console.h"

namespace qm {

// The whole check for the arguments after the program name: writes the
// report to `console` (taken for the end) and returns the exit code, 0 when
// all is well, 2 when the report names a problem or a warning or could not
// be delivered. Library failures are reported, never end the process.
int RunSetupCheck(const std::vector<std::string>& args, Console& console);

}  // namespace qm

#endif  // QUILLMARK_RUN_SETUP_CHECK_H_
