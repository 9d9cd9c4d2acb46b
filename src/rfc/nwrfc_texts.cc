#include "rfc/nwrfc_texts.h"

#include <cstring>

namespace qm {

std::u16string Latin1ToUtf16(std::string_view text) {
  std::u16string wide(text.size(), u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    wide[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
  }
  return wide;
}

std::string Utf16ToLatin1(std::u16string_view text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF;
    if (pair) ++i;
    narrow.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
  }
  return narrow;
}

void CopyCut(char* field, std::size_t size, std::string_view text) {
  std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

}  // namespace qm
