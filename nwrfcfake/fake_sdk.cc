// A test double of SAP's NetWeaver RFC SDK: exports the SDK functions the
// adapter uses, with the SDK's signatures, and answers them from the
// stand-in's simulated systems (the same landscape file, logons, rows and
// outcomes), mapped to the SDK's result codes and error records. Fields
// are described and delivered with the SDK's types (the landscape's
// `field_types` and `missing_fields` change them) and read only as the
// SDK's getter functions allow. It writes no trace file: that is the
// caller's business; with RFCSIM_LOG set it logs each open.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "answers.h"
#include "fake_common.h"
#include "fake_logon.h"
#include "fake_metadata.h"
#include "fake_values.h"
#include "landscape.h"
#include "rows.h"
#include "state.h"
#include "text.h"

#if defined(_WIN32)
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_EXPORT extern "C"
#endif

using namespace nwrfcfake;

namespace {

using rfcsim::Outcome;
using rfcsim::RowField;
using rfcsim::System;

// ---------------------------------------------------------------------------
// Connections, functions and their tables.

struct FakeConnection {
  const System* system = nullptr;
};

// A data container: a function (its parameters) or a table (its current row).
struct Container {
  bool isTable = false;
};

struct FakeTable : Container {
  const FakeTypeDesc* type = nullptr;
  rfcsim::Rows rows;
  std::vector<std::vector<FakeValue>> retyped;  // per row, by retypedIndex
  std::size_t current = 0;
};

struct FakeFunction : Container {
  const FakeFunctionDesc* description = nullptr;
  FakeTable table;
};

// The live handles. As in the SDK, threads may work at once, each on
// connections and functions of its own: the sets are used under `mutex`.
struct Registry {
  std::mutex mutex;
  std::set<FakeConnection*> connections;
  std::set<FakeFunction*> functions;
  std::set<const void*> containers;  // the functions and their tables
};

Registry& Live() {
  static Registry registry;
  return registry;
}

using RegistryLock = std::lock_guard<std::mutex>;

FakeConnection* ConnectionOf(RFC_CONNECTION_HANDLE handle) {
  auto* connection = reinterpret_cast<FakeConnection*>(handle);
  RegistryLock lock(Live().mutex);
  return Live().connections.count(connection) != 0 ? connection : nullptr;
}

Container* ContainerOf(DATA_CONTAINER_HANDLE handle) {
  RegistryLock lock(Live().mutex);
  if (Live().containers.count(handle) == 0) return nullptr;
  return reinterpret_cast<Container*>(handle);
}

FakeFunction* FunctionOf(DATA_CONTAINER_HANDLE handle) {
  Container* container = ContainerOf(handle);
  return container != nullptr && !container->isTable ? static_cast<FakeFunction*>(container)
                                                     : nullptr;
}

FakeTable* TableOf(DATA_CONTAINER_HANDLE handle) {
  Container* container = ContainerOf(handle);
  return container != nullptr && container->isTable ? static_cast<FakeTable*>(container) : nullptr;
}

// ---------------------------------------------------------------------------
// Answers of a call.

RFC_RC AnswerWithCode(int code, RFC_ERROR_INFO* error) {
  switch (code) {
    case 1:
      return Fail(error, RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE,
                  "RFC_COMMUNICATION_FAILURE", "code 1");
    case 2:
      return Fail(error, RFC_ABAP_EXCEPTION, ABAP_APPLICATION_FAILURE, "", "");
    case 3:
      return Fail(error, RFC_ABAP_RUNTIME_FAILURE, ABAP_RUNTIME_FAILURE, "", "");
    default:
      return Fail(error, RFC_EXTERNAL_FAILURE, EXTERNAL_RUNTIME_FAILURE, "RFC_EXTERNAL_FAILURE",
                  "code " + std::to_string(code));
  }
}

// The stand-in's rows of a CSV file, with the retyped fields' cells as text.
bool ReadCsvRows(const rfcsim::RowSource& source, const FakeTypeDesc& type, rfcsim::Rows* rows,
                 rfcsim::CsvTextColumns* text, std::string* traceText) {
  for (const rfcsim::FieldType* retyped : type.retyped) text->names.push_back(retyped->field);
  std::string bytes;
  std::FILE* file = std::fopen(source.path.c_str(), "rb");
  bool read = file != nullptr;
  if (file != nullptr) {
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
    read = !std::ferror(file);
    std::fclose(file);
  }
  std::size_t line = 0;
  if (read && rfcsim::ParseCsvRows(bytes, *type.layout, rows, &line, text)) return true;
  *traceText = "bad row data: " + source.text + " line " + std::to_string(line);
  return false;
}

// The text of a stand-in row's field, the source of its retyped value when
// the rows do not come from a CSV file.
std::string FieldText(const unsigned char* row, const RowField& rowField) {
  if (rowField.kind == RowField::kChar) {
    std::string_view text(reinterpret_cast<const char*>(row + rowField.offset), rowField.length);
    return std::string(rfcsim::TrimTrailingBlanks(text));
  }
  if (rowField.kind == RowField::kInt2) {
    std::int16_t small;
    std::memcpy(&small, row + rowField.offset, 2);
    return std::to_string(small);
  }
  std::int32_t number;
  std::memcpy(&number, row + rowField.offset, 4);
  return std::to_string(number);
}

// The rows of the system's table; a retyped field gets a value of its type
// or the rows are bad data.
bool ProduceTable(const rfcsim::RowSource& source, FakeTable* table, std::string* traceText) {
  const FakeTypeDesc& type = *table->type;
  table->rows = rfcsim::Rows{};
  table->retyped.clear();
  table->current = 0;
  rfcsim::CsvTextColumns text;
  bool csv = source.kind == rfcsim::RowSource::kCsv && !type.retyped.empty();
  bool ok = csv ? ReadCsvRows(source, type, &table->rows, &text, traceText)
                : rfcsim::ProduceRows(source, *type.layout, &table->rows, traceText);
  if (!ok) return false;
  for (std::size_t row = 0; row < table->rows.Count(); ++row) {
    const unsigned char* bytes = table->rows.bytes.data() + row * table->rows.rowLength;
    std::vector<FakeValue> values(type.retyped.size());
    for (std::size_t i = 0; i < type.retyped.size(); ++i) {
      const rfcsim::FieldType& retyped = *type.retyped[i];
      std::string cell = csv ? text.cells[row][i]
                             : FieldText(bytes, *rfcsim::FindField(*type.layout, retyped.field));
      if (!MakeValue(retyped, cell, &values[i])) {
        std::size_t line = csv ? text.lines[row] : row + 1;
        *traceText = "bad row data: " + source.text + " line " + std::to_string(line);
        return false;
      }
    }
    table->retyped.push_back(std::move(values));
  }
  return true;
}

// The configured outcome of the function, then its rows.
RFC_RC Answer(const System& system, FakeFunction& function, RFC_ERROR_INFO* error) {
  bool top = function.description->top;
  const Outcome& outcome = top ? system.getTopSingle : system.getCpuAll;
  switch (outcome.kind) {
    case Outcome::kFailure:
      return Fail(error, RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE,
                  "RFC_COMMUNICATION_FAILURE", outcome.text);
    case Outcome::kException:
      return Fail(error, RFC_ABAP_EXCEPTION, ABAP_APPLICATION_FAILURE, outcome.text, outcome.text);
    case Outcome::kSystemException:
      return Fail(error, RFC_ABAP_RUNTIME_FAILURE, ABAP_RUNTIME_FAILURE, outcome.text,
                  outcome.text);
    case Outcome::kCode:
    case Outcome::kCallCode:
      // There is no separate send here: a call_code fails the call itself.
      if (outcome.code != 0) return AnswerWithCode(outcome.code, error);
      break;
    case Outcome::kOk:
      break;
  }
  std::string traceText;
  if (!ProduceTable(top ? system.top : system.cpu, &function.table, &traceText)) {
    function.table.rows = rfcsim::Rows{};
    function.table.retyped.clear();
    return Fail(error, RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE,
                "RFC_COMMUNICATION_FAILURE", traceText);
  }
  return Succeed(error);
}

// The value of a field of the table's current row; the error when the
// field does not exist or there is no current row.
RFC_RC RowValue(const FakeTable& table, std::u16string_view name, FakeValue* value,
                RFC_ERROR_INFO* error) {
  const FakeFieldDesc* field = table.type->Find(name);
  if (field == nullptr) return NoSuchField(error, name);
  if (table.current >= table.rows.Count()) {
    return Fail(error, RFC_ILLEGAL_STATE, EXTERNAL_RUNTIME_FAILURE, "RFC_ILLEGAL_STATE",
                "the table has no current row");
  }
  if (field->retypedIndex >= 0) {
    *value = table.retyped[table.current][static_cast<std::size_t>(field->retypedIndex)];
    return RFC_OK;
  }
  const unsigned char* row = table.rows.bytes.data() + table.current * table.rows.rowLength;
  const RowField& rowField = *field->rowField;
  if (rowField.kind == RowField::kChar) {
    *value = CharValue(
        std::string_view(reinterpret_cast<const char*>(row + rowField.offset), rowField.length),
        rowField.length);
  } else if (rowField.kind == RowField::kInt2) {
    std::int16_t small;
    std::memcpy(&small, row + rowField.offset, 2);
    *value = IntegerValue(RFCTYPE_INT2, small);
  } else {
    std::int32_t number;
    std::memcpy(&number, row + rowField.offset, 4);
    *value = IntegerValue(RFCTYPE_INT, number);
  }
  return RFC_OK;
}

// The value of a received scalar parameter of a function.
RFC_RC ParameterValue(const FakeFunction& function, std::u16string_view name, FakeValue* value,
                      RFC_ERROR_INFO* error) {
  const FakeParameterDesc* parameter = function.description->Find(name);
  if (parameter == nullptr || parameter->direction != RFC_EXPORT) return NoSuchField(error, name);
  std::int32_t number = 0;
  std::string text;
  rfcsim::ReceivedValue(parameter->name, &number, &text);
  *value = parameter->type == RFCTYPE_CHAR ? CharValue(text, parameter->length)
                                           : IntegerValue(RFCTYPE_INT, number);
  return RFC_OK;
}

// The value of field `name` of a container: a table's current row or a
// function's parameters.
RFC_RC ContainerValue(DATA_CONTAINER_HANDLE handle, const SAP_UC* name, FakeValue* value,
                      RFC_ERROR_INFO* error) {
  std::u16string_view field = Terminated(name);
  if (FakeTable* table = TableOf(handle)) return RowValue(*table, field, value, error);
  if (FakeFunction* function = FunctionOf(handle)) {
    return ParameterValue(*function, field, value, error);
  }
  return InvalidHandle(error);
}

// The result of one of the value conversions, as the SDK reports it.
RFC_RC Converted(RFC_RC rc, const FakeValue& value, const SAP_UC* name, const char* target,
                 RFC_ERROR_INFO* error) {
  if (rc == RFC_OK) return Succeed(error);
  std::string field = Narrow(Terminated(name));
  if (rc == RFC_BUFFER_TOO_SMALL) {
    return Fail(error, rc, EXTERNAL_RUNTIME_FAILURE, "RFC_BUFFER_TOO_SMALL",
                "the buffer is too small for field '" + field + "'");
  }
  return Fail(error, RFC_CONVERSION_FAILURE, EXTERNAL_RUNTIME_FAILURE, "RFC_CONVERSION_FAILURE",
              "field '" + field + "' of type " + TypeName(value.type) + " cannot be converted to " +
                  target);
}

}  // namespace

