#include "text.h"

namespace rfcsim {

std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  return TrimTrailingBlanks(text.substr(begin));
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

static char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool ParseInteger(std::string_view text, std::int64_t minimum, std::int64_t maximum,
                  std::int64_t* value) {
  std::string_view digits = TrimBlanks(text);
  if (digits.empty()) {
    *value = 0;
    return minimum <= 0 && 0 <= maximum;
  }
  bool negative = false;
  if (digits[0] == '+' || digits[0] == '-') {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return false;
  // Stop before the magnitude could overflow; callers' ranges are far
  // inside this limit.
  constexpr std::int64_t kLimit = static_cast<std::int64_t>(1) << 62;
  std::int64_t magnitude = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    if (magnitude > (kLimit - (c - '0')) / 10) return false;
    magnitude = magnitude * 10 + (c - '0');
  }
  std::int64_t result = negative ? -magnitude : magnitude;
  if (result < minimum || result > maximum) return false;
  *value = result;
  return true;
}

std::string FitText(std::string_view text, std::size_t width) {
  std::string result(text.substr(0, width));
  result.resize(width, ' ');
  return result;
}

std::size_t BoundedLength(const char* text, std::size_t limit) {
  std::size_t length = 0;
  while (length < limit && text[length] != '\0') ++length;
  return length;
}

}  // namespace rfcsim
