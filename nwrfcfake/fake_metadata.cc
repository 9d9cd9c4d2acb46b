#include "fake_metadata.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <utility>

#include "fake_common.h"
#include "fake_values.h"

namespace nwrfcfake {
namespace {

using rfcsim::FieldType;
using rfcsim::RowField;
using rfcsim::System;

// The descriptions built so far, kept until reset. Threads may ask at once:
// everything here is used under `mutex`; a description, once built, never
// changes.
struct Repository {
  std::mutex mutex;
  std::map<std::pair<const System*, bool>, std::unique_ptr<FakeFunctionDesc>> functions;
  std::set<const void*> functionHandles;
  std::set<const void*> typeHandles;
};

Repository& TheRepository() {
  static Repository repository;
  return repository;
}

// The length in bytes a field of this type takes (CHAR, NUM and BCD carry
// their own).
unsigned LengthOf(RFCTYPE type, unsigned ownLength) {
  switch (type) {
    case RFCTYPE_INT1:
      return 1;
    case RFCTYPE_INT2:
      return 2;
    case RFCTYPE_INT:
      return 4;
    case RFCTYPE_INT8:
    case RFCTYPE_FLOAT:
    case RFCTYPE_DECF16:
    case RFCTYPE_STRING:
      return 8;
    case RFCTYPE_DECF34:
      return 16;
    default:
      return ownLength;
  }
}

unsigned AlignmentOf(RFCTYPE type, unsigned length) {
  bool numeric = type == RFCTYPE_INT1 || type == RFCTYPE_INT2 || type == RFCTYPE_INT ||
                 type == RFCTYPE_INT8 || type == RFCTYPE_FLOAT || type == RFCTYPE_DECF16 ||
                 type == RFCTYPE_DECF34 || type == RFCTYPE_STRING;
  if (!numeric) return 1;
  return length < 8 ? length : 8;
}

RFCTYPE NativeType(const RowField& rowField) {
  if (rowField.kind == RowField::kInt4) return RFCTYPE_INT;
  if (rowField.kind == RowField::kInt2) return RFCTYPE_INT2;
  return RFCTYPE_CHAR;
}

FakeTypeDesc RowType(const System& system, const rfcsim::RowLayout& layout, const char* name) {
  FakeTypeDesc type;
  type.name = name;
  type.layout = &layout;
  unsigned end = 0;
  for (std::size_t i = 0; i < layout.count; ++i) {
    const RowField& rowField = layout.fields[i];
    if (system.IsMissingField(name, rowField.name)) continue;
    FakeFieldDesc field;
    field.name = rowField.name;
    field.rowField = &rowField;
    field.retyped = system.FindFieldType(name, rowField.name);
    field.type = field.retyped != nullptr ? SdkTypeOf(field.retyped->kind) : NativeType(rowField);
    field.length =
        LengthOf(field.type, field.retyped != nullptr ? field.retyped->length : rowField.length);
    field.decimals = field.retyped != nullptr ? field.retyped->decimals : 0;
    unsigned alignment = AlignmentOf(field.type, field.length);
    field.offset = (end + alignment - 1) / alignment * alignment;
    end = field.offset + field.length;
    if (field.retyped != nullptr) {
      field.retypedIndex = static_cast<int>(type.retyped.size());
      type.retyped.push_back(field.retyped);
    }
    type.fields.push_back(std::move(field));
  }
  type.length = (end + 7) / 8 * 8;
  return type;
}

FakeParameterDesc Scalar(const char* name, RFCTYPE type, unsigned length, RFC_DIRECTION direction) {
  FakeParameterDesc parameter;
  parameter.name = name;
  parameter.type = type;
  parameter.length = length;
  parameter.direction = direction;
  return parameter;
}

std::unique_ptr<FakeFunctionDesc> Build(const System& system, bool top) {
  auto function = std::make_unique<FakeFunctionDesc>();
  function->name = top ? "GET_TOP_SINGLE" : "GET_CPU_ALL";
  function->top = top;
  function->system = &system;
  function->tableName = top ? "TF_TOP_SINGLE" : "TF_CPU_ALL";
  function->rowType = top ? RowType(system, rfcsim::kTopSingleLayout, "TOP_SINGLE")
                          : RowType(system, rfcsim::kCpuAllLayout, "CPU_ALL");
  auto& p = function->parameters;
  p.push_back(Scalar("LOCAL_REMOTE", RFCTYPE_CHAR, 6, RFC_IMPORT));
  p.push_back(Scalar("LOGICAL_DESTINATION", RFCTYPE_CHAR, 32, RFC_IMPORT));
  FakeParameterDesc table = Scalar(function->tableName.c_str(), RFCTYPE_TABLE, 8, RFC_TABLES);
  table.rowType = &function->rowType;
  p.push_back(table);
  for (const char* name : {"ACTIVEFLAG", "DETAILSCOLL", "DETAILSMODE", "DETAILSREQI", "INTERVAL",
                           "LASTCOLLINT", "NORMCOLLINT"}) {
    p.push_back(Scalar(name, RFCTYPE_INT, 4, RFC_EXPORT));
  }
  p.push_back(Scalar(top ? "F_TOP_SINGLE_READ" : "F_CPU_ALL_READ", RFCTYPE_CHAR, 1, RFC_EXPORT));
  p.push_back(Scalar("LASTCOLLWRT", RFCTYPE_CHAR, 15, RFC_EXPORT));
  p.push_back(Scalar("OP_SYSTEM", RFCTYPE_CHAR, 10, RFC_EXPORT));
  return function;
}

bool IsCharLike(RFCTYPE type) {
  return type == RFCTYPE_CHAR || type == RFCTYPE_NUM || type == RFCTYPE_STRING;
}

}  // namespace

const FakeFieldDesc* FakeTypeDesc::Find(std::u16string_view wanted) const {
  for (const FakeFieldDesc& field : fields) {
    if (SameName(wanted, field.name)) return &field;
  }
  return nullptr;
}

const FakeParameterDesc* FakeFunctionDesc::Find(std::u16string_view wanted) const {
  for (const FakeParameterDesc& parameter : parameters) {
    if (SameName(wanted, parameter.name)) return &parameter;
  }
  return nullptr;
}

const FakeFunctionDesc* DescribeFunction(const System& system, std::u16string_view name) {
  bool top = SameName(name, "GET_TOP_SINGLE");
  if (!top && !SameName(name, "GET_CPU_ALL")) return nullptr;
  if (top ? system.getTopSingleMissing : system.getCpuAllMissing) return nullptr;
  Repository& repository = TheRepository();
  std::lock_guard<std::mutex> lock(repository.mutex);
  auto& slot = repository.functions[{&system, top}];
  if (slot == nullptr) {
    slot = Build(system, top);
    repository.functionHandles.insert(slot.get());
    repository.typeHandles.insert(&slot->rowType);
  }
  return slot.get();
}

const FakeFunctionDesc* FunctionDescOf(const void* handle) {
  Repository& repository = TheRepository();
  std::lock_guard<std::mutex> lock(repository.mutex);
  return repository.functionHandles.count(handle) != 0
             ? static_cast<const FakeFunctionDesc*>(handle)
             : nullptr;
}

const FakeTypeDesc* TypeDescOf(const void* handle) {
  Repository& repository = TheRepository();
  std::lock_guard<std::mutex> lock(repository.mutex);
  return repository.typeHandles.count(handle) != 0 ? static_cast<const FakeTypeDesc*>(handle)
                                                   : nullptr;
}

void FillFieldDesc(const FakeFieldDesc& field, RFC_FIELD_DESC* out) {
  *out = RFC_FIELD_DESC{};
  Put(out->name, field.name);
  out->type = field.type;
  out->nucLength = field.length;
  out->nucOffset = field.offset;
  out->ucLength =
      IsCharLike(field.type) && field.type != RFCTYPE_STRING ? 2 * field.length : field.length;
  out->ucOffset = 2 * field.offset;
  out->decimals = field.decimals;
}

void FillParameterDesc(const FakeParameterDesc& parameter, RFC_PARAMETER_DESC* out) {
  *out = RFC_PARAMETER_DESC{};
  Put(out->name, parameter.name);
  out->type = parameter.type;
  out->direction = parameter.direction;
  out->nucLength = parameter.length;
  out->ucLength = parameter.type == RFCTYPE_CHAR ? 2 * parameter.length : parameter.length;
  out->typeDescHandle =
      reinterpret_cast<RFC_TYPE_DESC_HANDLE>(const_cast<FakeTypeDesc*>(parameter.rowType));
  out->optional = parameter.direction == RFC_IMPORT ? 1 : 0;
}

void ForgetDescriptions() {
  Repository& repository = TheRepository();
  std::lock_guard<std::mutex> lock(repository.mutex);
  repository.functions.clear();
  repository.functionHandles.clear();
  repository.typeHandles.clear();
}

}  // namespace nwrfcfake
