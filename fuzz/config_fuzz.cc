// The program's own files: Quillmark.ini, the hint file, the global
// listings, profiles and their passwords.
#include <cstdint>
#include <string>

#include "collect/aggregation.h"
#include "config/file_locations.h"
#include "config/global_listing.h"
#include "config/password.h"
#include "config/settings.h"
#include "config/system_entry.h"
#include "fuzz_targets.h"
#include "platform/line_reader.h"
#include "platform/text.h"

namespace qm::fuzz {
namespace {

std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

bool IsPrintableAscii(std::string_view text) {
  for (char c : text) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

// What the global run does with the listing's parameter text.
void UseParameterText(const RunSettings& run) {
  Require(run.parameters.selectedChannel <= 999, "a channel number has at most 3 digits");
  Require(run.parameters.upperText == UpperCaseAscii(run.parameters.rawText),
          "the parameter text is the upper-cased raw text", run.parameters.rawText);
  ProcessFilterOf(run.parameters);
}

void RequireFieldLengths(const SystemEntry& entry) {
  const std::string* fields[] = {
      &entry.extcompany, &entry.destination, &entry.client, &entry.user,   &entry.language,
      &entry.mode,       &entry.hostname,    &entry.sysnr,  &entry.gwhost, &entry.gwservice};
  for (const std::string* field : fields) {
    Require(field->size() <= 60, "a profile value has at most 60 characters", *field);
  }
  Require(entry.password.size() <= 40, "a clear password has at most 40 characters",
          entry.password);
  Require(entry.user == UpperCaseAscii(entry.user), "the user is upper-cased", entry.user);
}

}  // namespace

void FuzzSettings(const std::uint8_t* data, std::size_t size) {
  ProgramSettings settings = ParseSettings(AsText(data, size));
  Require(OutputModeName(settings.outputMode) != nullptr, "the mode has a name");
}

void FuzzHintFile(const std::uint8_t* data, std::size_t size) {
  std::string directory = ReadHintDirectory(AsText(data, size));
  Require(directory.size() <= 99, "a hint line is read with at most 99 characters", directory);
  Require(directory.find('\n') == std::string::npos, "the directory holds no line feed", directory);
  if (!directory.empty()) {
    Require(directory[0] == '\\' || (directory.size() > 1 && directory[1] == ':') ||
                (directory.size() > 2 && directory[2] == '\\'),
            "only a directory line is taken", directory);
  }
  IsSensorDirectory(directory);
  IsSensorDirectory(directory + "\\");
}

// Input: one byte choosing the variant (even: the profile's "# Gsng: " lines,
// odd: a sensor's lines of the global file), for the sensor variant the
// parameter text up to the first line feed, then the listing's bytes.
// The entries of the listing: none holds a line feed or "#", none is longer
// than the entry limit, and a listing with text has an entry.
void RequireEntries(std::string_view bytes, ListingKind kind, const std::string& sensorWord,
                    bool hasListing) {
  ListingEntries entries(bytes, kind, sensorWord);
  std::string entry;
  bool any = false;
  while (entries.Next(&entry)) {
    any = true;
    Require(entry.find_first_of("\n#") == std::string::npos, "an entry holds no line feed or #",
            entry);
    Require(entry.size() <= kMaxListingEntryLength, "an entry is cut to the limit");
    RequireErrorDocument("Error 1011: " + entry);
  }
  Require(any == hasListing, "a listing with text has an entry, one without none");
}

void FuzzListing(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  bool sensorFile = (input.TakeByte() & 1) != 0;
  RunSettings run;
  if (!sensorFile) {
    std::string_view bytes = input.TakeRest();
    LineReader reader(bytes);
    RequireEntries(bytes, ListingKind::kProfileListing, "", ReadProfileListing(reader));
    return;
  }
  run.parameters = ParseParameters(input.TakeUntil('\n'));
  run.sensorName = run.parameters.rawText.substr(0, run.parameters.rawText.find(' '));
  std::string sensorWord = run.parameters.sensorWord;
  std::string_view bytes = input.TakeRest();
  LineReader reader(bytes);
  std::string error;
  bool hasListing = false;
  if (!ReadSensorListing(reader, &run, &hasListing, &error)) {
    RequireErrorDocument(error);
    return;
  }
  RequireEntries(bytes, ListingKind::kGlobalFile, sensorWord, hasListing);
  Require(run.globalItem.size() <= 90, "the item has at most 90 characters", run.globalItem);
  Require(
      run.listingKeyType >= ListingKeyType::kProfile && run.listingKeyType <= ListingKeyType::kSid,
      "a known key type");
  UseParameterText(run);
  RequireErrorDocument("Error 1011: " + run.globalItem);
}

// Input: one byte for the policy (bit 0) and the read limit (bit 1: 199,
// else 99), then the profile's bytes.
void FuzzProfile(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  std::uint8_t flags = input.TakeByte();
  EntryPolicy policy = (flags & 1) != 0 ? EntryPolicy::kMarkFailed : EntryPolicy::kStopRun;
  std::size_t limit = (flags & 2) != 0 ? 199 : 99;
  LineReader reader(input.TakeRest());
  SystemEntry entry;
  bool failed = false;
  std::string error;
  bool read = ReadSystemEntry(reader, limit, policy, "PRD.P00", &entry, &failed, &error);
  RequireFieldLengths(entry);
  if (!read) {
    Require(policy == EntryPolicy::kStopRun, "only the stopping policy stops");
    RequireErrorDocument(error);
    return;
  }
  Require(policy == EntryPolicy::kMarkFailed || !failed, "a stopped run marks nothing");
  bool checked = CheckSystemEntry(entry, policy, "PRD.P00", &failed, &error);
  if (!checked) {
    Require(policy == EntryPolicy::kStopRun, "only the stopping policy stops");
    RequireErrorDocument(error);
  }
  RequireErrorDocument("(" + entry.destination + ") " + entry.hostname + " " + entry.user);
}

// Input: the scrambled value (either form), descrambled as a whole; the same
// bytes are also scrambled as a clear password, which must come back
// unchanged.
void FuzzPassword(const std::uint8_t* data, std::size_t size) {
  std::string_view text = AsText(data, size);
  if (!text.empty()) {
    DescrambleResult result = DescramblePassword(text);
    Require(result.clear.size() <= 40, "a clear password has at most 40 characters", result.clear);
    Require(result.status == DescrambleStatus::kClear || result.clear.empty(),
            "only a clear result carries text");
  }
  // A small generator from the input, so the choices vary with it.
  std::uint32_t state = 2166136261u;
  for (std::uint8_t byte : text) state = (state ^ byte) * 16777619u;
  auto random = [&state](unsigned n) {
    state = state * 1664525u + 1013904223u;
    return n == 0 ? 0u : (state >> 8) % n;
  };
  std::string value;
  std::string error;
  if (!ScramblePassword(text, random, &value, &error)) {
    Require(!error.empty(), "a refused password says why");
    return;
  }
  Require(text.size() >= 2 && text.size() <= 40 && IsPrintableAscii(text),
          "only 2 to 40 printable characters are scrambled", text);
  Require(value.size() == (text.size() <= 20 ? 24u : 44u),
          "up to 20 characters scramble into 24, longer ones into 44", value);
  bool control = false;
  for (char c : value) control = control || static_cast<unsigned char>(c) < 0x20;
  Require(!value.empty() && !control && value.back() != ' ',
          "a scrambled value holds no control byte and ends in no blank", value);
  DescrambleResult back = DescramblePassword(value);
  Require(back.status == DescrambleStatus::kClear && back.clear == text,
          "a scrambled password descrambles to itself", value);
}

}  // namespace qm::fuzz
