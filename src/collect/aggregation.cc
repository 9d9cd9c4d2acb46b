// The process filters and the summing of the TOP_SINGLE rows. AddProcessRow
// runs once per process row, so it reads the row bytes in place with the
// matchers prepared once per step and allocates nothing.
#include <cstring>
#include <string_view>

#include "collect/collect.h"
#include "collect/structures.h"

namespace qm {
namespace {

constexpr char UpperChar(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperText(std::string text) {
  for (char& c : text) c = UpperChar(c);
  return text;
}

// Upper-casing by table: this runs for every byte of every row.
struct UpperTable {
  unsigned char map[256];
  constexpr UpperTable() : map() {
    for (int c = 0; c < 256; ++c) {
      map[c] = static_cast<unsigned char>(UpperChar(static_cast<char>(c)));
    }
  }
};
constexpr UpperTable kUpper;

// The value after `key` in the parameter text, cut before its first blank or
// comma. The key is searched in the upper-cased copy, the value taken from
// the raw copy at the same place.
std::string ReadFilterValue(const std::string& parameterText,
                            const std::string& rawParameterText, const char* key) {
  std::size_t at = parameterText.find(key);
  if (at == std::string::npos) return "";
  std::size_t start = at + std::strlen(key);
  if (start >= rawParameterText.size()) return "";
  std::size_t end = rawParameterText.find_first_of(" ,", start);
  if (end == std::string::npos) end = rawParameterText.size();
  return rawParameterText.substr(start, end - start);
}

// The length of a character field's text: it ends at a NUL byte or the
// field's end.
std::size_t TextLength(const unsigned char* field, std::size_t length) {
  const void* nul = std::memchr(field, 0, length);
  return nul == nullptr ? length
                        : static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - field);
}

// True when the field's first `count` characters, upper-cased, equal `text`.
bool EqualsUpper(const unsigned char* field, const char* text, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (kUpper.map[field[i]] != static_cast<unsigned char>(text[i])) return false;
  }
  return true;
}

bool MatchesText(const unsigned char* field, std::size_t length, const TextMatcher& matcher) {
  if (matcher.matchAll) return true;
  std::size_t n = TextLength(field, length);
  while (n > 0 && field[n - 1] == ' ') --n;
  if (n == 0) return false;  // a blank text matches no value but a lone "*"
  std::size_t m = matcher.text.size();
  if (matcher.prefix ? n < m : n != m) return false;
  return EqualsUpper(field, matcher.text.data(), m);
}

// True when the field's text (up to a NUL byte) contains the upper-cased
// needle, letter case ignored; trailing blanks belong to the text. The
// needle holds no NUL byte, so a match never runs past the text's end.
bool FieldContains(const unsigned char* field, std::size_t length, std::string_view needle) {
  std::size_t m = needle.size();
  if (m == 0) return true;
  if (m > length) return false;
  const unsigned char first = static_cast<unsigned char>(needle[0]);
  for (std::size_t i = 0; i + m <= length; ++i) {
    unsigned char c = field[i];
    if (c == 0) return false;
    if (kUpper.map[c] == first && EqualsUpper(field + i + 1, needle.data() + 1, m - 1)) {
      return true;
    }
  }
  return false;
}

std::int32_t ReadInt32(const unsigned char* row, std::size_t offset) {
  std::int32_t value;
  std::memcpy(&value, row + offset, sizeof value);
  return value;
}

std::int64_t NotNegative(std::int64_t value) { return value < 0 ? 0 : value; }

}  // namespace

ProcessFilter ReadProcessFilter(const std::string& parameterText,
                                const std::string& rawParameterText) {
  std::string user = ReadFilterValue(parameterText, rawParameterText, "USER=");
  std::string process = ReadFilterValue(parameterText, rawParameterText, "PROC=");
  ProcessFilter filter;
  filter.filterText = process.empty() ? user : process;
  filter.userFilter = UpperText(user);
  filter.processFilter = UpperText(process);
  return filter;
}

TextMatcher MakeTextMatcher(const std::string& upperValue) {
  TextMatcher matcher;
  if (upperValue.empty()) return matcher;
  matcher.active = true;
  matcher.matchAll = upperValue == "*";
  matcher.prefix = upperValue.back() == '*';
  matcher.text = matcher.prefix ? upperValue.substr(0, upperValue.size() - 1) : upperValue;
  return matcher;
}

RowSelection MakeRowSelection(const ProcessFilter& filter, const std::string& destination) {
  RowSelection selection;
  selection.filter = filter;
  selection.upperDestination = UpperText(destination);
  selection.user = MakeTextMatcher(filter.userFilter);
  selection.process = MakeTextMatcher(filter.processFilter);
  selection.anyFilter = selection.user.active || selection.process.active;
  return selection;
}

bool RowMatchesFilter(const unsigned char* row, const RowSelection& selection) {
  using namespace top_single;
  if (selection.user.active &&
      !MatchesText(row + kUsername, kUsernameLength, selection.user)) {
    return false;
  }
  if (selection.process.active &&
      !MatchesText(row + kCommand, kCommandLength, selection.process)) {
    return false;
  }
  return true;
}

bool IsSystemRow(const unsigned char* row, const std::string& upperDestination) {
  using namespace top_single;
  return FieldContains(row + kUsername, kUsernameLength, upperDestination) ||
         FieldContains(row + kCommand, kCommandLength, upperDestination);
}

std::int64_t ReadCpuTime(const char* text, std::size_t length) {
  std::size_t i = 0;
  while (i < length && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  // The field has 8 characters; the bound only guards longer texts.
  constexpr std::int64_t kLimit = 100000000000000000;  // 10^17
  for (; i < length && text[i] >= '0' && text[i] <= '9' && value < kLimit; ++i) {
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

void AddProcessRow(const unsigned char* row, const RowSelection& selection,
                   ProcessTotals* totals) {
  using namespace top_single;
  std::int64_t cpuUtil = NotNegative(ReadInt32(row, kCpuUtil));
  if (!selection.anyFilter && IsSystemRow(row, selection.upperDestination)) {
    totals->systemCpuUtilSum += cpuUtil;
  }
  if (!RowMatchesFilter(row, selection)) return;
  totals->cpuUtilSum += cpuUtil;
  totals->cpuTimeSum +=
      NotNegative(ReadCpuTime(reinterpret_cast<const char*>(row + kCpuTime), kCpuTimeLength));
  totals->residentSizeSum += NotNegative(ReadInt32(row, kResSize));
  totals->privatePagesSum += NotNegative(ReadInt32(row, kPrivPages));
}

}  // namespace qm
