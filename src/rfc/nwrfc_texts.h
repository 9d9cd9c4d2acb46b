// Texts between the program and the NetWeaver RFC SDK: the program's 8-bit
// (Latin-1) texts and the SDK's UTF-16, and the fixed text fields of the
// records on both sides.
#ifndef QUILLMARK_RFC_NWRFC_TEXTS_H_
#define QUILLMARK_RFC_NWRFC_TEXTS_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "rfc/nwrfc_api.h"

namespace qm {

// 8-bit (Latin-1) text to UTF-16, one code unit per byte.
std::u16string Latin1ToUtf16(std::string_view text);
// UTF-16 to Latin-1: characters beyond Latin-1 (a surrogate pair counts as
// one character) become "?".
std::string Utf16ToLatin1(std::u16string_view text);

// The text of a terminated UTF-16 field of fixed size, never read beyond it.
template <std::size_t N>
std::u16string_view FieldText(const SAP_UC (&field)[N]) {
  std::size_t length = 0;
  while (length < N && field[length] != 0) ++length;
  return std::u16string_view(field, length);
}

// Copies `text` into the terminated 8-bit field of `size` bytes, cut to
// size - 1 characters.
void CopyCut(char* field, std::size_t size, std::string_view text);

}  // namespace qm

#endif  // QUILLMARK_RFC_NWRFC_TEXTS_H_
