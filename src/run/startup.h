// Start-up: reads the command line into RunSettings.
#ifndef QUILLMARK_RUN_STARTUP_H_
#define QUILLMARK_RUN_STARTUP_H_

#include <string>
#include <vector>

#include "config/output_mode.h"
#include "config/run_settings.h"

namespace qm {

inline constexpr const char kProgramName[] = "Quillmark";
inline constexpr const char kProgramVersion[] = "Vers 4.3 / 29.08.22";

// Fills *run from the arguments after the program name (args[0] is the
// profile name). `timeOfDay` gives the start time "hh:mm:ss" for the banner;
// it is asked only when the banner is shown, since the first reading of the
// local time reads the zone file. `callerMode` is the OutputMode the
// installation is set up for (from Quillmark.ini).
// Returns false with *error set to the message of an error exit
// ("Error 1001: ..." when there is no argument).
bool ReadCommandLine(const std::vector<std::string>& args, std::string (*timeOfDay)(),
                     OutputMode callerMode, RunSettings* run, std::string* error);

}  // namespace qm

#endif  // QUILLMARK_RUN_STARTUP_H_
