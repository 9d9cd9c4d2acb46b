#include "config/parameters.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/text.h"

namespace qm {
namespace {

constexpr std::size_t kMaxItemLength = 90;
constexpr std::size_t kChannelFieldLength = 3;
constexpr char kBannerMarkers[] = "#@$%";

// One parse: the text as passed, its upper-cased copy, the text the values
// of thresholds and EXTRA= are taken from (the same layout; colons kept in
// a sensor text), the record being filled, and where its error was found.
struct ParseState {
  std::string_view raw;
  std::string_view upper;
  std::string_view values;
  Parameters* out;
  std::size_t errorAt = std::string_view::npos;
};

// A value from `at` up to the first blank or comma (may be empty).
std::string_view ValueAt(std::string_view text, std::size_t at) {
  if (at >= text.size()) return {};
  std::size_t end = text.find_first_of(" ,", at);
  return text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
}

// Keeps the leftmost error of the text.
void NoteError(ParseState& state, std::size_t at, std::string message) {
  if (at >= state.errorAt) return;
  state.errorAt = at;
  state.out->error = std::move(message);
}

// "ITEM=": the value ends at the first blank or comma, at most 90
// characters; a colon stands for a blank.
void ReadItem(ParseState& state, std::size_t at) {
  Parameters* out = state.out;
  out->hasItem = true;
  out->item.clear();
  for (std::size_t pos = at; pos < state.raw.size() && out->item.size() < kMaxItemLength; ++pos) {
    char typed = state.raw[pos];
    if (typed == ' ' || typed == ',') break;
    out->item += typed == ':' ? ' ' : typed;
  }
}

void ReadUser(ParseState& state, std::size_t at) {
  state.out->userFilter = std::string(ValueAt(state.raw, at));
}

void ReadProcess(ParseState& state, std::size_t at) {
  state.out->processFilter = std::string(ValueAt(state.raw, at));
}

void ReadChannel(ParseState& state, std::size_t at) {
  Parameters* out = state.out;
  out->channelSelect = true;
  out->selectedChannel = 0;
  if (at >= state.raw.size()) return;
  std::string_view field = state.raw.substr(at, kChannelFieldLength);
  field = field.substr(0, field.find(','));
  std::size_t pos = 0;
  while (pos < field.size() && field[pos] == ' ') ++pos;
  for (; pos < field.size() && field[pos] >= '0' && field[pos] <= '9'; ++pos) {
    out->selectedChannel = out->selectedChannel * 10 + static_cast<unsigned long>(field[pos] - '0');
  }
}

void SetNoHost(ParseState& state, std::size_t) { state.out->noHost = true; }
void SetNoSysnr(ParseState& state, std::size_t) { state.out->noSysnr = true; }

// "EXTRA=": names joined by ":", each PROCS or RTIME in any letter case.
void ReadExtra(ParseState& state, std::size_t at) {
  constexpr std::size_t kKeywordLength = 6;  // "EXTRA="
  std::string_view value = ValueAt(state.values, at);
  std::string upper = UpperCaseAscii(value);
  bool processes = false;
  bool responseTime = false;
  bool sound = true;
  std::size_t start = 0;
  for (;;) {
    std::size_t colon = upper.find(':', start);
    std::string_view name = std::string_view(upper).substr(start, colon - start);
    if (name == "PROCS") {
      processes = true;
    } else if (name == "RTIME") {
      responseTime = true;
    } else {
      sound = false;
    }
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (!sound) {
    std::size_t from = at - kKeywordLength;
    NoteError(state, from,
              "Error 1032: Invalid Extra-Channel " +
                  std::string(state.values.substr(from, kKeywordLength + value.size())) +
                  " found...");
    return;
  }
  state.out->extraProcesses = processes;
  state.out->extraResponseTime = responseTime;
}

// Every keyword with a fixed text. A new keyword is one more row; its reader
// gets the position right after the keyword. The thresholds are read by
// ReadThresholds, as their names form a family.
struct Keyword {
  const char* text;
  void (*read)(ParseState& state, std::size_t valueAt);
};
constexpr Keyword kKeywords[] = {
    {"ITEM=", ReadItem},   {"USER=", ReadUser},  {"PROC=", ReadProcess}, {"CH=", ReadChannel},
    {",HOST=", SetNoHost}, {",NO=", SetNoSysnr}, {"EXTRA=", ReadExtra},
};

// "WARN.NAME=" / "CRIT.NAME=" where NAME is a run of letters: a known NAME's
// first occurrence sets its range, every malformed range and every unknown
// NAME is an error.
void ReadThresholds(ParseState& state, const char* prefix, bool critical) {
  constexpr std::size_t kPrefixLength = 5;  // "WARN." or "CRIT."
  bool seen[kReadingCount] = {};
  for (std::size_t at = state.upper.find(prefix); at != std::string_view::npos;
       at = state.upper.find(prefix, at + 1)) {
    std::size_t nameEnd = at + kPrefixLength;
    while (nameEnd < state.upper.size() && state.upper[nameEnd] >= 'A' &&
           state.upper[nameEnd] <= 'Z') {
      ++nameEnd;
    }
    if (nameEnd == at + kPrefixLength || nameEnd >= state.upper.size() ||
        state.upper[nameEnd] != '=') {
      continue;  // not a keyword: "CRIT.EXE" in a process name
    }
    std::string_view value = ValueAt(state.values, nameEnd + 1);
    std::string asWritten(state.values.substr(at, nameEnd + 1 - at + value.size()));
    std::optional<Reading> reading = ReadingOfThresholdName(
        state.upper.substr(at + kPrefixLength, nameEnd - at - kPrefixLength));
    std::optional<Range> range = ParseRange(value);
    if (!reading || (!seen[static_cast<std::size_t>(*reading)] && !range)) {
      NoteError(state, at, "Error 1031: Invalid Threshold " + asWritten + " found...");
      continue;
    }
    std::size_t index = static_cast<std::size_t>(*reading);
    if (seen[index]) continue;
    seen[index] = true;
    (critical ? state.out->thresholds.critical : state.out->thresholds.warning)[index] = range;
  }
}

// Parses `rawText`; the values of thresholds and EXTRA= come from
// `valueText`, which has the same layout.
Parameters Parse(std::string_view rawText, std::string_view valueText) {
  Parameters parameters;
  parameters.rawText = std::string(rawText);
  parameters.upperText = UpperCaseAscii(rawText);
  ParseState state{parameters.rawText, parameters.upperText, valueText, &parameters};
  const std::string& upper = parameters.upperText;
  for (const Keyword& keyword : kKeywords) {
    std::size_t found = upper.find(keyword.text);
    if (found != std::string::npos) keyword.read(state, found + std::strlen(keyword.text));
  }
  ReadThresholds(state, "WARN.", false);
  ReadThresholds(state, "CRIT.", true);
  parameters.showBanner = upper.find_first_of(kBannerMarkers) != std::string::npos;
  parameters.atMarker = upper.find('@') != std::string::npos;
  parameters.sensorWord = upper.substr(0, upper.find(' '));
  return parameters;
}

}  // namespace

Parameters ParseParameters(std::string_view rawText) { return Parse(rawText, rawText); }

Parameters ParseSensorParameters(std::string_view sensorText) {
  std::string text(sensorText);
  std::replace(text.begin(), text.end(), ':', ' ');
  return Parse(text, sensorText);
}

}  // namespace qm