// ---------------------------------------------------------------------------
// The exported SDK functions.

FAKE_EXPORT RFC_CONNECTION_HANDLE NWRFC_CALL RfcOpenConnection(
    const RFC_CONNECTION_PARAMETER* parameters, unsigned count, RFC_ERROR_INFO* error) {
  const System* system = OpenSystem(parameters, count, error);
  if (system == nullptr) return nullptr;
  auto* connection = new FakeConnection{system};
  RegistryLock lock(Live().mutex);
  Live().connections.insert(connection);
  return reinterpret_cast<RFC_CONNECTION_HANDLE>(connection);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcCloseConnection(RFC_CONNECTION_HANDLE handle,
                                                 RFC_ERROR_INFO* error) {
  FakeConnection* connection = ConnectionOf(handle);
  if (connection == nullptr) return InvalidHandle(error);
  {
    RegistryLock lock(Live().mutex);
    Live().connections.erase(connection);
  }
  delete connection;
  return Succeed(error);
}

FAKE_EXPORT RFC_FUNCTION_DESC_HANDLE NWRFC_CALL RfcGetFunctionDesc(RFC_CONNECTION_HANDLE handle,
                                                                   const SAP_UC* name,
                                                                   RFC_ERROR_INFO* error) {
  FakeConnection* connection = ConnectionOf(handle);
  if (connection == nullptr) {
    InvalidHandle(error);
    return nullptr;
  }
  // The description is fetched from the system: a round trip, as the
  // classic send was.
  rfcsim::DelayFor(*connection->system);
  const FakeFunctionDesc* description = DescribeFunction(*connection->system, Terminated(name));
  if (description == nullptr) {
    // The system's metadata module raises FU_NOT_FOUND for a function
    // module it does not have.
    Fail(error, RFC_ABAP_EXCEPTION, ABAP_APPLICATION_FAILURE, "FU_NOT_FOUND",
         "ID:FL Type:E Number:046 " + Narrow(Terminated(name)));
    return nullptr;
  }
  Succeed(error);
  return reinterpret_cast<RFC_FUNCTION_DESC_HANDLE>(const_cast<FakeFunctionDesc*>(description));
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetParameterDescByName(RFC_FUNCTION_DESC_HANDLE handle,
                                                        const SAP_UC* name,
                                                        RFC_PARAMETER_DESC* parameter,
                                                        RFC_ERROR_INFO* error) {
  const FakeFunctionDesc* description = FunctionDescOf(handle);
  if (description == nullptr || parameter == nullptr) return InvalidHandle(error);
  const FakeParameterDesc* found = description->Find(Terminated(name));
  if (found == nullptr) {
    return InvalidParameter(error, "parameter '" + Narrow(Terminated(name)) + "' not found");
  }
  FillParameterDesc(*found, parameter);
  return Succeed(error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetFieldDescByName(RFC_TYPE_DESC_HANDLE handle, const SAP_UC* name,
                                                    RFC_FIELD_DESC* field, RFC_ERROR_INFO* error) {
  const FakeTypeDesc* type = TypeDescOf(handle);
  if (type == nullptr || field == nullptr) return InvalidHandle(error);
  const FakeFieldDesc* found = type->Find(Terminated(name));
  if (found == nullptr) return NoSuchField(error, Terminated(name));
  FillFieldDesc(*found, field);
  return Succeed(error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetFieldCount(RFC_TYPE_DESC_HANDLE handle, unsigned* count,
                                               RFC_ERROR_INFO* error) {
  const FakeTypeDesc* type = TypeDescOf(handle);
  if (type == nullptr || count == nullptr) return InvalidHandle(error);
  *count = static_cast<unsigned>(type->fields.size());
  return Succeed(error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetFieldDescByIndex(RFC_TYPE_DESC_HANDLE handle, unsigned index,
                                                     RFC_FIELD_DESC* field, RFC_ERROR_INFO* error) {
  const FakeTypeDesc* type = TypeDescOf(handle);
  if (type == nullptr || field == nullptr) return InvalidHandle(error);
  if (index >= type->fields.size()) {
    return InvalidParameter(error, "field index " + std::to_string(index) + " out of range");
  }
  FillFieldDesc(type->fields[index], field);
  return Succeed(error);
}

FAKE_EXPORT RFC_FUNCTION_HANDLE NWRFC_CALL RfcCreateFunction(RFC_FUNCTION_DESC_HANDLE handle,
                                                             RFC_ERROR_INFO* error) {
  const FakeFunctionDesc* description = FunctionDescOf(handle);
  if (description == nullptr) {
    InvalidHandle(error);
    return nullptr;
  }
  auto* function = new FakeFunction;
  function->description = description;
  function->table.isTable = true;
  function->table.type = &description->rowType;
  function->table.rows.rowLength = description->rowType.layout->rowLength;
  {
    RegistryLock lock(Live().mutex);
    Live().functions.insert(function);
    Live().containers.insert(static_cast<Container*>(function));
    Live().containers.insert(static_cast<Container*>(&function->table));
  }
  Succeed(error);
  return reinterpret_cast<RFC_FUNCTION_HANDLE>(static_cast<Container*>(function));
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcDestroyFunction(RFC_FUNCTION_HANDLE handle,
                                                 RFC_ERROR_INFO* error) {
  FakeFunction* function = FunctionOf(handle);
  if (function == nullptr) return InvalidHandle(error);
  {
    RegistryLock lock(Live().mutex);
    Live().functions.erase(function);
    Live().containers.erase(static_cast<Container*>(function));
    Live().containers.erase(static_cast<Container*>(&function->table));
  }
  delete function;
  return Succeed(error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcSetChars(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                          const RFC_CHAR* value, unsigned length,
                                          RFC_ERROR_INFO* error) {
  FakeFunction* function = FunctionOf(handle);
  if (function == nullptr) return InvalidHandle(error);
  std::u16string_view field = Terminated(name);
  const FakeParameterDesc* parameter = function->description->Find(field);
  if (parameter == nullptr || parameter->direction != RFC_IMPORT) return NoSuchField(error, field);
  if (value == nullptr && length > 0) return InvalidHandle(error);
  // The sent values select nothing in the simulated collector.
  return Succeed(error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcInvoke(RFC_CONNECTION_HANDLE handle, RFC_FUNCTION_HANDLE func,
                                        RFC_ERROR_INFO* error) {
  FakeConnection* connection = ConnectionOf(handle);
  FakeFunction* function = FunctionOf(func);
  if (connection == nullptr || function == nullptr) return InvalidHandle(error);
  rfcsim::DelayFor(*connection->system);
  return Answer(*connection->system, *function, error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetInt(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                        RFC_INT* value, RFC_ERROR_INFO* error) {
  FakeValue field;
  if (RFC_RC rc = ContainerValue(handle, name, &field, error); rc != RFC_OK) return rc;
  if (value == nullptr) return InvalidHandle(error);
  return Converted(GetInt(field, value), field, name, "RFC_INT", error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetInt8(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                         RFC_INT8* value, RFC_ERROR_INFO* error) {
  FakeValue field;
  if (RFC_RC rc = ContainerValue(handle, name, &field, error); rc != RFC_OK) return rc;
  if (value == nullptr) return InvalidHandle(error);
  return Converted(GetInt8(field, value), field, name, "RFC_INT8", error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetFloat(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                          RFC_FLOAT* value, RFC_ERROR_INFO* error) {
  FakeValue field;
  if (RFC_RC rc = ContainerValue(handle, name, &field, error); rc != RFC_OK) return rc;
  if (value == nullptr) return InvalidHandle(error);
  return Converted(GetFloat(field, value), field, name, "RFC_FLOAT", error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetChars(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                          RFC_CHAR* buffer, unsigned bufferLength,
                                          RFC_ERROR_INFO* error) {
  FakeValue field;
  if (RFC_RC rc = ContainerValue(handle, name, &field, error); rc != RFC_OK) return rc;
  return Converted(GetChars(field, buffer, bufferLength), field, name, "CHAR", error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetNum(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                        RFC_NUM* buffer, unsigned bufferLength,
                                        RFC_ERROR_INFO* error) {
  FakeValue field;
  if (RFC_RC rc = ContainerValue(handle, name, &field, error); rc != RFC_OK) return rc;
  return Converted(GetNum(field, buffer, bufferLength), field, name, "NUM", error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetString(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                           SAP_UC* buffer, unsigned bufferLength,
                                           unsigned* stringLength, RFC_ERROR_INFO* error) {
  FakeValue field;
  if (RFC_RC rc = ContainerValue(handle, name, &field, error); rc != RFC_OK) return rc;
  return Converted(GetString(field, buffer, bufferLength, stringLength), field, name, "STRING",
                   error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetTable(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                          RFC_TABLE_HANDLE* table, RFC_ERROR_INFO* error) {
  FakeFunction* function = FunctionOf(handle);
  if (function == nullptr || table == nullptr) return InvalidHandle(error);
  std::u16string_view field = Terminated(name);
  if (!SameName(field, function->description->tableName)) return NoSuchField(error, field);
  *table = reinterpret_cast<RFC_TABLE_HANDLE>(static_cast<Container*>(&function->table));
  return Succeed(error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetRowCount(RFC_TABLE_HANDLE handle, unsigned* count,
                                             RFC_ERROR_INFO* error) {
  FakeTable* table = TableOf(handle);
  if (table == nullptr || count == nullptr) return InvalidHandle(error);
  *count = static_cast<unsigned>(table->rows.Count());
  return Succeed(error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcMoveTo(RFC_TABLE_HANDLE handle, unsigned index,
                                        RFC_ERROR_INFO* error) {
  FakeTable* table = TableOf(handle);
  if (table == nullptr) return InvalidHandle(error);
  if (index >= table->rows.Count()) {
    return Fail(error, RFC_TABLE_MOVE_EOF, EXTERNAL_RUNTIME_FAILURE, "RFC_TABLE_MOVE_EOF",
                "index beyond the last row");
  }
  table->current = index;
  return Succeed(error);
}

FAKE_EXPORT const SAP_UC* NWRFC_CALL RfcGetVersion(unsigned* major, unsigned* minor,
                                                   unsigned* patchLevel) {
  if (major != nullptr) *major = 7500;
  if (minor != nullptr) *minor = 0;
  if (patchLevel != nullptr) *patchLevel = 0;
  return u"Quillmark test double of the NetWeaver RFC SDK 7.50";
}

// Not an SDK function: forgets the landscape, the descriptions and every
// handle, so that a test's next call reads RFCSIM_LANDSCAPE again.
FAKE_EXPORT void NwRfcFakeReset() {
  {
    RegistryLock lock(Live().mutex);
    for (FakeConnection* connection : Live().connections) delete connection;
    for (FakeFunction* function : Live().functions) delete function;
    Live().connections.clear();
    Live().functions.clear();
    Live().containers.clear();
  }
  ForgetDescriptions();
  rfcsim::ResetForTests();
}

// The exports must have the SDK's types.
static_assert(std::is_same_v<decltype(&RfcOpenConnection), RfcOpenConnectionFunction>);
static_assert(std::is_same_v<decltype(&RfcInvoke), RfcInvokeFunction>);
static_assert(std::is_same_v<decltype(&RfcGetChars), RfcGetCharsFunction>);
static_assert(std::is_same_v<decltype(&RfcGetVersion), RfcGetVersionFunction>);
static_assert(
    std::is_same_v<decltype(&RfcGetParameterDescByName), RfcGetParameterDescByNameFunction>);
static_assert(std::is_same_v<decltype(&RfcGetFieldDescByName), RfcGetFieldDescByNameFunction>);
static_assert(std::is_same_v<decltype(&RfcGetInt8), RfcGetInt8Function>);
static_assert(std::is_same_v<decltype(&RfcGetFieldCount), RfcGetFieldCountFunction>);
static_assert(std::is_same_v<decltype(&RfcGetFieldDescByIndex), RfcGetFieldDescByIndexFunction>);
static_assert(std::is_same_v<decltype(&RfcGetFloat), RfcGetFloatFunction>);
static_assert(std::is_same_v<decltype(&RfcGetString), RfcGetStringFunction>);
static_assert(std::is_same_v<decltype(&RfcGetNum), RfcGetNumFunction>);
