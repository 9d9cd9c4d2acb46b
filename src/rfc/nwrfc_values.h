// Values as the NetWeaver RFC SDK delivers them (integers, decimal texts of
// packed and decimal floating-point numbers, floats, texts) and their
// conversion into the classic row layout: 4- or 2-byte integers and
// blank-padded texts. Pure functions; a value that does not convert exactly
// is reported, never turned into 0.
#ifndef QUILLMARK_RFC_NWRFC_VALUES_H_
#define QUILLMARK_RFC_NWRFC_VALUES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "rfc/nwrfc_api.h"

namespace qm {

// One value read from the SDK.
struct SdkValue {
  enum Kind {
    kInteger,  // `integer`: INT1, INT2, INT, INT8
    kDecimal,  // `text` in decimal notation, maybe with an exponent: BCD, DECF, NUM
    kFloat,    // `floating`: FLOAT
    kText      // `text`: CHAR, STRING
  };
  Kind kind = kInteger;
  std::int64_t integer = 0;
  double floating = 0;
  std::string text;
};

// The name of an SDK type as trace texts show it: "INT8", "BCD", "CHAR",
// "DECF34", ...; "type N" for a code without a name.
std::string SdkTypeName(RFCTYPE type);

// The integer part of a decimal text ("-12.5", "1.25E+3", " 7 "; blanks
// around allowed, an all-blank text is 0), cut toward zero. False when the
// text is no such number (*tooLarge false) or its integer part lies beyond
// the 64-bit range (*tooLarge true).
bool DecimalIntegerPart(std::string_view text, std::int64_t* value, bool* tooLarge);

// The value for a classic integer field of `width` bytes (4 or 2):
// integers as they are, decimal texts and floats cut toward zero, texts
// read as decimal numbers. False with *problem ("value 4294967296 does not
// fit 4 bytes", "value 'x7' is not a number").
bool ClassicInteger(const SdkValue& value, unsigned width, std::int32_t* out, std::string* problem);

// The text for a classic text field of `length` characters: texts cut or
// blank-padded; numbers as their integer part, right-aligned and
// blank-padded. False with *problem ("value 123456789 does not fit 8
// characters", "value 'x' is not a number").
bool ClassicText(const SdkValue& value, unsigned length, std::string* out, std::string* problem);

}  // namespace qm

#endif  // QUILLMARK_RFC_NWRFC_VALUES_H_
