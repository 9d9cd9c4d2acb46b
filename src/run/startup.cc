#include "run/startup.h"

#include <cstddef>

#include "platform/file_names.h"

namespace qm {
namespace {

constexpr char kMissingProfileName[] = "Error 1001: Parameter for Profile-Name is missing !";
constexpr char kItemKeyword[] = "ITEM=";
constexpr std::size_t kMaxItemLength = 90;
constexpr char kGlobalProfileName[] = "GLOBAL.P00";
constexpr char kDefaultExtension[] = ".P00";
constexpr char kBannerMarkers[] = "#@$%";

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperCaseAscii(a) == UpperCaseAscii(b);
}

// Arguments 2 and 3 joined with one blank; empty without argument 2.
std::string JoinParameterText(const std::vector<std::string>& args) {
  std::string text;
  if (args.size() >= 2) text = args[1];
  if (args.size() >= 3) text += " " + args[2];
  return text;
}

// "ITEM=VALUE": the value ends at the first blank or comma, at most 90
// characters, copied in its letter case as typed; colons become blanks.
// The item's readings are listed in the item listing, not in argument 1.
void ReadItem(RunSettings* run) {
  std::size_t found = run->parameterText.find(kItemKeyword);
  if (found == std::string::npos) return;
  std::string item;
  for (std::size_t pos = found + sizeof kItemKeyword - 1;
       pos < run->parameterText.size() && item.size() < kMaxItemLength; ++pos) {
    char c = run->parameterText[pos];
    if (c == ' ' || c == ',') break;
    char typed = run->rawParameterText[pos];
    item += typed == ':' ? ' ' : typed;
  }
  run->globalItem = item;
  run->globalMode = true;
  run->profileName = kProfileListingFile;
}

// A name whose fourth character from the end is not "." gets ".P00".
void AddDefaultExtension(std::string* profileName) {
  std::size_t size = profileName->size();
  if (size < 4 || (*profileName)[size - 4] != '.') *profileName += kDefaultExtension;
}

// Everything up to the last backslash is the directory, unless that
// backslash is the first character.
void SplitDirectory(RunSettings* run) {
  std::size_t slash = run->profileName.rfind('\\');
  if (slash == std::string::npos || slash == 0) return;
  run->profileDirectory = run->profileName.substr(0, slash + 1);
  run->profileName.erase(0, slash + 1);
}

void SelectGlobalFile(RunSettings* run) {
  if (!EqualsIgnoringCase(run->profileName, kGlobalProfileName)) return;
  run->globalMode = true;
  run->profileName = kGlobalListingFile;
}

}  // namespace

std::string UpperCaseAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool ReadCommandLine(const std::vector<std::string>& args, const std::string& timeOfDay,
                     OutputMode callerMode, RunSettings* run, std::string* error) {
  *run = RunSettings();
  run->startTime = timeOfDay;
  run->bannerLine = "* " + timeOfDay + " SAP " + kProgramName + " " + kProgramVersion;
  if (args.empty()) {
    *error = kMissingProfileName;
    return false;
  }
  run->profileName = args[0];
  run->rawParameterText = JoinParameterText(args);
  run->parameterText = UpperCaseAscii(run->rawParameterText);
  if (args.size() >= 2) run->sensorName = args[1];

  ReadItem(run);
  AddDefaultExtension(&run->profileName);
  SplitDirectory(run);
  SelectGlobalFile(run);
  run->showBanner = run->parameterText.find_first_of(kBannerMarkers) != std::string::npos;
  run->outputMode = callerMode;
  return true;
}

}  // namespace qm
