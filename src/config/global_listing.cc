#include "config/global_listing.h"

#include <algorithm>
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

// The run's parameters are the sensor text before ",Sensor=", its colons
// read as blanks (but in threshold ranges).
Parameters RunParameters(const std::string& sensorText) {
  return ParseSensorParameters(std::string_view(sensorText).substr(0, sensorText.find(",Sensor=")));
}

// The key of the sensor's listing lines ("# GSNG: " and the padded word).
std::string ListingKey(const std::string& sensorWord) { return "# GSNG: " + SensorKey(sensorWord); }

// The listing text of a line, or false when the line is no listing line.
bool ListingTextOf(const std::string& line, ListingKind kind, const std::string& listingKey,
                   std::string* text) {
  bool listingLine =
      kind == ListingKind::kGlobalFile
          ? UpperCaseAscii(std::string_view(line).substr(0, listingKey.size())) == listingKey
          : line.compare(0, 8, "# Gsng: ") == 0;
  if (!listingLine) return false;
  *text = TextFrom(line, kListingTextColumn);
  return true;
}

}  // namespace

bool ReadProfileListing(LineReader& reader) {
  std::string line;
  std::string text;
  bool hasListing = false;
  while (reader.ReadLine(kListingReadLimit, &line)) {
    if (ListingTextOf(line, ListingKind::kProfileListing, "", &text) && !text.empty()) {
      hasListing = true;
    }
  }
  return hasListing;
}

bool ReadSensorListing(LineReader& reader, RunSettings* run, bool* hasListing, std::string* error) {
  run->listingSensorWord = run->parameters.sensorWord;
  std::string word = SensorKey(run->listingSensorWord);
  std::string listingKey = ListingKey(run->listingSensorWord);
  std::string sensorKey = "# GSNX: " + word;
  run->globalItem.clear();
  *hasListing = false;
  bool sensorSeen = false;
  std::string itemSource;
  std::string line;
  std::string text;
  while (reader.ReadLine(kListingReadLimit, &line)) {
    if (ListingTextOf(line, ListingKind::kGlobalFile, listingKey, &text)) {
      if (!text.empty()) *hasListing = true;
      continue;
    }
    std::string key = UpperCaseAscii(std::string_view(line).substr(0, sensorKey.size()));
    if (key != sensorKey) continue;
    std::string sensorText = TextFrom(line, kSensorTextColumn);
    if (!Contains(sensorText, kSensorTag)) {
      *error = "Error 1029: Invalid Sensor-Allocation...";
      return false;
    }
    itemSource = sensorText;
    run->parameters = RunParameters(sensorText);
    ApplyListingKeyType(line, run);
    sensorSeen = true;
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
  bool hasListing = false;
  if (sensorFile) {
    ok = ReadSensorListing(reader, run, &hasListing, error);
  } else {
    hasListing = ReadProfileListing(reader);
  }
  std::fclose(file);
  if (!ok) return false;

  if (!hasListing) {
    *error = "Error 1025: Global Server Listing missing...";
    return false;
  }
  if (run->globalItem.empty()) {
    *error = "Error 1026: Global Item Idenification missing...";
    return false;
  }
  return true;
}

ListingEntries::ListingEntries(const RunSettings& run)
    : file_(OpenForReading(run.profilePath)),
      reader_(file_ != nullptr ? LineReader(file_) : LineReader(std::string_view())),
      kind_(run.listingKind),
      listingKey_(ListingKey(run.listingSensorWord)) {}

ListingEntries::ListingEntries(std::string_view bytes, ListingKind kind,
                               const std::string& sensorWord)
    : reader_(bytes), kind_(kind), listingKey_(ListingKey(sensorWord)) {}

ListingEntries::~ListingEntries() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ListingEntries::NextText() {
  std::string line;
  while (reader_.ReadLine(kListingReadLimit, &line)) {
    if (ListingTextOf(line, kind_, listingKey_, &text_) && !text_.empty()) {
      at_ = 0;
      return true;
    }
  }
  return false;
}

bool ListingEntries::Next(std::string* entry) {
  entry->clear();
  bool started = false;  // part of an entry was taken from an earlier text
  for (;;) {
    if (at_ >= text_.size() && !NextText()) return started;
    std::size_t end = text_.find('#', at_);
    std::size_t stop = end == std::string::npos ? text_.size() : end;
    std::size_t room = kMaxListingEntryLength - std::min(entry->size(), kMaxListingEntryLength);
    entry->append(text_, at_, std::min(stop - at_, room));
    started = true;
    at_ = stop;
    if (end != std::string::npos) {
      ++at_;
      return true;
    }
  }
}

}  // namespace qm
