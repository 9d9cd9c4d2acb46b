// Reading received fields by the type the system describes for them: the
// description of a table's row type or of a function's parameter gives the
// SDK type, which picks the SDK function that reads the value exactly, and
// the value then goes into the installed classic field. Internal to the
// adapter.
#ifndef QUILLMARK_RFC_NWRFC_FIELDS_H_
#define QUILLMARK_RFC_NWRFC_FIELDS_H_

#include <string>
#include <string_view>
#include <vector>

#include "rfc/nwrfc_adapter.h"
#include "rfc/nwrfc_state.h"
#include "rfc/nwrfc_values.h"

namespace qm::nwrfc {

// How the system describes a field or parameter.
struct SdkField {
  bool described = false;  // false: the system has no such field
  RFCTYPE type = RFCTYPE_CHAR;
  unsigned length = 0;  // bytes in a 1-byte-per-character system
};

// True for the fields the program's readings are made from: USERNAME,
// COMMAND, CPU_UTIL, CPU_TIME, RES_SIZE and PRIV_PAGES of TOP_SINGLE. These
// are never left 0 or blank when the system's value cannot be delivered.
bool IsReadingField(std::string_view structure, std::u16string_view field);

// True for the types the adapter reads: the integer types, FLOAT, BCD,
// DECF16, DECF34, NUM, CHAR and STRING.
bool IsReadableType(RFCTYPE type);

// Reads the value of field `name` of `container` with the SDK function for
// its type. False with *problem ("cannot be read: <SDK message>") when the
// SDK refuses or the type is not one the adapter reads.
bool ReadSdkValue(const NwRfcApi& api, DATA_CONTAINER_HANDLE container, const std::u16string& name,
                  const SdkField& field, SdkValue* value, std::string* problem);

// Writes `value` into a classic field of `type` (kRfcTypeChar, kRfcTypeInt,
// kRfcTypeInt2) and `length` bytes at `out`: integers in native byte
// order, texts blank-padded. False with *problem when it does not convert.
bool StoreClassic(const SdkValue& value, unsigned type, unsigned length, unsigned char* out,
                  std::string* problem);

// Reads the rows of one table into the installed structure's layout.
class RowReader {
 public:
  RowReader(const NwRfcApi& api, const Structure& structure, unsigned rowLength)
      : api_(api), structure_(structure), rowLength_(rowLength) {}

  // Looks up every installed field (that fits the row) in the row type's
  // description. False with *problem ("TOP_SINGLE-RES_SIZE: ...") when a
  // reading field is not described or has a type that cannot be read.
  bool Describe(RFC_TYPE_DESC_HANDLE rowType, std::string* problem);

  // Reads the current row of `table` into `row` (rowLength bytes, zeroed):
  // every field by its described type; a field the system lacks or whose
  // value does not convert stays 0 or blank, unless it is a reading field:
  // then false with *problem naming structure, field, type and value.
  bool ReadRow(RFC_TABLE_HANDLE table, unsigned char* row, std::string* problem);

 private:
  struct Slot {
    const Field* field;
    SdkField sdk;
    bool reading;
  };
  std::string Prefix(const Slot& slot) const;

  const NwRfcApi& api_;
  const Structure& structure_;
  unsigned rowLength_;
  std::vector<Slot> slots_;
};

// Reads a received scalar parameter into its classic layout by the type
// the function's description gives it; 0 or blanks when the function has
// no such parameter or its value does not convert.
void ReadParameter(const NwRfcApi& api, RFC_FUNCTION_DESC_HANDLE description,
                   RFC_FUNCTION_HANDLE function, const RfcParameter& parameter);

}  // namespace qm::nwrfc

#endif  // QUILLMARK_RFC_NWRFC_FIELDS_H_
