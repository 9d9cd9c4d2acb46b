#include "config/password.h"

#include <cstddef>
#include <vector>

namespace qm {
namespace {

// The two forms of a scrambled value: the 4-character header and a body of
// 20 characters (for passwords of up to 20 characters) or 40 (up to 40).
struct ValueForm {
  std::size_t valueLength;
  std::size_t bodyLength;
};
constexpr std::size_t kHeaderLength = 4;
constexpr ValueForm kShortForm = {24, 20};
constexpr ValueForm kLongForm = {44, 40};
constexpr std::size_t kMinClearLength = 2;
constexpr std::size_t kMaxClearLength = 40;
constexpr unsigned kOffsetCount = 10;

// Every value lies in 0x01..0x0F: XOR then only touches the low four bits, so
// a printable character stays printable (never a line end, NUL or 0x1A, never
// above 0x7F) and a header digit stays in 0x30..0x3F, never a blank. The
// entries that meet the last body character (19..28 in the short form, 7..16
// in the long one) are not all equal, so some offset always keeps a scrambled
// value from ending in a blank.
constexpr std::array<std::uint8_t, 32> kKeyTable = {
    0x07, 0x0B, 0x03, 0x0D, 0x05, 0x0E, 0x09, 0x02, 0x0C, 0x06, 0x01, 0x0A, 0x0F, 0x04, 0x08, 0x0B,
    0x03, 0x0E, 0x06, 0x0D, 0x09, 0x01, 0x0C, 0x05, 0x0A, 0x02, 0x07, 0x0F, 0x04, 0x08, 0x06, 0x0B};

// Only digits and ASCII letters count towards the check digit.
bool InPasswordAlphabet(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Xor(char c, std::uint8_t key) {
  return static_cast<char>(static_cast<unsigned char>(c) ^ key);
}

// The key of body position `i`. The short form never reaches past entry 28,
// so the wrap only ever applies to the long form.
std::uint8_t BodyKey(unsigned offset, std::size_t i) {
  return kKeyTable[(offset + i) % kKeyTable.size()];
}

unsigned CheckDigit(std::string_view text) {
  unsigned sum = 0;
  for (char c : text) {
    unsigned char code = static_cast<unsigned char>(c);
    if (InPasswordAlphabet(code)) sum += code;
  }
  return sum % 10;
}

// Text positions 0, 1, 2, 3, ... sit at body positions 0, n-1, 1, n-2, ...
std::size_t BodyIndexOfTextIndex(std::size_t textIndex, std::size_t bodyLength) {
  std::size_t pair = textIndex / 2;
  return textIndex % 2 == 0 ? pair : bodyLength - 1 - pair;
}

// The form a value of `length` characters has, or null.
const ValueForm* FormOfValue(std::size_t length) {
  if (length == kShortForm.valueLength) return &kShortForm;
  if (length == kLongForm.valueLength) return &kLongForm;
  return nullptr;
}

const ValueForm& FormForClear(std::size_t clearLength) {
  return clearLength <= kShortForm.bodyLength ? kShortForm : kLongForm;
}

bool CheckClearPassword(std::string_view clear, std::string* error) {
  if (clear.size() < kMinClearLength || clear.size() > kMaxClearLength) {
    *error =
        "the password must have 2 to 40 characters, this one has " + std::to_string(clear.size());
    return false;
  }
  for (std::size_t i = 0; i < clear.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(clear[i]);
    if (c < 0x20 || c > 0x7E) {
      *error = "the password may only hold printable ASCII characters (0x20 to 0x7E); character " +
               std::to_string(i + 1) + " is not one";
      return false;
    }
  }
  return true;
}

// The offsets for which the value does not end in a blank. The last value
// character is the second clear character combined with the key of the last
// body position.
std::vector<unsigned> UsableOffsets(std::string_view clear, const ValueForm& form) {
  std::vector<unsigned> offsets;
  for (unsigned offset = 0; offset < kOffsetCount; ++offset) {
    if (Xor(clear[1], BodyKey(offset, form.bodyLength - 1)) != ' ') offsets.push_back(offset);
  }
  return offsets;
}

std::string ScrambleWith(std::string_view text, unsigned offset, std::size_t clearLength,
                         const ValueForm& form) {
  char header[kHeaderLength] = {
      static_cast<char>('0' + CheckDigit(text)), static_cast<char>('0' + offset),
      static_cast<char>('0' + clearLength / 10), static_cast<char>('0' + clearLength % 10)};
  std::string value(form.valueLength, ' ');
  for (std::size_t i = 0; i < kHeaderLength; ++i) value[i] = Xor(header[i], kKeyTable[i]);
  for (std::size_t t = 0; t < form.bodyLength; ++t) {
    std::size_t b = BodyIndexOfTextIndex(t, form.bodyLength);
    value[kHeaderLength + b] = Xor(text[t], BodyKey(offset, b));
  }
  return value;
}

bool IsWritableValue(const std::string& value) {
  for (char c : value) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  return !value.empty() && value.back() != ' ';
}

}  // namespace

const std::array<std::uint8_t, 32>& PasswordKeyTable() { return kKeyTable; }

DescrambleResult DescramblePassword(std::string_view value) {
  DescrambleResult result;
  const ValueForm* form = FormOfValue(value.size());
  if (form == nullptr) return result;
  char header[kHeaderLength];
  for (std::size_t i = 0; i < kHeaderLength; ++i) {
    header[i] = Xor(value[i], kKeyTable[i]);
    if (!IsDigit(header[i])) return result;
  }
  unsigned offset = static_cast<unsigned>(header[1] - '0');
  std::size_t length = static_cast<std::size_t>((header[2] - '0') * 10 + (header[3] - '0'));

  std::string body(form->bodyLength, '\0');
  for (std::size_t i = 0; i < form->bodyLength; ++i) {
    body[i] = Xor(value[kHeaderLength + i], BodyKey(offset, i));
  }
  std::string text;
  for (std::size_t t = 0; t < form->bodyLength; ++t) {
    char c = body[BodyIndexOfTextIndex(t, form->bodyLength)];
    if (c != '\0') text.push_back(c);  // a zero byte is no character
  }

  if (CheckDigit(text) != static_cast<unsigned>(header[0] - '0')) {
    result.status = DescrambleStatus::kWrong;
    return result;
  }
  result.status = DescrambleStatus::kClear;
  result.clear = text.substr(0, length);
  return result;
}

bool ScramblePassword(std::string_view clear, const std::function<unsigned(unsigned)>& random,
                      std::string* value, std::string* error) {
  if (!CheckClearPassword(clear, error)) return false;
  const ValueForm& form = FormForClear(clear.size());
  std::vector<unsigned> offsets = UsableOffsets(clear, form);
  // Filler and offset are drawn again until the value is fit for a profile
  // line; with a usable offset and printable filler the first draw already is.
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (offsets.empty()) break;
    unsigned offset = offsets[random(static_cast<unsigned>(offsets.size())) % offsets.size()];
    std::string text(clear);
    while (text.size() < form.bodyLength) {
      text.push_back(static_cast<char>(0x20 + random(0x7F - 0x20) % (0x7F - 0x20)));
    }
    std::string candidate = ScrambleWith(text, offset, clear.size(), form);
    if (!IsWritableValue(candidate)) continue;
    DescrambleResult back = DescramblePassword(candidate);
    if (back.status != DescrambleStatus::kClear || back.clear != clear) {
      *error = "internal error: the scrambled value does not descramble to the password";
      return false;
    }
    *value = candidate;
    return true;
  }
  *error = "internal error: no scrambled value fit for a profile line was found";
  return false;
}

}  // namespace qm
