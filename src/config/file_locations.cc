#include "config/file_locations.h"

#include <cstddef>
#include <cstdio>
#include <string>

#include "platform/line_reader.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace qm {
namespace {

// Hint lines are read the way a 100-byte fgets buffer would read them.
constexpr std::size_t kHintReadLimit = 99;

constexpr const char kSuffixBelowBase[] = "PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
constexpr const char kSuffixBelowPrtg[] = "Custom Sensors\\ExeXml\\";

// Searched in this order when there is no hint file; the empty entry is the
// current directory.
constexpr const char* kFixedDirectories[] = {
    "",
    "\\Programme\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
    "\\Program Files\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
    "\\Program Files (x86)\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
};

std::string MissingProfileMessage(const std::string& pathOrName) {
  return "Error 1002: Profile " + pathOrName + " is missing...";
}

// A line names a directory when it starts like "\x", "C:" or "C:\".
bool IsDirectoryLine(const std::string& line) {
  return (line.size() >= 1 && line[0] == '\\') || (line.size() >= 2 && line[1] == ':') ||
         (line.size() >= 3 && line[2] == '\\');
}

// Opens the file and records it as the run's profile.
bool OpenProfile(RunSettings* run, const std::string& directory) {
  std::string path = directory + run->profileName;
  std::FILE* stream = OpenForReading(path);
  if (stream == nullptr) return false;
  run->profileDirectory = directory;
  run->profilePath = path;
  run->profileStream = stream;
  return true;
}

void CloseProfile(RunSettings* run) {
  if (run->profileStream != nullptr) std::fclose(run->profileStream);
  run->profileStream = nullptr;
}

// The directory given with the profile name on the command line.
bool LocateInGivenDirectory(RunSettings* run, std::string* error) {
  if (OpenProfile(run, run->profileDirectory)) return true;
  *error = MissingProfileMessage(run->profileDirectory + run->profileName);
  return false;
}

// The sensor directory below the hinted base: the hint may name the folder
// that holds "PRTG Network Monitor", that folder itself, or the sensor
// directory itself, so both suffixes are probed in turn.
bool LocateBelowHint(RunSettings* run, std::FILE* hint, std::string* error) {
  LineReader reader(hint);
  std::string directory = ReadHintDirectory(reader);
  std::fclose(hint);
  if (directory.empty() || directory.back() != '\\') directory.push_back('\\');
  if (CanOpenForReading(directory + kSuffixBelowBase + run->profileName)) {
    directory += kSuffixBelowBase;
  }
  if (CanOpenForReading(directory + kSuffixBelowPrtg + run->profileName)) {
    directory += kSuffixBelowPrtg;
  }
  if (OpenProfile(run, directory)) return true;
  *error = MissingProfileMessage(run->profileName);
  return false;
}

bool LocateInFixedDirectories(RunSettings* run, std::string* error) {
  for (const char* directory : kFixedDirectories) {
    if (OpenProfile(run, directory)) return true;
  }
  *error = MissingProfileMessage(run->profileName);
  return false;
}

// PRTG runs the sensor from its custom-sensor directory only; the directory
// from the command line is not used.
bool LocateInSensorDirectory(RunSettings* run, std::string* error) {
  run->profileDirectory.clear();
  run->profilePath.clear();
  std::FILE* hint = OpenForReading(kHintFile);
  bool found =
      hint != nullptr ? LocateBelowHint(run, hint, error) : LocateInFixedDirectories(run, error);
  if (!found) return false;
  if (!IsSensorDirectory(run->profileDirectory)) {
    CloseProfile(run);
    *error = "Sorry, invalid Path-Usage...";
    return false;
  }
  return true;
}

}  // namespace

bool LocateProfile(RunSettings* run, std::string* error) {
  CloseProfile(run);
  bool givenDirectory = IsCallerProduct(run->outputMode) || run->parameters.atMarker;
  return givenDirectory ? LocateInGivenDirectory(run, error) : LocateInSensorDirectory(run, error);
}

std::string ReadHintDirectory(std::string_view hintBytes) {
  LineReader reader(hintBytes);
  return ReadHintDirectory(reader);
}

std::string ReadHintDirectory(LineReader& reader) {
  std::string line;
  std::string directory;
  while (reader.ReadLine(kHintReadLimit, &line)) {
    if (IsDirectoryLine(line)) directory = line;
  }
  return directory;
}

bool IsSensorDirectory(const std::string& directory) {
  static constexpr char kSensorFolder[] = "EXEXML";
  constexpr std::size_t kLength = sizeof kSensorFolder - 1;
  if (directory.size() < kLength + 1 || directory.back() != '\\') return false;
  std::size_t start = directory.size() - 1 - kLength;
  for (std::size_t i = 0; i < kLength; ++i) {
    if (UpperAscii(directory[start + i]) != kSensorFolder[i]) return false;
  }
  return true;
}

}  // namespace qm
