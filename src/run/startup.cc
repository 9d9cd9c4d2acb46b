#include "run/startup.h"

#include <cstddef>

#include "platform/file_names.h"
#include "platform/text.h"

namespace qm {
namespace {

constexpr char kMissingProfileName[] = "Error 1001: Parameter for Profile-Name is missing !";
constexpr char kGlobalProfileName[] = "GLOBAL.P00";
constexpr char kDefaultExtension[] = ".P00";

// Arguments 2 and 3 joined with one blank; empty without argument 2.
std::string JoinParameterText(const std::vector<std::string>& args) {
  std::string text;
  if (args.size() >= 2) text = args[1];
  if (args.size() >= 3) text += " " + args[2];
  return text;
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

// "ITEM=" names a global run over the item listing, whose readings are
// listed there: argument 1 is not used.
void SelectItemListing(RunSettings* run) {
  if (!run->parameters.hasItem) return;
  run->globalMode = true;
  run->listingKind = ListingKind::kProfileListing;
  run->globalItem = run->parameters.item;
  run->profileName = kProfileListingFile;
}

// The profile name GLOBAL (GLOBAL.P00, any letter case) selects the global
// file.
void SelectGlobalFile(RunSettings* run) {
  if (!EqualsIgnoringCase(run->profileName, kGlobalProfileName)) return;
  run->globalMode = true;
  run->listingKind = ListingKind::kGlobalFile;
  run->profileName = kGlobalListingFile;
}

}  // namespace

bool ReadCommandLine(const std::vector<std::string>& args, std::string (*timeOfDay)(),
                     OutputMode callerMode, RunSettings* run, std::string* error) {
  *run = RunSettings();
  if (args.empty()) {
    *error = kMissingProfileName;
    return false;
  }
  run->profileName = args[0];
  run->parameters = ParseParameters(JoinParameterText(args));
  if (args.size() >= 2) run->sensorName = args[1];
  run->showBanner = run->parameters.showBanner && !IsWholeDocumentForm(callerMode);
  if (run->showBanner) {
    run->startTime = timeOfDay();
    run->bannerLine = "* " + run->startTime + " SAP " + kProgramName + " " + kProgramVersion;
  }
  run->outputMode = callerMode;
  SelectItemListing(run);
  AddDefaultExtension(&run->profileName);
  SplitDirectory(run);
  SelectGlobalFile(run);
  return true;
}

}  // namespace qm
