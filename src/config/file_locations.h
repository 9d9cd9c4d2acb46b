// Finds the profile or listing file named by RunSettings::profileName: in the
// directory from the command line (caller products, or "@" in the
// parameters), or in the PRTG custom-sensor directory found through the hint
// file "C:\PRTG_Path.Txt" or the three fixed installation directories.
#ifndef QUILLMARK_CONFIG_FILE_LOCATIONS_H_
#define QUILLMARK_CONFIG_FILE_LOCATIONS_H_

#include <string>
#include <string_view>

#include "config/run_settings.h"
#include "platform/line_reader.h"

namespace qm {

inline constexpr const char kHintFile[] = "C:\\PRTG_Path.Txt";

// Finds and opens the file. On success fills run->profileDirectory,
// run->profilePath and run->profileStream (open at its start). Returns false
// with *error set to "Error 1002: Profile ... is missing..." or
// "Sorry, invalid Path-Usage..."; no stream is left open then.
bool LocateProfile(RunSettings* run, std::string* error);

// The directory that the hint file's bytes name: the last directory line
// (first character a backslash, or second a colon, or third a backslash),
// lines read with at most 99 characters per read; empty when there is none.
std::string ReadHintDirectory(std::string_view hintBytes);
std::string ReadHintDirectory(LineReader& reader);

// True when the directory ends in "ExeXml\" (letter case ignored): the six
// characters before its final backslash read "EXEXML" upper-cased.
bool IsSensorDirectory(const std::string& directory);

}  // namespace qm

#endif  // QUILLMARK_CONFIG_FILE_LOCATIONS_H_
