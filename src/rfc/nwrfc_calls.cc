#include "rfc/nwrfc_calls.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "rfc/nwrfc_fields.h"
#include "rfc/nwrfc_logon.h"
#include "rfc/nwrfc_state.h"
#include "rfc/nwrfc_tables.h"
#include "rfc/nwrfc_texts.h"

namespace qm::nwrfc {
namespace {

// The classic result of an SDK result code.
int ClassicResult(RFC_RC code) {
  switch (code) {
    case RFC_OK:
      return kRfcOk;
    case RFC_ABAP_EXCEPTION:
      return kRfcException;
    case RFC_ABAP_RUNTIME_FAILURE:
    case RFC_ABAP_MESSAGE:
      return kRfcSysException;
    case RFC_COMMUNICATION_FAILURE:
    case RFC_LOGON_FAILURE:
      return kRfcFailure;
    default:
      return 4;
  }
}

// A failed remote call: the last error from the SDK's record; result 1
// also goes to the trace file, exceptions hand out the SDK's key.
int FailCall(const SdkError& error, char** exception) {
  int result = ClassicResult(error.code);
  if (result == kRfcOk) result = 4;  // a failure the SDK did not classify
  SetLastError(error.key, error.message);
  if (result == kRfcFailure) AppendTrace(error.message);
  if (result == kRfcException || result == kRfcSysException) {
    SetExceptionText(error.key);
    if (exception != nullptr) *exception = ExceptionText();
  }
  return result;
}

// The decimal text of an integer parameter: the SDK turns digits into the
// field's number.
std::string NumberText(const RfcParameter& parameter) {
  if (parameter.type == kRfcTypeInt2 && parameter.length >= 2) {
    std::int16_t value;
    std::memcpy(&value, parameter.address, 2);
    return std::to_string(value);
  }
  std::int32_t value = 0;
  if (parameter.length >= 4) std::memcpy(&value, parameter.address, 4);
  return std::to_string(value);
}

// Why a receive failed: the SDK's error, or the adapter's own problem
// (`reading`: a value of a reading that cannot be delivered, result 1 and
// traced; else result 4).
struct Failure {
  SdkError sdk;
  std::string problem;
  bool reading = false;
};

// Appends every row of the SDK table `sdkTable` to `target`, each field by
// the type the row type's description gives it, into the installed
// structure's layout; fields beyond the row length are left out.
bool CopyRows(const Structure& structure, RFC_TYPE_DESC_HANDLE rowType, RFC_TABLE_HANDLE sdkTable,
              Table* target, Failure* failure) {
  const NwRfcApi& api = State().api;
  RowReader reader(api, structure, target->rowLength);
  if (!reader.Describe(rowType, &failure->problem)) {
    failure->reading = true;
    return false;
  }
  RFC_ERROR_INFO info{};
  unsigned count = 0;
  if (api.RfcGetRowCount(sdkTable, &count, &info) != RFC_OK) {
    failure->sdk = ErrorOf(info);
    return false;
  }
  target->bytes.reserve(target->bytes.size() + static_cast<std::size_t>(count) * target->rowLength);
  for (unsigned i = 0; i < count; ++i) {
    if (api.RfcMoveTo(sdkTable, i, &info) != RFC_OK) {
      failure->sdk = ErrorOf(info);
      return false;
    }
    std::size_t at = target->bytes.size();
    target->bytes.resize(at + target->rowLength, 0);
    if (!reader.ReadRow(sdkTable, target->bytes.data() + at, &failure->problem)) {
      failure->reading = true;
      return false;
    }
  }
  return true;
}

// Copies the received rows into the adapter's tables of the list; false
// with *failure on a fault.
bool ReceiveTables(RFC_FUNCTION_DESC_HANDLE description, RFC_FUNCTION_HANDLE function,
                   RfcTable* tables, Failure* failure) {
  AdapterState& state = State();
  for (RfcTable* t = tables; t != nullptr && t->name != nullptr; ++t) {
    Table* target = FindTable(t->table);
    if (target == nullptr) continue;
    std::string_view name = RecordName(t->name, t->nameLength);
    const Structure* structure = FindStructure(t->type);
    if (structure == nullptr) {
      failure->problem = "no structure installed for " + std::string(name);
      return false;
    }
    std::u16string wideName = Latin1ToUtf16(name);
    RFC_ERROR_INFO info{};
    RFC_PARAMETER_DESC parameter{};
    if (state.api.RfcGetParameterDescByName(description, wideName.c_str(), &parameter, &info) !=
        RFC_OK) {
      failure->sdk = ErrorOf(info);
      return false;
    }
    RFC_TABLE_HANDLE sdkTable = nullptr;
    if (state.api.RfcGetTable(function, wideName.c_str(), &sdkTable, &info) != RFC_OK) {
      failure->sdk = ErrorOf(info);
      return false;
    }
    if (!CopyRows(*structure, parameter.typeDescHandle, sdkTable, target, failure)) {
      return false;
    }
  }
  return true;
}

void ReceiveParameters(RFC_FUNCTION_DESC_HANDLE description, RFC_FUNCTION_HANDLE function,
                       RfcParameter* importing) {
  for (RfcParameter* p = importing; p != nullptr && p->name != nullptr; ++p) {
    if (p->address != nullptr) ReadParameter(State().api, description, function, *p);
  }
}

// The row counts of the list's tables, so a failed receive can take back
// what it appended.
std::vector<std::pair<Table*, std::size_t>> TableSizes(RfcTable* tables) {
  std::vector<std::pair<Table*, std::size_t>> sizes;
  for (RfcTable* t = tables; t != nullptr && t->name != nullptr; ++t) {
    if (Table* table = FindTable(t->table)) sizes.emplace_back(table, table->bytes.size());
  }
  return sizes;
}

// Sets the sent values, invokes the function and copies what it received.
bool InvokeAndReceive(const Connection& call, RFC_FUNCTION_DESC_HANDLE description,
                      RFC_FUNCTION_HANDLE function, RfcParameter* importing, RfcTable* tables,
                      Failure* failure) {
  const NwRfcApi& api = State().api;
  RFC_ERROR_INFO info{};
  for (const SentValue& value : call.sent) {
    if (api.RfcSetChars(function, value.name.c_str(), value.value.data(),
                        static_cast<unsigned>(value.value.size()), &info) != RFC_OK) {
      failure->sdk = ErrorOf(info);
      return false;
    }
  }
  if (api.RfcInvoke(call.sdk, function, &info) != RFC_OK) {
    failure->sdk = ErrorOf(info);
    return false;
  }
  auto sizes = TableSizes(tables);
  if (!ReceiveTables(description, function, tables, failure)) {
    // No rows of a failed receive are delivered.
    for (auto& [table, size] : sizes) table->bytes.resize(size);
    return false;
  }
  ReceiveParameters(description, function, importing);
  return true;
}

// Creates the function, makes the call and copies what it received. The
// classic result code.
int InvokeCall(const Connection& call, RfcParameter* importing, RfcTable* tables,
               char** exception) {
  const NwRfcApi& api = State().api;
  RFC_ERROR_INFO info{};
  RFC_FUNCTION_DESC_HANDLE description =
      api.RfcGetFunctionDesc(call.sdk, Latin1ToUtf16(call.function).c_str(), &info);
  if (description == nullptr) return FailCall(ErrorOf(info), exception);
  RFC_FUNCTION_HANDLE function = api.RfcCreateFunction(description, &info);
  if (function == nullptr) return FailCall(ErrorOf(info), exception);

  Failure failure;
  bool ok = InvokeAndReceive(call, description, function, importing, tables, &failure);
  RFC_ERROR_INFO ignored{};
  api.RfcDestroyFunction(function, &ignored);
  if (ok) return kRfcOk;
  if (failure.reading) {
    // A reading that cannot be delivered exactly fails like bad row data:
    // result 1, the reason in the trace file for the program's hint.
    SetLastError("RfcReceive", failure.problem);
    AppendTrace(failure.problem);
    return kRfcFailure;
  }
  if (!failure.problem.empty()) {
    SetLastError("RfcReceive", failure.problem);
    return 4;
  }
  return FailCall(failure.sdk, exception);
}

}  // namespace

int AdapterCall(RfcHandle handle, const char* function, RfcParameter* exporting, RfcTable* tables) {
  (void)tables;  // the collector's tables are only received
  Connection* connection = FindConnection(handle);
  if (connection == nullptr) {
    SetLastError("RfcCall", "connection not open");
    return kRfcFailure;
  }
  connection->function = std::string(TextOrEmpty(function));
  connection->sent.clear();
  for (RfcParameter* p = exporting; p != nullptr && p->name != nullptr; ++p) {
    if (p->address == nullptr) continue;
    std::string value = p->type == kRfcTypeChar
                            ? std::string(static_cast<const char*>(p->address), p->length)
                            : NumberText(*p);
    connection->sent.push_back(
        SentValue{Latin1ToUtf16(RecordName(p->name, p->nameLength)), Latin1ToUtf16(value)});
  }
  connection->callPending = true;
  return kRfcOk;
}

int AdapterReceive(RfcHandle handle, RfcParameter* importing, RfcTable* tables, char** exception) {
  Connection* connection = FindConnection(handle);
  if (connection == nullptr) {
    SetLastError("RfcReceive", "connection not open");
    return kRfcFailure;
  }
  if (!connection->callPending) {
    SetLastError("RfcReceive", "no call sent");
    return kRfcFailure;
  }
  connection->callPending = false;
  // A connection whose logon failed never gets further than that.
  if (connection->logonFailed) return FailCall(connection->logonFault, exception);
  return InvokeCall(*connection, importing, tables, exception);
}

}  // namespace qm::nwrfc
