#include "fake_values.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "text.h"

namespace nwrfcfake {
namespace {

using rfcsim::FieldType;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// A decimal number as written: sign, digits before and after the point and
// an exponent.
struct Decimal {
  bool negative = false;
  std::string integerDigits;   // without leading zeros
  std::string fractionDigits;  // without trailing zeros
  long exponent = 0;
};

bool ParseDecimal(std::string_view text, bool allowExponent, Decimal* decimal) {
  std::size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-'))
    decimal->negative = text[at++] == '-';
  std::size_t start = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  std::string_view whole = text.substr(start, at - start);
  std::string_view fraction;
  if (at < text.size() && text[at] == '.') {
    std::size_t from = ++at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    fraction = text.substr(from, at - from);
  }
  if (whole.empty() && fraction.empty()) return false;
  if (at < text.size() && allowExponent && (text[at] == 'E' || text[at] == 'e')) {
    ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    std::size_t from = at;
    while (at < text.size() && IsDigit(text[at]) && at - from < 6) {
      decimal->exponent = decimal->exponent * 10 + (text[at] - '0');
      ++at;
    }
    if (at == from) return false;
    if (negative) decimal->exponent = -decimal->exponent;
  }
  if (at != text.size()) return false;
  while (!whole.empty() && whole.front() == '0') whole.remove_prefix(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  decimal->integerDigits = std::string(whole);
  decimal->fractionDigits = std::string(fraction);
  return true;
}

bool MakeInteger(RFCTYPE type, std::string_view text, FakeValue* value) {
  std::int64_t minimum = std::numeric_limits<std::int64_t>::min();
  std::int64_t maximum = std::numeric_limits<std::int64_t>::max();
  if (type == RFCTYPE_INT1) minimum = 0, maximum = 255;
  if (type == RFCTYPE_INT2) minimum = -32768, maximum = 32767;
  if (type == RFCTYPE_INT) {
    minimum = std::numeric_limits<std::int32_t>::min();
    maximum = std::numeric_limits<std::int32_t>::max();
  }
  std::int64_t number = 0;
  if (!rfcsim::ParseInteger(text, minimum, maximum, &number)) return false;
  *value = IntegerValue(type, number);
  return true;
}

bool MakeBcd(const FieldType& type, std::string_view text, FakeValue* value) {
  Decimal decimal;
  if (!text.empty() && !ParseDecimal(text, false, &decimal)) return false;
  if (decimal.fractionDigits.size() > type.decimals) return false;
  if (decimal.integerDigits.size() + type.decimals > 2 * type.length - 1) return false;
  std::string digits = decimal.integerDigits.empty() ? "0" : decimal.integerDigits;
  std::string fraction = decimal.fractionDigits;
  fraction.resize(type.decimals, '0');
  bool zero = decimal.integerDigits.empty() && decimal.fractionDigits.empty();
  value->text =
      (decimal.negative && !zero ? "-" : "") + digits + (fraction.empty() ? "" : ".") + fraction;
  return true;
}

bool MakeDecfloat(const FieldType& type, std::string_view text, FakeValue* value) {
  Decimal decimal;
  if (text.empty()) {
    value->text = "0";
    return true;
  }
  if (!ParseDecimal(text, true, &decimal)) return false;
  std::string digits = decimal.integerDigits + decimal.fractionDigits;
  std::size_t first = digits.find_first_not_of('0');
  std::size_t last = digits.find_last_not_of('0');
  std::size_t significant = first == std::string::npos ? 0 : last - first + 1;
  bool small = type.kind == FieldType::kDecf16;
  if (significant > (small ? 16u : 34u)) return false;
  if (std::labs(decimal.exponent) > (small ? 384 : 6144)) return false;
  value->text = std::string(text[0] == '+' ? text.substr(1) : text);
  return true;
}

bool MakeFloat(std::string_view text, FakeValue* value) {
  if (text.empty()) {
    value->floating = 0;
    return true;
  }
  for (char c : text) {
    if (!IsDigit(c) && c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E') return false;
  }
  std::string copy(text);
  char* end = nullptr;
  double number = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(number)) return false;
  value->floating = number;
  return true;
}

RFC_RC CopyText(std::string_view text, RFC_CHAR* buffer, unsigned length, char pad, bool right) {
  if (buffer == nullptr || text.size() > length) return RFC_BUFFER_TOO_SMALL;
  std::size_t padding = length - text.size();
  for (unsigned i = 0; i < length; ++i) {
    std::size_t at = right ? i - padding : i;
    bool inText = right ? i >= padding : i < text.size();
    buffer[i] = inText ? static_cast<unsigned char>(text[at]) : static_cast<unsigned char>(pad);
  }
  return RFC_OK;
}

bool IsInteger(RFCTYPE type) {
  return type == RFCTYPE_INT || type == RFCTYPE_INT2 || type == RFCTYPE_INT1 ||
         type == RFCTYPE_INT8;
}

bool IsCharLike(RFCTYPE type) {
  return type == RFCTYPE_CHAR || type == RFCTYPE_NUM || type == RFCTYPE_STRING;
}

}  // namespace

RFCTYPE SdkTypeOf(FieldType::Kind kind) {
  switch (kind) {
    case FieldType::kInt1:
      return RFCTYPE_INT1;
    case FieldType::kInt2:
      return RFCTYPE_INT2;
    case FieldType::kInt:
      return RFCTYPE_INT;
    case FieldType::kInt8:
      return RFCTYPE_INT8;
    case FieldType::kNum:
      return RFCTYPE_NUM;
    case FieldType::kChar:
      return RFCTYPE_CHAR;
    case FieldType::kString:
      return RFCTYPE_STRING;
    case FieldType::kBcd:
      return RFCTYPE_BCD;
    case FieldType::kFloat:
      return RFCTYPE_FLOAT;
    case FieldType::kDecf16:
      return RFCTYPE_DECF16;
    case FieldType::kDecf34:
      return RFCTYPE_DECF34;
  }
  return RFCTYPE_NULL;
}

std::string TypeName(RFCTYPE type) {
  switch (type) {
    case RFCTYPE_CHAR:
      return "CHAR";
    case RFCTYPE_NUM:
      return "NUM";
    case RFCTYPE_STRING:
      return "STRING";
    case RFCTYPE_BCD:
      return "BCD";
    case RFCTYPE_FLOAT:
      return "FLOAT";
    case RFCTYPE_INT:
      return "INT";
    case RFCTYPE_INT1:
      return "INT1";
    case RFCTYPE_INT2:
      return "INT2";
    case RFCTYPE_INT8:
      return "INT8";
    case RFCTYPE_DECF16:
      return "DECF16";
    case RFCTYPE_DECF34:
      return "DECF34";
    default:
      return std::to_string(static_cast<int>(type));
  }
}

bool MakeValue(const FieldType& type, std::string_view text, FakeValue* value) {
  *value = FakeValue{};
  value->type = SdkTypeOf(type.kind);
  value->length = type.length;
  value->decimals = type.decimals;
  std::string_view trimmed = rfcsim::TrimBlanks(text);
  switch (type.kind) {
    case FieldType::kInt1:
    case FieldType::kInt2:
    case FieldType::kInt:
    case FieldType::kInt8:
      return MakeInteger(value->type, trimmed, value);
    case FieldType::kNum:
      if (!AllDigits(trimmed) || trimmed.size() > type.length) return false;
      value->text = std::string(type.length - trimmed.size(), '0') + std::string(trimmed);
      return true;
    case FieldType::kChar:
      value->text = rfcsim::FitText(text, type.length);
      return true;
    case FieldType::kString:
      value->text = std::string(text);
      return true;
    case FieldType::kBcd:
      return MakeBcd(type, trimmed, value);
    case FieldType::kFloat:
      return MakeFloat(trimmed, value);
    case FieldType::kDecf16:
    case FieldType::kDecf34:
      return MakeDecfloat(type, trimmed, value);
  }
  return false;
}

FakeValue IntegerValue(RFCTYPE type, std::int64_t number) {
  FakeValue value;
  value.type = type;
  value.integer = number;
  return value;
}

FakeValue CharValue(std::string_view text, unsigned length) {
  FakeValue value;
  value.type = RFCTYPE_CHAR;
  value.length = length;
  value.text = rfcsim::FitText(text, length);
  return value;
}

std::string StringForm(const FakeValue& value) {
  if (IsInteger(value.type)) return std::to_string(value.integer);
  if (value.type == RFCTYPE_FLOAT) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.16E", value.floating);
    return buffer;
  }
  if (value.type == RFCTYPE_CHAR) return std::string(rfcsim::TrimTrailingBlanks(value.text));
  return value.text;
}

RFC_RC GetInt(const FakeValue& value, RFC_INT* out) {
  if (value.type == RFCTYPE_INT || value.type == RFCTYPE_INT2 || value.type == RFCTYPE_INT1) {
    *out = static_cast<RFC_INT>(value.integer);
    return RFC_OK;
  }
  if (!IsCharLike(value.type)) return RFC_CONVERSION_FAILURE;
  // As atoi reads a text: blanks, a sign, then digits up to anything else.
  std::string_view text = value.text;
  std::size_t at = 0;
  while (at < text.size() && rfcsim::IsBlank(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  std::int64_t number = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    number = number * 10 + (text[at] - '0');
    if (number > 2147483648LL) return RFC_CONVERSION_FAILURE;
  }
  if (negative) number = -number;
  if (number > std::numeric_limits<RFC_INT>::max()) return RFC_CONVERSION_FAILURE;
  *out = static_cast<RFC_INT>(number);
  return RFC_OK;
}

RFC_RC GetInt8(const FakeValue& value, RFC_INT8* out) {
  if (!IsInteger(value.type)) return RFC_CONVERSION_FAILURE;
  *out = value.integer;
  return RFC_OK;
}

RFC_RC GetFloat(const FakeValue& value, RFC_FLOAT* out) {
  if (value.type == RFCTYPE_FLOAT) {
    *out = value.floating;
    return RFC_OK;
  }
  if (value.type != RFCTYPE_BCD) return RFC_CONVERSION_FAILURE;
  *out = std::strtod(value.text.c_str(), nullptr);
  return RFC_OK;
}

RFC_RC GetChars(const FakeValue& value, RFC_CHAR* buffer, unsigned length) {
  if (value.type == RFCTYPE_CHAR) {
    if (length < value.length) return RFC_BUFFER_TOO_SMALL;
    return CopyText(value.text, buffer, length, ' ', false);
  }
  return CopyText(StringForm(value), buffer, length, ' ', false);
}

RFC_RC GetNum(const FakeValue& value, RFC_NUM* buffer, unsigned length) {
  std::string digits;
  if (IsInteger(value.type)) {
    if (value.integer < 0) return RFC_CONVERSION_FAILURE;
    digits = std::to_string(value.integer);
  } else if (IsCharLike(value.type)) {
    digits = std::string(rfcsim::TrimBlanks(value.text));
    if (!AllDigits(digits)) return RFC_CONVERSION_FAILURE;
  } else {
    return RFC_CONVERSION_FAILURE;
  }
  return CopyText(digits, buffer, length, '0', true);
}

RFC_RC GetString(const FakeValue& value, SAP_UC* buffer, unsigned length, unsigned* needed) {
  std::string form = StringForm(value);
  if (needed != nullptr) *needed = static_cast<unsigned>(form.size());
  if (buffer == nullptr || length < form.size() + 1) return RFC_BUFFER_TOO_SMALL;
  for (std::size_t i = 0; i < form.size(); ++i) buffer[i] = static_cast<unsigned char>(form[i]);
  buffer[form.size()] = 0;
  return RFC_OK;
}

}  // namespace nwrfcfake
