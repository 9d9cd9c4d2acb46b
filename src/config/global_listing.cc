#include "config/global_listing.h"

#include <cstddef>
#include <cstdio>
#include <string>

#include "platform/file_names.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace qm {
namespace {

// Listing lines are read the way a 200-byte fgets buffer would read them.
constexpr std::size_t kListingReadLimit = 199;

// Columns 21 on of a listing line, 20 on of a sensor line (0-based here).
constexpr std::size_t kListingTextColumn = 20;
constexpr std::size_t kSensorTextColumn = 19;

// Sensor names are told apart by their first ten characters.
constexpr std::size_t kSensorWordLength = 10;
constexpr std::size_t kItemMaxLength = 90;

constexpr const char kSensorTag[] = "Sensor=\"SAP Quillmark\"";

std::string TextFrom(const std::string& line, std::size_t column) {
  return line.size() > column ? line.substr(column) : std::string();
}

void ColonsToBlanks(std::string* text) {
  for (char& c : *text) {
    if (c == ':') c = ' ';
  }
}

bool Contains(const std::string& text, const char* word) {
  return text.find(word) != std::string::npos;
}

// The sensor word blank-padded (or cut) to the ten characters that take
// part in matching.
std::string SensorKey(const std::string& sensorWord) {
  std::string word = sensorWord;
  word.resize(kSensorWordLength, ' ');
  return word;
}

// The value after "Item=": up to a blank, a comma or the end, at most 90
// characters, colons read as blanks. Empty when there is no "Item=".
std::string ItemValue(const std::string& sensorText) {
  static constexpr char kKey[] = "Item=";
  std::size_t at = sensorText.find(kKey);
  if (at == std::string::npos) return std::string();
  std::size_t start = at + sizeof kKey - 1;
  std::size_t end = sensorText.find_first_of(" ,", start);
  if (end == std::string::npos) end = sensorText.size();
  std::string item = sensorText.substr(start, end - start).substr(0, kItemMaxLength);
  ColonsToBlanks(&item);
  return item;
}

// The later key word in this order wins: Profile, Alias, Host, Sid.
void ApplyListingKeyType(const std::string& line, RunSettings* run) {
  if (Contains(line, ",Profile")) run->listingKeyType = ListingKeyType::kProfile;
  if (Contains(line, ",Alias")) run->listingKeyType = ListingKeyType::kAlias;
  if (Contains(line, ",Host")) run->listingKeyType = ListingKeyType::kHost;
  if (Contains(line, ",Sid")) run->listingKeyType = ListingKeyType::kSid;
}

// The run's parameter text is the sensor text before ",Sensor=", with its
// colons read as blanks.
std::string RunParameterText(const std::string& sensorText) {
  std::string text = sensorText.substr(0, sensorText.find(",Sensor="));
  ColonsToBlanks(&text);
  return text;
}

}  // namespace

void ReadProfileListing(LineReader& reader, RunSettings* run) {
  std::string line;
  while (reader.ReadLine(kListingReadLimit, &line)) {
    if (line.compare(0, 8, "# Gsng: ") == 0) {
      run->globalServerListing += TextFrom(line, kListingTextColumn);
    }
  }
}

bool ReadSensorListing(LineReader& reader, RunSettings* run, std::string* error) {
  std::string word = SensorKey(run->parameters.sensorWord);
  std::string listingKey = "# GSNG: " + word;
  std::string sensorKey = "# GSNX: " + word;
  run->globalItem.clear();
  bool sensorSeen = false;
  std::string itemSource;
  std::string line;
  while (reader.ReadLine(kListingReadLimit, &line)) {
    std::string key = UpperCaseAscii(std::string_view(line).substr(0, listingKey.size()));
    if (key == listingKey) {
      run->globalServerListing += TextFrom(line, kListingTextColumn);
    } else if (key == sensorKey) {
      std::string sensorText = TextFrom(line, kSensorTextColumn);
      if (!Contains(sensorText, kSensorTag)) {
        *error = "Error 1029: Invalid Sensor-Allocation...";
        return false;
      }
      itemSource = sensorText;
      run->parameters = ParseParameters(RunParameterText(sensorText));
      ApplyListingKeyType(line, run);
      sensorSeen = true;
    }
  }
  if (!sensorSeen) {
    *error = "Error 1030: Global Sensor " + run->sensorName + " not found...";
    return false;
  }
  run->globalItem = ItemValue(itemSource);
  return true;
}

bool ReadGlobalListing(RunSettings* run, std::string* error) {
  if (run->profileStream != nullptr) std::fclose(run->profileStream);
  run->profileStream = nullptr;
  run->globalServerListing.clear();
  run->listingKeyType = ListingKeyType::kProfile;

  bool sensorFile = run->listingKind == ListingKind::kGlobalFile;
  std::FILE* file = OpenForReading(run->profilePath);
  if (file == nullptr) {
    *error = std::string(sensorFile ? "Error 10x1" : "Error 1024") + ": ProFile " +
             run->profileName + " is missing...";
    return false;
  }
  LineReader reader(file);
  bool ok = true;
  if (sensorFile) {
    ok = ReadSensorListing(reader, run, error);
  } else {
    ReadProfileListing(reader, run);
  }
  std::fclose(file);
  if (!ok) return false;

  if (run->globalServerListing.empty()) {
    *error = "Error 1025: Global Server Listing missing...";
    return false;
  }
  if (run->globalItem.empty()) {
    *error = "Error 1026: Global Item Idenification missing...";
    return false;
  }
  return true;
}

}  // namespace qm
