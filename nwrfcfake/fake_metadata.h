// The descriptions the test double hands out for the function modules
// GET_CPU_ALL and GET_TOP_SINGLE of a simulated system: their parameters
// and the row types TOP_SINGLE and CPU_ALL, with the system's
// `field_types` and `missing_fields` applied. Made once per system and
// function, valid until the double is reset, like the SDK's repository.
#ifndef NWRFCFAKE_FAKE_METADATA_H_
#define NWRFCFAKE_FAKE_METADATA_H_

#include <string>
#include <string_view>
#include <vector>

#include "landscape.h"
#include "rfc/nwrfc_api.h"
#include "rows.h"

namespace nwrfcfake {

// One field of a row type.
struct FakeFieldDesc {
  std::string name;
  RFCTYPE type = RFCTYPE_INT;
  unsigned length = 0;    // bytes in a 1-byte-per-character system
  unsigned decimals = 0;  // BCD
  unsigned offset = 0;
  const rfcsim::RowField* rowField = nullptr;  // the field of the stand-in's row
  const rfcsim::FieldType* retyped = nullptr;  // its `field_types` entry, or null
  int retypedIndex = -1;                       // index among the retyped fields
};

// A row type: TOP_SINGLE or CPU_ALL as the system describes it.
struct FakeTypeDesc {
  std::string name;
  const rfcsim::RowLayout* layout = nullptr;
  std::vector<FakeFieldDesc> fields;
  std::vector<const rfcsim::FieldType*> retyped;  // by retypedIndex
  unsigned length = 0;

  // The field called `name`, or null.
  const FakeFieldDesc* Find(std::u16string_view name) const;
};

// One parameter of a function module.
struct FakeParameterDesc {
  std::string name;
  RFCTYPE type = RFCTYPE_CHAR;
  RFC_DIRECTION direction = RFC_IMPORT;
  unsigned length = 0;
  const FakeTypeDesc* rowType = nullptr;  // a table's
};

struct FakeFunctionDesc {
  std::string name;
  bool top = false;  // GET_TOP_SINGLE, else GET_CPU_ALL
  const rfcsim::System* system = nullptr;
  FakeTypeDesc rowType;
  std::string tableName;  // TF_TOP_SINGLE or TF_CPU_ALL
  std::vector<FakeParameterDesc> parameters;

  // The parameter called `name`, or null.
  const FakeParameterDesc* Find(std::u16string_view name) const;
};

// The description of function `name` on `system`; null when the system
// has no such function module (an unknown name, or `... = missing`).
const FakeFunctionDesc* DescribeFunction(const rfcsim::System& system, std::u16string_view name);

// The description behind a handle the double handed out, or null.
const FakeFunctionDesc* FunctionDescOf(const void* handle);
const FakeTypeDesc* TypeDescOf(const void* handle);

// Fills the SDK's records from a description.
void FillFieldDesc(const FakeFieldDesc& field, RFC_FIELD_DESC* out);
void FillParameterDesc(const FakeParameterDesc& parameter, RFC_PARAMETER_DESC* out);

// Forgets every description (the double's reset).
void ForgetDescriptions();

}  // namespace nwrfcfake

#endif  // NWRFCFAKE_FAKE_METADATA_H_
