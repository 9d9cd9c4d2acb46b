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

// "ITEM=": the value ends at the first blank or comma, at most 90
// characters; a colon stands for a blank.
void ReadItem(const Parameters& text, std::size_t at, Parameters* out) {
  out->hasItem = true;
  out->item.clear();
  for (std::size_t pos = at; pos < text.rawText.size() && out->item.size() < kMaxItemLength;
       ++pos) {
    char typed = text.rawText[pos];
    if (typed == ' ' || typed == ',') break;
    out->item += typed == ':' ? ' ' : typed;
  }
}

// A filter value up to the first blank or comma (empty when it begins with
// one).
std::string FilterValue(const Parameters& text, std::size_t at) {
  if (at >= text.rawText.size()) return std::string();
  std::size_t end = text.rawText.find_first_of(" ,", at);
  if (end == std::string::npos) end = text.rawText.size();
  return text.rawText.substr(at, end - at);
}

void ReadUser(const Parameters& text, std::size_t at, Parameters* out) {
  out->userFilter = FilterValue(text, at);
}

void ReadProcess(const Parameters& text, std::size_t at, Parameters* out) {
  out->processFilter = FilterValue(text, at);
}

void ReadChannel(const Parameters& text, std::size_t at, Parameters* out) {
  out->channelSelect = true;
  out->selectedChannel = 0;
  if (at >= text.rawText.size()) return;
  std::string_view field(text.rawText.data() + at,
                         std::min(kChannelFieldLength, text.rawText.size() - at));
  field = field.substr(0, field.find(','));
  std::size_t pos = 0;
  while (pos < field.size() && field[pos] == ' ') ++pos;
  for (; pos < field.size() && field[pos] >= '0' && field[pos] <= '9'; ++pos) {
    out->selectedChannel = out->selectedChannel * 10 + static_cast<unsigned long>(field[pos] - '0');
  }
}

void SetNoHost(const Parameters&, std::size_t, Parameters* out) { out->noHost = true; }
void SetNoSysnr(const Parameters&, std::size_t, Parameters* out) { out->noSysnr = true; }

// Every keyword of the parameter text. A new keyword is one more row; its
// reader gets the position right after the keyword.
struct Keyword {
  const char* text;
  void (*read)(const Parameters& text, std::size_t valueAt, Parameters* out);
};
constexpr Keyword kKeywords[] = {
    {"ITEM=", ReadItem},  {"USER=", ReadUser},   {"PROC=", ReadProcess},
    {"CH=", ReadChannel}, {",HOST=", SetNoHost}, {",NO=", SetNoSysnr},
};

}  // namespace

Parameters ParseParameters(std::string_view rawText) {
  Parameters parameters;
  parameters.rawText = std::string(rawText);
  parameters.upperText = UpperCaseAscii(rawText);
  const std::string& upper = parameters.upperText;
  for (const Keyword& keyword : kKeywords) {
    std::size_t found = upper.find(keyword.text);
    if (found != std::string::npos) {
      keyword.read(parameters, found + std::strlen(keyword.text), &parameters);
    }
  }
  parameters.showBanner = upper.find_first_of(kBannerMarkers) != std::string::npos;
  parameters.atMarker = upper.find('@') != std::string::npos;
  parameters.sensorWord = upper.substr(0, upper.find(' '));
  return parameters;
}

}  // namespace qm
