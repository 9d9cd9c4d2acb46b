// The one record of what start-up derives from the command line and what the
// file location and listing steps add. Owned by main, passed explicitly.
#ifndef QUILLMARK_CONFIG_RUN_SETTINGS_H_
#define QUILLMARK_CONFIG_RUN_SETTINGS_H_

#include <chrono>
#include <cstdio>
#include <string>

#include "config/output_mode.h"
#include "config/parameters.h"

namespace qm {

// Which listing drives a global run.
enum class ListingKind {
  kNone,            // a single-system run
  kProfileListing,  // "ITEM=": the "# Gsng: " lines of "Beaconry.Prf"
  kGlobalFile,      // profile name GLOBAL: a sensor of "SAP Beaconry.Gbl"
};

// How a global run names each listed system in its output.
enum class ListingKeyType {
  kProfile,  // the profile file name
  kAlias,    // the profile file name without its last four characters
  kHost,     // the profile's host name
  kSid,      // the profile's destination
};

struct RunSettings {
  // When the process started (the Prometheus form reports the run's
  // duration).
  std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();
  // "* hh:mm:ss SAP Quillmark Vers 4.3 / 29.08.22", stamped at start when
  // the banner is shown (empty otherwise).
  std::string bannerLine;
  // The start time of day (hh:mm:ss) shown in bannerLine, likewise.
  std::string startTime;
  // The command line's parameter text holds "#", "@", "$" or "%", and the
  // form prints progress lines (the plugin and Prometheus forms never do).
  bool showBanner = false;
  // The profile's file name (Windows form, no directory).
  std::string profileName;
  // Directory part from the command line, later where the file was found;
  // ends in a backslash, or empty for the current directory.
  std::string profileDirectory;
  // profileDirectory + profileName: the path that was opened.
  std::string profilePath;
  // The opened profile or listing file; null when closed.
  std::FILE* profileStream = nullptr;
  // The run's parameter text: arguments 2 and 3 joined with one blank; in a
  // global-file run the sensor text of its sensor line.
  Parameters parameters;
  // Argument 2 as typed: the sensor name of a global-file run.
  std::string sensorName;
  // The word that names the sensor of a global-file run: the first word of
  // the command line's parameter text (kept when the sensor text replaces
  // the parameters).
  std::string listingSensorWord;
  // The run is driven by a global listing, and which one.
  bool globalMode = false;
  ListingKind listingKind = ListingKind::kNone;
  // The one reading a global run reports (at most 90 characters).
  std::string globalItem;
  OutputMode outputMode = OutputMode::kExeXml;
  ListingKeyType listingKeyType = ListingKeyType::kProfile;
  // A global run: systems measured at once, and the seconds a system may
  // take (0: no limit but the run's own), from Quillmark.ini.
  unsigned parallel = 1;
  unsigned long systemTimeoutSeconds = 0;
};

}  // namespace qm

#endif  // QUILLMARK_CONFIG_RUN_SETTINGS_H_
