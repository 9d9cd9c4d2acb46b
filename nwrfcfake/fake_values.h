// The values of the test double's fields, typed as the SDK types them, and
// the conversions the SDK's getter functions make of them (as documented
// for RfcGetInt, RfcGetInt8, RfcGetFloat, RfcGetChars, RfcGetNum and
// RfcGetString): what the SDK refuses, the double refuses.
#ifndef NWRFCFAKE_FAKE_VALUES_H_
#define NWRFCFAKE_FAKE_VALUES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "landscape.h"
#include "rfc/nwrfc_api.h"

namespace nwrfcfake {

// One field's value with its SDK type.
struct FakeValue {
  RFCTYPE type = RFCTYPE_INT;
  unsigned length = 0;       // CHAR, NUM: characters; BCD: bytes
  unsigned decimals = 0;     // BCD
  std::int64_t integer = 0;  // INT1, INT2, INT, INT8
  double floating = 0;       // FLOAT
  // CHAR blank-padded, NUM zero-padded to `length`; STRING as it is; BCD
  // with exactly `decimals` digits after the point; DECF as written.
  std::string text;
};

// The SDK type of a `field_types` kind.
RFCTYPE SdkTypeOf(rfcsim::FieldType::Kind kind);

// The type's name as the double's messages show it ("INT8", "BCD", ...).
std::string TypeName(RFCTYPE type);

// The value of `type` that `text` (a CSV cell, or a field of a stand-in
// row written as text) gives; false when it is no value of that type:
// an integer out of the type's range, a NUM with other than digits, a BCD
// with more digits or decimals than it holds, a float or decimal float
// that is not a finite number of its precision.
bool MakeValue(const rfcsim::FieldType& type, std::string_view text, FakeValue* value);

// An INT value and a CHAR value of `length` characters.
FakeValue IntegerValue(RFCTYPE type, std::int64_t number);
FakeValue CharValue(std::string_view text, unsigned length);

// The value as RfcGetString gives it (CHAR without trailing blanks).
std::string StringForm(const FakeValue& value);

// RfcGetInt: INT, INT2, INT1; CHAR, NUM, STRING read as atoi reads them.
// RfcGetInt8: the integer types. RfcGetFloat: FLOAT and BCD. Other types,
// or a value beyond the result's range: RFC_CONVERSION_FAILURE.
RFC_RC GetInt(const FakeValue& value, RFC_INT* out);
RFC_RC GetInt8(const FakeValue& value, RFC_INT8* out);
RFC_RC GetFloat(const FakeValue& value, RFC_FLOAT* out);

// RfcGetChars: the text form left-aligned, blank-padded to the buffer;
// RFC_BUFFER_TOO_SMALL when it is longer (for CHAR: when the buffer is
// shorter than the field).
RFC_RC GetChars(const FakeValue& value, RFC_CHAR* buffer, unsigned length);
// RfcGetNum: digits right-aligned with leading zeros, from NUM, CHAR and
// STRING holding only digits, and from integers that are not negative;
// else RFC_CONVERSION_FAILURE.
RFC_RC GetNum(const FakeValue& value, RFC_NUM* buffer, unsigned length);
// RfcGetString: the text form, terminated; RFC_BUFFER_TOO_SMALL with
// *needed the length without the terminator when it does not fit.
RFC_RC GetString(const FakeValue& value, SAP_UC* buffer, unsigned length, unsigned* needed);

}  // namespace nwrfcfake

#endif  // NWRFCFAKE_FAKE_VALUES_H_
