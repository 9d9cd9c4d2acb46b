#include "rfc/nwrfc_values.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/text.h"

namespace qm {
namespace {

// Values in trace texts stay short: the hint line has room for about 85
// characters.
constexpr std::size_t kShownLength = 24;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Shown(std::string_view text) {
  text = TrimBlanksAndTabs(text);
  if (text.size() <= kShownLength) return std::string(text);
  return std::string(text.substr(0, kShownLength)) + "...";
}

// The fewest digits of `format` that read back as `value`. printf rounds
// correctly, so the first precision that reads back is the shortest form.
// (std::to_chars would do the same, but brings in the maths library, one
// more library to load at every start.)
// Fixed notation needs up to 330 decimals for the smallest values; 17
// significant digits always read back.
std::string ShortestText(double value, const char* format, int firstPrecision, int lastPrecision) {
  char buffer[400];
  for (int precision = firstPrecision; precision < lastPrecision; ++precision) {
    std::snprintf(buffer, sizeof buffer, format, precision, value);
    if (std::strtod(buffer, nullptr) == value) return buffer;
  }
  std::snprintf(buffer, sizeof buffer, format, lastPrecision, value);
  return buffer;
}

std::string FloatText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  // Plain digits while they stay short, else the shortest exact form.
  return std::fabs(value) < 1e15 ? ShortestText(value, "%.*f", 0, 330)
                                 : ShortestText(value, "%.*g", 1, 17);
}

// The digits of a decimal text without sign, point and exponent, with the
// position of the point counted from their start.
struct DecimalParts {
  bool negative = false;
  std::string digits;     // leading zeros removed; empty for zero
  long long pointAt = 0;  // digits before the point (may be negative)
  bool hugeExponent = false;
  bool exponentNegative = false;
};

// Reads an optional exponent "E+12" at `at`; false when it is malformed.
bool ReadExponent(std::string_view text, std::size_t at, DecimalParts* parts) {
  if (at == text.size()) return true;
  if (text[at] != 'E' && text[at] != 'e') return false;
  ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at == text.size()) return false;
  long long exponent = 0;
  for (; at < text.size(); ++at) {
    if (!IsDigit(text[at])) return false;
    if (exponent < 1000000) exponent = exponent * 10 + (text[at] - '0');
  }
  if (exponent >= 1000000) {
    parts->hugeExponent = true;
    parts->exponentNegative = negative;
  }
  parts->pointAt += negative ? -exponent : exponent;
  return true;
}

bool SplitDecimal(std::string_view text, DecimalParts* parts) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) parts->negative = text[at++] == '-';
  std::size_t digitCount = 0;
  bool seenPoint = false;
  for (; at < text.size(); ++at) {
    char c = text[at];
    if (c == '.' && !seenPoint) {
      seenPoint = true;
      continue;
    }
    if (!IsDigit(c)) break;
    ++digitCount;
    if (parts->digits.empty() && c == '0') {
      if (seenPoint) --parts->pointAt;  // a zero after the point shifts it
      continue;
    }
    parts->digits.push_back(c);
    if (!seenPoint) ++parts->pointAt;
  }
  if (digitCount == 0) return false;
  return ReadExponent(text, at, parts);
}

// "does not fit 4 bytes" / "does not fit 8 characters".
std::string DoesNotFit(const std::string& shown, unsigned size, const char* unit) {
  return "value " + shown + " does not fit " + std::to_string(size) + " " + unit;
}

std::string NotANumber(std::string_view text) {
  return "value '" + Shown(text) + "' is not a number";
}

// The integer of a value (decimal texts and floats cut toward zero); false
// with *problem. *shown is the value as trace texts show it.
bool IntegerOf(const SdkValue& value, std::int64_t* integer, bool* tooLarge, std::string* shown,
               std::string* problem) {
  *tooLarge = false;
  switch (value.kind) {
    case SdkValue::kInteger:
      *integer = value.integer;
      *shown = std::to_string(value.integer);
      return true;
    case SdkValue::kFloat: {
      *shown = FloatText(value.floating);
      if (std::isnan(value.floating)) {
        *problem = "value nan is not a number";
        return false;
      }
      double cut = std::trunc(value.floating);
      if (!(cut > -9.2e18 && cut < 9.2e18)) {
        *tooLarge = true;
        return false;
      }
      *integer = static_cast<std::int64_t>(cut);
      return true;
    }
    case SdkValue::kDecimal:
    case SdkValue::kText:
      *shown = Shown(value.text);
      if (DecimalIntegerPart(value.text, integer, tooLarge)) return true;
      if (!*tooLarge) *problem = NotANumber(value.text);
      return false;
  }
  return false;
}

}  // namespace

