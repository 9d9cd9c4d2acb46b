// The one record of what start-up derives from the command line and what the
// file location and listing steps add. Owned by main, passed explicitly.
#ifndef QUILLMARK_RUN_RUN_SETTINGS_H_
#define QUILLMARK_RUN_RUN_SETTINGS_H_

#include <cstdio>
#include <string>

#include "output/sensor_output.h"

namespace qm {

inline constexpr const char kProgramName[] = "Quillmark";
inline constexpr const char kProgramVersion[] = "Vers 4.3 / 29.08.22";

struct RunSettings {
  // "* hh:mm:ss SAP Quillmark Vers 4.3 / 29.08.22", stamped at start.
  std::string bannerLine;
  // The start time of day (hh:mm:ss) shown in bannerLine.
  std::string startTime;
  // On when the parameter text holds "#", "@", "$" or "%".
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
  // Arguments 2 and 3 joined with one blank, upper-cased (a to z only).
  std::string parameterText;
  // The same joined text in its letter case as passed; same layout.
  std::string rawParameterText;
  // Argument 2 as typed: the sensor name of a global-file run.
  std::string sensorName;
  // The run is driven by a global listing.
  bool globalMode = false;
  // The one reading a global run reports (at most 90 characters).
  std::string globalItem;
  OutputMode outputMode = OutputMode::kExeXml;
  // Profile file names, each followed by "#".
  std::string globalServerListing;
  // How a global run names its systems: '1' Profile, '2' Alias, '3' Host,
  // '4' Sid.
  char listingKeyType = '1';
};

}  // namespace qm

#endif  // QUILLMARK_RUN_RUN_SETTINGS_H_
