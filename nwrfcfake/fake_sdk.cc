// A test double of SAP's NetWeaver RFC SDK: exports the SDK functions the
// adapter uses, with the SDK's signatures, and answers them from the
// stand-in's simulated systems (the same landscape file, logons, rows and
// outcomes), mapped to the SDK's result codes and error records. It writes
// no trace file and no call log: those are the caller's business.
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>

#include "answers.h"
#include "landscape.h"
#include "lookup.h"
#include "rfc/nwrfc_api.h"
#include "rows.h"
#include "state.h"
#include "text.h"

#if defined(_WIN32)
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_EXPORT extern "C"
#endif

namespace {

using rfcsim::FieldSpec;
using rfcsim::Outcome;
using rfcsim::RowLayout;
using rfcsim::System;

// ---------------------------------------------------------------------------
// Texts and error records.

std::string Narrow(std::u16string_view text) {
  std::string narrow;
  for (char16_t unit : text) narrow.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
  return narrow;
}

std::u16string_view Terminated(const SAP_UC* text) {
  if (text == nullptr) return {};
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return std::u16string_view(text, length);
}

// True when a UTF-16 name equals an 8-bit one (no copy: called per field).
bool SameName(std::u16string_view wide, const char* narrow) {
  std::size_t i = 0;
  for (; i < wide.size(); ++i) {
    if (narrow[i] == '\0' || wide[i] != static_cast<unsigned char>(narrow[i])) return false;
  }
  return narrow[i] == '\0';
}

template <std::size_t N>
void Put(SAP_UC (&field)[N], std::string_view text) {
  std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  for (std::size_t i = 0; i < n; ++i) field[i] = static_cast<unsigned char>(text[i]);
  field[n] = 0;
}

RFC_RC Fail(RFC_ERROR_INFO* error, RFC_RC code, RFC_ERROR_GROUP group, std::string_view key,
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

RFC_RC Succeed(RFC_ERROR_INFO* error) {
  if (error != nullptr) *error = RFC_ERROR_INFO{};
  return RFC_OK;
}

RFC_RC InvalidHandle(RFC_ERROR_INFO* error) {
  return Fail(error, RFC_INVALID_HANDLE, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_HANDLE",
              "An invalid handle was passed to the API call");
}

RFC_RC NoSuchField(RFC_ERROR_INFO* error, std::u16string_view name) {
  return Fail(error, RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_PARAMETER",
              "field '" + Narrow(name) + "' not found");
}

// ---------------------------------------------------------------------------
// Connections, function descriptions, functions and their tables.

struct FakeConnection {
  const System* system = nullptr;
};

struct FakeDescription {
  const char* name;
  const RowLayout* layout;
  const char* tableName;
};

const FakeDescription kCpuAll = {"GET_CPU_ALL", &rfcsim::kCpuAllLayout, "TF_CPU_ALL"};
const FakeDescription kTopSingle = {"GET_TOP_SINGLE", &rfcsim::kTopSingleLayout, "TF_TOP_SINGLE"};

// A data container: a function (its parameters) or a table (its current row).
struct Container {
  bool isTable = false;
};

struct FakeTable : Container {
  const RowLayout* layout = nullptr;
  rfcsim::Rows rows;
  std::size_t current = 0;
};

struct FakeFunction : Container {
  const FakeDescription* description = nullptr;
  std::map<std::u16string, std::u16string> sent;
  FakeTable table;
};

// The received scalar parameters and their types (character fields with
// their length).
struct ScalarSpec {
  const char* name;
  unsigned charLength;  // 0: an integer
};
const ScalarSpec kScalars[] = {
    {"ACTIVEFLAG", 0},     {"DETAILSCOLL", 0},       {"DETAILSMODE", 0}, {"DETAILSREQI", 0},
    {"F_CPU_ALL_READ", 1}, {"F_TOP_SINGLE_READ", 1}, {"INTERVAL", 0},    {"LASTCOLLINT", 0},
    {"LASTCOLLWRT", 15},   {"NORMCOLLINT", 0},       {"OP_SYSTEM", 10},
};

struct Registry {
  std::set<FakeConnection*> connections;
  std::set<FakeFunction*> functions;
  std::set<const void*> containers;  // the functions and their tables
};

Registry& Live() {
  static Registry registry;
  return registry;
}

FakeConnection* ConnectionOf(RFC_CONNECTION_HANDLE handle) {
  auto* connection = reinterpret_cast<FakeConnection*>(handle);
  return Live().connections.count(connection) != 0 ? connection : nullptr;
}

Container* ContainerOf(DATA_CONTAINER_HANDLE handle) {
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
// Logon.

using Parameters = std::map<std::string, std::string>;

std::string LowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string ValueOf(const Parameters& parameters, const char* name) {
  auto found = parameters.find(name);
  return found != parameters.end() ? found->second : std::string();
}

// A message-server logon: the system with that message server, and the
// system name and logon group when they are given.
const System* FindByMessageServer(const rfcsim::Landscape& landscape, std::string_view mshost,
                                  std::string_view sysid, std::string_view group) {
  for (const System& system : landscape.systems) {
    if (rfcsim::EqualsIgnoreCase(system.mshost, mshost) &&
        (sysid.empty() || rfcsim::EqualsIgnoreCase(system.r3name, sysid)) &&
        (group.empty() || rfcsim::EqualsIgnoreCase(system.group, group))) {
      return &system;
    }
  }
  return nullptr;
}

// The system the parameters name; *notReached gets the message for when
// none answers, *missing is set when no server is named at all.
const System* FindSystem(const Parameters& p, std::string* notReached, bool* missing) {
  const rfcsim::Landscape& landscape = rfcsim::TheLandscape();
  *missing = false;
  std::string ashost = ValueOf(p, "ashost"), mshost = ValueOf(p, "mshost");
  std::string gwhost = ValueOf(p, "gwhost"), dest = ValueOf(p, "dest");
  if (!ashost.empty()) {
    std::int64_t sysnr = 0;
    if (!rfcsim::ParseInteger(ValueOf(p, "sysnr"), INT32_MIN, INT32_MAX, &sysnr)) sysnr = -1;
    *notReached = rfcsim::ServerNotReached(ashost, static_cast<int>(sysnr));
    return rfcsim::FindByServer(landscape, ashost, static_cast<int>(sysnr));
  }
  if (!mshost.empty()) {
    std::string sysid = ValueOf(p, "sysid"), group = ValueOf(p, "group");
    *notReached = rfcsim::PartnerNotReached(mshost + ":sapms" + sysid);
    return FindByMessageServer(landscape, mshost, sysid, group);
  }
  if (!gwhost.empty()) {
    std::string gwserv = ValueOf(p, "gwserv");
    *notReached = rfcsim::PartnerNotReached(gwhost + ":" + gwserv);
    return rfcsim::FindByGateway(landscape, gwhost, gwserv);
  }
  if (!dest.empty()) {
    *notReached = rfcsim::PartnerNotReached(dest);
    return rfcsim::FindByName(landscape, dest);
  }
  *missing = true;
  return nullptr;
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

// The configured outcome of the function, then its rows.
RFC_RC Answer(const System& system, FakeFunction& function, RFC_ERROR_INFO* error) {
  bool top = function.description == &kTopSingle;
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
  FakeTable& table = function.table;
  table.rows = rfcsim::Rows{};
  table.current = 0;
  std::string traceText;
  if (!rfcsim::ProduceRows(top ? system.top : system.cpu, *function.description->layout,
                           &table.rows, &traceText)) {
    table.rows = rfcsim::Rows{};
    return Fail(error, RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE,
                "RFC_COMMUNICATION_FAILURE", traceText);
  }
  return Succeed(error);
}

const FieldSpec* RowField(const RowLayout& layout, std::u16string_view name) {
  for (std::size_t i = 0; i < layout.count; ++i) {
    if (SameName(name, layout.fields[i].name)) return &layout.fields[i];
  }
  return nullptr;
}

const ScalarSpec* Scalar(std::u16string_view name) {
  for (const ScalarSpec& entry : kScalars) {
    if (SameName(name, entry.name)) return &entry;
  }
  return nullptr;
}

// The current row of a table; null (with the error set) when there is none.
const unsigned char* CurrentRow(const FakeTable& table, RFC_ERROR_INFO* error) {
  if (table.current >= table.rows.Count()) {
    Fail(error, RFC_ILLEGAL_STATE, EXTERNAL_RUNTIME_FAILURE, "RFC_ILLEGAL_STATE",
         "the table has no current row");
    return nullptr;
  }
  return table.rows.bytes.data() + table.current * table.rows.rowLength;
}

RFC_RC CopyChars(std::string_view text, unsigned fieldLength, RFC_CHAR* buffer,
                 unsigned bufferLength, RFC_ERROR_INFO* error) {
  if (buffer == nullptr || bufferLength < fieldLength) {
    return Fail(error, RFC_BUFFER_TOO_SMALL, EXTERNAL_RUNTIME_FAILURE, "RFC_BUFFER_TOO_SMALL",
                "the buffer is smaller than the field");
  }
  for (unsigned i = 0; i < fieldLength; ++i) {
    buffer[i] = i < text.size() ? static_cast<unsigned char>(text[i]) : u' ';
  }
  return Succeed(error);
}

RFC_RC ConversionFailure(RFC_ERROR_INFO* error, std::u16string_view name) {
  return Fail(error, RFC_CONVERSION_FAILURE, EXTERNAL_RUNTIME_FAILURE, "RFC_CONVERSION_FAILURE",
              "field '" + Narrow(name) + "' has another type");
}

}  // namespace

// ---------------------------------------------------------------------------
// The exported SDK functions.

FAKE_EXPORT RFC_CONNECTION_HANDLE NWRFC_CALL RfcOpenConnection(
    const RFC_CONNECTION_PARAMETER* parameters, unsigned count, RFC_ERROR_INFO* error) {
  Parameters p;
  for (unsigned i = 0; parameters != nullptr && i < count; ++i) {
    p[LowerCase(Narrow(Terminated(parameters[i].name)))] = Narrow(Terminated(parameters[i].value));
  }
  std::string notReached;
  bool missing = false;
  const System* system = FindSystem(p, &notReached, &missing);
  if (missing) {
    Fail(error, RFC_INVALID_PARAMETER, EXTERNAL_RUNTIME_FAILURE, "RFC_INVALID_PARAMETER",
         "Parameter ASHOST, GWHOST, MSHOST or DEST is missing.");
    return nullptr;
  }
  if (system == nullptr) {
    Fail(error, RFC_COMMUNICATION_FAILURE, COMMUNICATION_FAILURE, "RFC_COMMUNICATION_FAILURE",
         notReached);
    return nullptr;
  }
  rfcsim::DelayFor(*system);
  std::string fault =
      rfcsim::LogonFault(*system, ValueOf(p, "client"), ValueOf(p, "user"), ValueOf(p, "passwd"));
  if (!fault.empty()) {
    Fail(error, RFC_LOGON_FAILURE, LOGON_FAILURE, "RFC_LOGON_FAILURE", fault);
    return nullptr;
  }
  auto* connection = new FakeConnection{system};
  Live().connections.insert(connection);
  Succeed(error);
  return reinterpret_cast<RFC_CONNECTION_HANDLE>(connection);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcCloseConnection(RFC_CONNECTION_HANDLE handle,
                                                 RFC_ERROR_INFO* error) {
  FakeConnection* connection = ConnectionOf(handle);
  if (connection == nullptr) return InvalidHandle(error);
  Live().connections.erase(connection);
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
  std::u16string_view wanted = Terminated(name);
  const FakeDescription* description = nullptr;
  if (SameName(wanted, kCpuAll.name)) description = &kCpuAll;
  if (SameName(wanted, kTopSingle.name)) description = &kTopSingle;
  if (description == nullptr) {
    Fail(error, RFC_ABAP_RUNTIME_FAILURE, ABAP_RUNTIME_FAILURE, "FUNCTION_NOT_FOUND",
         "FUNCTION_NOT_FOUND");
    return nullptr;
  }
  Succeed(error);
  return reinterpret_cast<RFC_FUNCTION_DESC_HANDLE>(const_cast<FakeDescription*>(description));
}

FAKE_EXPORT RFC_FUNCTION_HANDLE NWRFC_CALL RfcCreateFunction(RFC_FUNCTION_DESC_HANDLE handle,
                                                             RFC_ERROR_INFO* error) {
  const auto* description = reinterpret_cast<const FakeDescription*>(handle);
  if (description != &kCpuAll && description != &kTopSingle) {
    InvalidHandle(error);
    return nullptr;
  }
  auto* function = new FakeFunction;
  function->description = description;
  function->table.isTable = true;
  function->table.layout = description->layout;
  function->table.rows.rowLength = description->layout->rowLength;
  Live().functions.insert(function);
  Live().containers.insert(static_cast<Container*>(function));
  Live().containers.insert(static_cast<Container*>(&function->table));
  Succeed(error);
  return reinterpret_cast<RFC_FUNCTION_HANDLE>(static_cast<Container*>(function));
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcDestroyFunction(RFC_FUNCTION_HANDLE handle,
                                                 RFC_ERROR_INFO* error) {
  FakeFunction* function = FunctionOf(handle);
  if (function == nullptr) return InvalidHandle(error);
  Live().functions.erase(function);
  Live().containers.erase(static_cast<Container*>(function));
  Live().containers.erase(static_cast<Container*>(&function->table));
  delete function;
  return Succeed(error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcSetChars(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                          const RFC_CHAR* value, unsigned length,
                                          RFC_ERROR_INFO* error) {
  FakeFunction* function = FunctionOf(handle);
  if (function == nullptr) return InvalidHandle(error);
  std::u16string_view field = Terminated(name);
  if (!SameName(field, "LOCAL_REMOTE") && !SameName(field, "LOGICAL_DESTINATION")) {
    return NoSuchField(error, field);
  }
  function->sent[std::u16string(field)] = std::u16string(value, value != nullptr ? length : 0);
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
  std::u16string_view field = Terminated(name);
  if (FakeTable* table = TableOf(handle)) {
    const FieldSpec* entry = RowField(*table->layout, field);
    if (entry == nullptr) return NoSuchField(error, field);
    if (entry->kind == FieldSpec::kChar) return ConversionFailure(error, field);
    const unsigned char* row = CurrentRow(*table, error);
    if (row == nullptr) return RFC_ILLEGAL_STATE;
    if (entry->kind == FieldSpec::kInt2) {
      std::int16_t small;
      std::memcpy(&small, row + entry->offset, 2);
      *value = small;
    } else {
      std::int32_t number;
      std::memcpy(&number, row + entry->offset, 4);
      *value = number;
    }
    return Succeed(error);
  }
  if (FunctionOf(handle) == nullptr) return InvalidHandle(error);
  const ScalarSpec* entry = Scalar(field);
  if (entry == nullptr) return NoSuchField(error, field);
  if (entry->charLength != 0) return ConversionFailure(error, field);
  std::int32_t number = 0;
  std::string text;
  rfcsim::ReceivedValue(Narrow(field), &number, &text);
  *value = number;
  return Succeed(error);
}

FAKE_EXPORT RFC_RC NWRFC_CALL RfcGetChars(DATA_CONTAINER_HANDLE handle, const SAP_UC* name,
                                          RFC_CHAR* buffer, unsigned bufferLength,
                                          RFC_ERROR_INFO* error) {
  std::u16string_view field = Terminated(name);
  if (FakeTable* table = TableOf(handle)) {
    const FieldSpec* entry = RowField(*table->layout, field);
    if (entry == nullptr) return NoSuchField(error, field);
    if (entry->kind != FieldSpec::kChar) return ConversionFailure(error, field);
    const unsigned char* row = CurrentRow(*table, error);
    if (row == nullptr) return RFC_ILLEGAL_STATE;
    std::string_view text(reinterpret_cast<const char*>(row + entry->offset), entry->length);
    return CopyChars(text, entry->length, buffer, bufferLength, error);
  }
  if (FunctionOf(handle) == nullptr) return InvalidHandle(error);
  const ScalarSpec* entry = Scalar(field);
  if (entry == nullptr) return NoSuchField(error, field);
  if (entry->charLength == 0) return ConversionFailure(error, field);
  std::int32_t number = 0;
  std::string text;
  rfcsim::ReceivedValue(Narrow(field), &number, &text);
  return CopyChars(text, entry->charLength, buffer, bufferLength, error);
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

// Not an SDK function: forgets the landscape and every handle, so that a
// test's next call reads RFCSIM_LANDSCAPE again.
FAKE_EXPORT void NwRfcFakeReset() {
  rfcsim::ResetForTests();
  for (FakeConnection* connection : Live().connections) delete connection;
  for (FakeFunction* function : Live().functions) delete function;
  Live() = Registry{};
}

// The exports must have the SDK's types.
static_assert(std::is_same_v<decltype(&RfcOpenConnection), RfcOpenConnectionFunction>);
static_assert(std::is_same_v<decltype(&RfcInvoke), RfcInvokeFunction>);
static_assert(std::is_same_v<decltype(&RfcGetChars), RfcGetCharsFunction>);
static_assert(std::is_same_v<decltype(&RfcGetVersion), RfcGetVersionFunction>);