std::string SdkTypeName(RFCTYPE type) {
  switch (type) {
    case RFCTYPE_CHAR:
      return "CHAR";
    case RFCTYPE_DATE:
      return "DATE";
    case RFCTYPE_BCD:
      return "BCD";
    case RFCTYPE_TIME:
      return "TIME";
    case RFCTYPE_BYTE:
      return "BYTE";
    case RFCTYPE_TABLE:
      return "TABLE";
    case RFCTYPE_NUM:
      return "NUM";
    case RFCTYPE_FLOAT:
      return "FLOAT";
    case RFCTYPE_INT:
      return "INT";
    case RFCTYPE_INT2:
      return "INT2";
    case RFCTYPE_INT1:
      return "INT1";
    case RFCTYPE_STRUCTURE:
      return "STRUCTURE";
    case RFCTYPE_DECF16:
      return "DECF16";
    case RFCTYPE_DECF34:
      return "DECF34";
    case RFCTYPE_STRING:
      return "STRING";
    case RFCTYPE_XSTRING:
      return "XSTRING";
    case RFCTYPE_INT8:
      return "INT8";
    case RFCTYPE_UTCLONG:
      return "UTCLONG";
    default:
      return "type " + std::to_string(static_cast<int>(type));
  }
}

bool DecimalIntegerPart(std::string_view text, std::int64_t* value, bool* tooLarge) {
  *tooLarge = false;
  text = TrimBlanksAndTabs(text);
  *value = 0;
  if (text.empty()) return true;
  DecimalParts parts;
  if (!SplitDecimal(text, &parts)) return false;
  if (parts.digits.empty()) return true;  // zero, whatever its exponent
  if (parts.hugeExponent) {
    *tooLarge = !parts.exponentNegative;
    return parts.exponentNegative;
  }
  if (parts.pointAt <= 0) return true;  // only a fraction
  if (parts.pointAt > 19) {
    *tooLarge = true;
    return false;
  }
  std::uint64_t magnitude = 0;
  for (long long i = 0; i < parts.pointAt; ++i) {
    char digit = i < static_cast<long long>(parts.digits.size()) ? parts.digits[i] : '0';
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  const std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) +
                              (parts.negative ? 1 : 0);
  if (magnitude > limit) {
    *tooLarge = true;
    return false;
  }
  *value = parts.negative ? static_cast<std::int64_t>(0 - magnitude)
                          : static_cast<std::int64_t>(magnitude);
  return true;
}

bool ClassicInteger(const SdkValue& value, unsigned width, std::int32_t* out,
                    std::string* problem) {
  std::int64_t integer = 0;
  bool tooLarge = false;
  std::string shown;
  bool read = IntegerOf(value, &integer, &tooLarge, &shown, problem);
  if (!read && !tooLarge) return false;
  std::int64_t minimum = width >= 4 ? std::numeric_limits<std::int32_t>::min() : -32768;
  std::int64_t maximum = width >= 4 ? std::numeric_limits<std::int32_t>::max() : 32767;
  if (tooLarge || integer < minimum || integer > maximum) {
    *problem = DoesNotFit(shown, width >= 4 ? 4 : 2, "bytes");
    return false;
  }
  *out = static_cast<std::int32_t>(integer);
  return true;
}

bool ClassicText(const SdkValue& value, unsigned length, std::string* out, std::string* problem) {
  if (value.kind == SdkValue::kText) {
    *out = value.text.substr(0, length);
    out->resize(length, ' ');
    return true;
  }
  std::int64_t integer = 0;
  bool tooLarge = false;
  std::string shown;
  bool read = IntegerOf(value, &integer, &tooLarge, &shown, problem);
  if (!read && !tooLarge) return false;
  std::string digits = std::to_string(integer);
  if (tooLarge || digits.size() > length) {
    *problem = DoesNotFit(tooLarge ? shown : digits, length, "characters");
    return false;
  }
  *out = std::string(length - digits.size(), ' ') + digits;
  return true;
}

}  // namespace qm
