// Reads the global server listing and the item of a global run, from
// "Beaconry.Prf" (the "# Gsng: " lines) or, for a named sensor, from
// "SAP Beaconry.Gbl" (its "# GSNG: " and "# GSNX: " lines).
#ifndef QUILLMARK_CONFIG_GLOBAL_LISTING_H_
#define QUILLMARK_CONFIG_GLOBAL_LISTING_H_

#include <string>

#include "config/run_settings.h"
#include "platform/file_names.h"
#include "platform/line_reader.h"

namespace qm {

// Closes run->profileStream, reopens run->profilePath and reads the listing
// (by listingKind: the global-file variant or the profile variant). Fills
// globalServerListing and listingKeyType; in the global-file variant also
// globalItem and parameters (parsed from the sensor text). Returns false
// with *error set to the message of Errors 1024, "10x1", 1029, 1030, 1025 or
// 1026; no file is left open either way.
bool ReadGlobalListing(RunSettings* run, std::string* error);

// The profile variant over bytes already open (tests, fuzzing): appends the
// text from column 21 of every "# Gsng: " line to globalServerListing.
void ReadProfileListing(LineReader& reader, RunSettings* run);

// The global-file variant over bytes already open (tests, fuzzing): appends
// the sensor's listing texts to globalServerListing and sets globalItem,
// parameters and listingKeyType from its sensor lines (the sensor is
// parameters.sensorWord). Returns false with *error set for
// Errors 1029 and 1030.
bool ReadSensorListing(LineReader& reader, RunSettings* run, std::string* error);

}  // namespace qm

#endif  // QUILLMARK_CONFIG_GLOBAL_LISTING_H_
