// Small pieces every part of the SDK's test double uses: its UTF-16 texts
// and the SDK's error record.
#ifndef NWRFCFAKE_FAKE_COMMON_H_
#define NWRFCFAKE_FAKE_COMMON_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "rfc/nwrfc_api.h"

namespace nwrfcfake {

// UTF-16 to 8 bits: characters beyond Latin-1 become "?".
inline std::string Narrow(std::u16string_view text) {
  std::string narrow;
  for (char16_t unit : text) narrow.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
  return narrow;
}

// 8 bits (Latin-1) to UTF-16.
inline std::u16string Widen(std::string_view text) {
  std::u16string wide;
  for (char c : text) wide.push_back(static_cast<unsigned char>(c));
  return wide;
}

// A terminated UTF-16 text; empty for null.
inline std::u16string_view Terminated(const SAP_UC* text) {
  if (text == nullptr) return {};
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return std::u16string_view(text, length);
}

// True when a UTF-16 name equals an 8-bit one (no copy: called per field).
inline bool SameName(std::u16string_view wide, std::string_view narrow) {
  if (wide.size() != narrow.size()) return false;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (wide[i] != static_cast<unsigned char>(narrow[i])) return false;
  }
  return true;
}

// Copies `text` into a terminated UTF-16 field of fixed size, cut to fit.
template <std::size_t N>
void Put(SAP_UC (&field)[N], std::string_view text) {
  std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  for (std::size_t i = 0; i < n; ++i) field[i] = static_cast<unsigned char>(text[i]);
  field[n] = 0;
}

// Fills the error record (when there is one) and returns `code`.
inline RFC_RC Fail(RFC_ERROR_INFO* error, RFC_RC code, RFC_ERROR_GROUP group, std::string_view key,
                   std::string_view message) {
  if (error != nullptr) {
    *error = RFC_ERROR_INFO{};
    error->code = code;
    error->group = group;
    Put(error->key, key);
    Put(error->message, message);
  }
  return code;
}

// Clears the error record and returns RFC_OK.
inline RFC_RC Succeed(RFC_ERROR_INFO* error) {
  if (error != nullptr) *error = RFC_ERROR_INFO{};
  return RFC_OK;
}

inline RFC_RC InvalidHandle(RFC_ERROR_INFO* error) {
  return Fail(error, RFC_INVALID_HANDLE, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_HANDLE",
              "An invalid handle was passed to the API call");
}

// A parameter or value the SDK refuses.
inline RFC_RC InvalidParameter(RFC_ERROR_INFO* error, std::string_view message) {
  return Fail(error, RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_PARAMETER",
              message);
}

inline RFC_RC NoSuchField(RFC_ERROR_INFO* error, std::u16string_view name) {
  return InvalidParameter(error, "field '" + Narrow(name) + "' not found");
}

}  // namespace nwrfcfake

#endif  // NWRFCFAKE_FAKE_COMMON_H_
