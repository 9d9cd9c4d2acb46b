#include "rfc/nwrfc_calls.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

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
    State().exceptionText = error.key;
    if (exception != nullptr) *exception = State().exceptionText.data();
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

// Reads one field of an SDK container into `out` (`length` bytes, the
// classic layout): 4- or 2-byte integers in native byte order, texts
// blank-padded. A field the SDK does not have stays 0 or blank.
class FieldReader {
 public:
  explicit FieldReader(const NwRfcApi& api) : api_(api) {}

  void Read(DATA_CONTAINER_HANDLE container, const std::u16string& name, unsigned type,
            unsigned length, unsigned char* out) {
    RFC_ERROR_INFO ignored{};
    if (type == kRfcTypeChar) {
      // Room beyond the classic length, so a longer SAP field still fits;
      // only the classic length is kept.
      std::size_t room = length < kRoom ? kRoom : length;
      if (buffer_.size() < room) buffer_.resize(room);
      std::fill_n(buffer_.begin(), length, u' ');
      if (api_.RfcGetChars(container, name.c_str(), buffer_.data(), static_cast<unsigned>(room),
                           &ignored) != RFC_OK) {
        std::fill_n(buffer_.begin(), length, u' ');
      }
      std::string text = Utf16ToLatin1(std::u16string_view(buffer_.data(), length));
      std::memcpy(out, text.data(), text.size() < length ? text.size() : length);
      if (text.size() < length) std::memset(out + text.size(), ' ', length - text.size());
      return;
    }
    RFC_INT value = 0;
    if (api_.RfcGetInt(container, name.c_str(), &value, &ignored) != RFC_OK) value = 0;
    std::memset(out, 0, length);
    if (length >= 4) {
      std::int32_t number = value;
      std::memcpy(out, &number, 4);
    } else if (length >= 2) {
      std::int16_t number = static_cast<std::int16_t>(value);
      std::memcpy(out, &number, 2);
    }
  }

 private:
  static constexpr std::size_t kRoom = 512;
  const NwRfcApi& api_;
  std::u16string buffer_;
};

// Appends every row of the SDK table `sdkTable` to `target`, field by field
// by the names of the installed structure; fields beyond the row length
// are left out.
bool CopyRows(const Structure& structure, RFC_TABLE_HANDLE sdkTable, Table* target,
              SdkError* error) {
  const NwRfcApi& api = State().api;
  RFC_ERROR_INFO info{};
  unsigned count = 0;
  if (api.RfcGetRowCount(sdkTable, &count, &info) != RFC_OK) {
    *error = ErrorOf(info);
    return false;
  }
  FieldReader reader(api);
  target->bytes.reserve(target->bytes.size() + static_cast<std::size_t>(count) * target->rowLength);
  for (unsigned i = 0; i < count; ++i) {
    if (api.RfcMoveTo(sdkTable, i, &info) != RFC_OK) {
      *error = ErrorOf(info);
      return false;
    }
    std::size_t at = target->bytes.size();
    target->bytes.resize(at + target->rowLength, 0);
    for (const Field& field : structure.fields) {
      if (field.offset + field.length > target->rowLength) continue;
      reader.Read(sdkTable, field.name, field.type, field.length,
                  target->bytes.data() + at + field.offset);
    }
  }
  return true;
}

// Copies the received rows into the adapter's tables of the list; false
// with *error (SDK) or *problem (the adapter's own) on a fault.
bool ReceiveTables(RFC_FUNCTION_HANDLE function, RfcTable* tables, SdkError* error,
                   std::string* problem) {
  AdapterState& state = State();
  for (RfcTable* t = tables; t != nullptr && t->name != nullptr; ++t) {
    Table* target = FindTable(t->table);
    if (target == nullptr) continue;
    std::string_view name = RecordName(t->name, t->nameLength);
    auto structure = state.structures.find(t->type);
    if (structure == state.structures.end()) {
      *problem = "no structure installed for " + std::string(name);
      return false;
    }
    RFC_ERROR_INFO info{};
    RFC_TABLE_HANDLE sdkTable = nullptr;
    if (state.api.RfcGetTable(function, Latin1ToUtf16(name).c_str(), &sdkTable, &info) != RFC_OK) {
      *error = ErrorOf(info);
      return false;
    }
    if (!CopyRows(structure->second, sdkTable, target, error)) return false;
  }
  return true;
}

void ReceiveParameters(RFC_FUNCTION_HANDLE function, RfcParameter* importing) {
  FieldReader reader(State().api);
  for (RfcParameter* p = importing; p != nullptr && p->name != nullptr; ++p) {
    if (p->address == nullptr) continue;
    reader.Read(function, Latin1ToUtf16(RecordName(p->name, p->nameLength)), p->type, p->length,
                static_cast<unsigned char*>(p->address));
  }
}

// Creates the function, sets the sent values, invokes it and copies what
// it received. The classic result code.
int InvokeCall(const Connection& call, RfcParameter* importing, RfcTable* tables,
               char** exception) {
  const NwRfcApi& api = State().api;
  RFC_ERROR_INFO info{};
  RFC_FUNCTION_DESC_HANDLE description =
      api.RfcGetFunctionDesc(call.sdk, Latin1ToUtf16(call.function).c_str(), &info);
  if (description == nullptr) return FailCall(ErrorOf(info), exception);
  RFC_FUNCTION_HANDLE function = api.RfcCreateFunction(description, &info);
  if (function == nullptr) return FailCall(ErrorOf(info), exception);

  SdkError error;
  std::string problem;
  bool ok = true;
  for (const SentValue& value : call.sent) {
    if (api.RfcSetChars(function, value.name.c_str(), value.value.data(),
                        static_cast<unsigned>(value.value.size()), &info) != RFC_OK) {
      error = ErrorOf(info);
      ok = false;
      break;
    }
  }
  if (ok && api.RfcInvoke(call.sdk, function, &info) != RFC_OK) {
    error = ErrorOf(info);
    ok = false;
  }
  if (ok) ok = ReceiveTables(function, tables, &error, &problem);
  if (ok) ReceiveParameters(function, importing);
  RFC_ERROR_INFO ignored{};
  api.RfcDestroyFunction(function, &ignored);
  if (ok) return kRfcOk;
  if (!problem.empty()) {
    SetLastError("RfcReceive", problem);
    return 4;
  }
  return FailCall(error, exception);
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
