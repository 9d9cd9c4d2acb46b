// The classic RFC operations on top of the NetWeaver RFC SDK. The classic
// interface splits a remote call into RfcCall and RfcReceive; here RfcCall
// only remembers the call and RfcReceive makes it: one RfcInvoke, then the
// received fields are copied by name into the classic row layout. Internal
// tables and row structures are the adapter's own.
#include "rfc/nwrfc_adapter.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>

#include "platform/file_names.h"

namespace qm {
namespace {

// A field of an installed row structure, with its offset worked out.
struct Field {
  std::u16string name;
  unsigned type = kRfcTypeChar;
  unsigned length = 0;
  unsigned offset = 0;
};

struct Structure {
  std::vector<Field> fields;
};

struct Table {
  unsigned rowLength = 0;
  std::vector<unsigned char> bytes;
  unsigned Count() const { return static_cast<unsigned>(bytes.size() / rowLength); }
};

// A failure as the SDK reported it.
struct SdkError {
  RFC_RC code = RFC_OK;
  std::string key;
  std::string message;
};

// A sent parameter, converted for RfcSetChars.
struct SentValue {
  std::u16string name;
  std::u16string value;
};

struct Connection {
  RFC_CONNECTION_HANDLE sdk = nullptr;
  bool logonFailed = false;  // RfcOpen: the first receive reports `logonFault`
  SdkError logonFault;
  bool callPending = false;
  std::string function;
  std::vector<SentValue> sent;
};

struct AdapterState {
  NwRfcApi api;
  RfcErrorHandler handler = nullptr;
  std::map<RfcHandle, Connection> connections;
  RfcHandle nextHandle = 1;
  std::map<const void*, std::unique_ptr<Table>> tables;
  std::map<RfcTypeHandle, Structure> structures;
  RfcTypeHandle nextType = 1;
  RfcErrorInfo lastError{};
  std::string exceptionText;
};

AdapterState& State() {
  static AdapterState state;
  return state;
}

// The text of a terminated field of fixed size, never read beyond it.
template <std::size_t N>
std::u16string_view FieldText(const SAP_UC (&field)[N]) {
  std::size_t length = 0;
  while (length < N && field[length] != 0) ++length;
  return std::u16string_view(field, length);
}

SdkError ErrorOf(const RFC_ERROR_INFO& info) {
  return SdkError{info.code, Utf16ToLatin1(FieldText(info.key)),
                  Utf16ToLatin1(FieldText(info.message))};
}

void CopyCut(char* field, std::size_t size, std::string_view text) {
  std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

// Sets the last error: key cut to 32 characters, message to 255, status
// FAILURE and an empty internal status.
void SetLastError(std::string_view key, std::string_view message) {
  RfcErrorInfo& info = State().lastError;
  info = RfcErrorInfo{};
  CopyCut(info.key, sizeof info.key, key);
  CopyCut(info.status, sizeof info.status, "FAILURE");
  CopyCut(info.message, sizeof info.message, message);
}

// Appends "**** ERROR file opened at YYYYMMDD HHMMSS" and "ERROR" + seven
// blanks + the text (line ends in it as blanks) to the trace file, where
// the program looks for the reason of a failure.
void AppendTrace(std::string_view text) {
  std::time_t now = std::time(nullptr);
  char stamp[32] = "00000000 000000";
  if (const std::tm* local = std::localtime(&now)) {
    std::strftime(stamp, sizeof stamp, "%Y%m%d %H%M%S", local);
  }
  std::string block = std::string("**** ERROR file opened at ") + stamp + "\nERROR       ";
  for (char c : text) block.push_back(c == '\n' || c == '\r' ? ' ' : c);
  block.push_back('\n');
  std::FILE* trace = std::fopen(MapPath(kTraceFile).c_str(), "ab");
  if (trace == nullptr) return;
  std::fwrite(block.data(), 1, block.size(), trace);
  std::fclose(trace);
}

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

// The name of a parameter or table record, bounded by its name length.
std::string_view RecordName(const char* name, unsigned nameLength) {
  std::size_t length = 0;
  while (length < nameLength && name[length] != '\0') ++length;
  return std::string_view(name, length);
}

std::string_view TextOrEmpty(const char* text) { return text != nullptr ? text : ""; }

// The program pads user and password with blanks to a fixed width; only
// that padding is removed, so a longer text passed whole stays as it is.
std::string WithoutPadding(std::string_view text, std::size_t width) {
  if (text.size() > width) return std::string(text);
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  return std::string(text.substr(0, end));
}

std::string TwoDigits(int number) {
  std::string digits = std::to_string(number);
  return number >= 0 && number < 10 ? "0" + digits : digits;
}

void AddParameter(ConnectionParameters* parameters, const char* name, std::string_view value) {
  if (!value.empty()) parameters->emplace_back(name, std::string(value));
}

// ---------------------------------------------------------------------------
// Connect string and SapRfc.ini.

std::string_view TrimBlanks(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

constexpr const char* kConnectKeys[] = {"CLIENT=", "USER=", "PASSWD=", "LANG=", "DEST="};

// The key of the connect string that starts at `at`, or null.
const char* ConnectKeyAt(std::string_view connect, std::size_t at) {
  for (const char* key : kConnectKeys) {
    if (connect.substr(at, std::strlen(key)) == key) return key;
  }
  return nullptr;
}

// The connect string's fields by key ("CLIENT=" ...). A field runs to the
// next blank that is followed by a key, so values keep their blanks.
std::map<std::string, std::string> ParseConnectString(std::string_view connect) {
  std::map<std::string, std::string> fields;
  std::size_t at = 0;
  while (at < connect.size()) {
    const char* key = ConnectKeyAt(connect, at);
    std::size_t end = at;
    while (end < connect.size() && !(connect[end] == ' ' && ConnectKeyAt(connect, end + 1))) ++end;
    if (key != nullptr) {
      std::size_t valueAt = at + std::strlen(key);
      fields[key] = std::string(connect.substr(valueAt, end - valueAt));
    }
    at = end + 1;
  }
  return fields;
}

// The entry of SapRfc.ini for `dest`: KEY=VALUE lines from its DEST= line
// to the next DEST= line, keys upper-cased, blanks around key and value
// and a trailing CR removed; blank lines and lines starting with "*" or "#"
// skipped. False when there is no such entry.
bool FindSapRfcEntry(std::string_view ini, std::string_view dest,
                     std::map<std::string, std::string>* entry) {
  bool inEntry = false, found = false;
  std::size_t at = 0;
  while (at < ini.size()) {
    std::size_t end = ini.find('\n', at);
    if (end == std::string_view::npos) end = ini.size();
    std::string_view line = ini.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = TrimBlanks(line);
    if (line.empty() || line[0] == '*' || line[0] == '#') continue;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string key = UpperCase(TrimBlanks(line.substr(0, equals)));
    std::string_view value = TrimBlanks(line.substr(equals + 1));
    if (key == "DEST") {
      if (found) break;
      inEntry = value == dest;
      found = inEntry;
    }
    if (inEntry) (*entry)[key] = std::string(value);
  }
  return found;
}

std::string ValueOf(const std::map<std::string, std::string>& fields, const std::string& key) {
  auto found = fields.find(key);
  return found != fields.end() ? found->second : std::string();
}

// ---------------------------------------------------------------------------
// Opening.

// The SDK parameters as UTF-16 texts and the array that points into them.
struct SdkParameters {
  std::vector<std::u16string> texts;
  std::vector<RFC_CONNECTION_PARAMETER> array;

  explicit SdkParameters(const ConnectionParameters& parameters) {
    texts.reserve(parameters.size() * 2);
    for (const auto& [name, value] : parameters) {
      texts.push_back(Latin1ToUtf16(name));
      texts.push_back(Latin1ToUtf16(value));
    }
    for (std::size_t i = 0; i < texts.size(); i += 2) {
      array.push_back(RFC_CONNECTION_PARAMETER{texts[i].c_str(), texts[i + 1].c_str()});
    }
  }
};

RfcHandle AddConnection(RFC_CONNECTION_HANDLE sdk, const SdkError* logonFault) {
  AdapterState& state = State();
  RfcHandle handle = state.nextHandle++;
  Connection& connection = state.connections[handle];
  connection.sdk = sdk;
  if (logonFault != nullptr) {
    connection.logonFailed = true;
    connection.logonFault = *logonFault;
  }
  return handle;
}

// An open that failed: the trace file and the last error get the reason.
RfcHandle FailOpen(std::string_view key, std::string_view message, RfcErrorInfo* error) {
  AppendTrace(message);
  SetLastError(key, message);
  if (error != nullptr) *error = State().lastError;
  return 0;
}

RFC_CONNECTION_HANDLE OpenSdkConnection(const ConnectionParameters& parameters, SdkError* error) {
  SdkParameters sdk(parameters);
  RFC_ERROR_INFO info{};
  RFC_CONNECTION_HANDLE connection = State().api.RfcOpenConnection(
      sdk.array.data(), static_cast<unsigned>(sdk.array.size()), &info);
  if (connection == nullptr) *error = ErrorOf(info);
  return connection;
}

void AdapterEnvironment(RfcEnvironmentRecord* environment) {
  State().handler = environment != nullptr ? environment->errorHandler : nullptr;
}

RfcHandle AdapterOpen(RfcOptionsRecord* options) {
  if (options == nullptr) return FailOpen("RfcOpen", "no connection options", nullptr);
  SdkError error;
  RFC_CONNECTION_HANDLE connection = OpenSdkConnection(OptionsParameters(*options), &error);
  if (connection != nullptr) return AddConnection(connection, nullptr);
  // The classic library checks the logon at the first call: the connection
  // is there, and its first receive reports the fault.
  if (error.code == RFC_LOGON_FAILURE) return AddConnection(nullptr, &error);
  return FailOpen(error.key, error.message, nullptr);
}

RfcHandle AdapterOpenEx(const char* connect, RfcErrorInfo* errorInfo) {
  std::string ini;
  if (std::FILE* file = OpenForReading(kSapRfcIni)) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) ini.append(buffer, n);
    std::fclose(file);
  }
  ConnectionParameters parameters;
  std::string problem;
  if (!ConnectStringParameters(TextOrEmpty(connect), ini, &parameters, &problem)) {
    return FailOpen("RfcOpenEx", problem, errorInfo);
  }
  SdkError error;
  RFC_CONNECTION_HANDLE connection = OpenSdkConnection(parameters, &error);
  if (connection == nullptr) return FailOpen(error.key, error.message, errorInfo);
  return AddConnection(connection, nullptr);
}

Connection* FindConnection(RfcHandle handle) {
  auto& connections = State().connections;
  auto found = connections.find(handle);
  return found != connections.end() ? &found->second : nullptr;
}

void AdapterClose(RfcHandle handle) {
  Connection* connection = FindConnection(handle);
  if (connection == nullptr) return;
  if (connection->sdk != nullptr) {
    RFC_ERROR_INFO ignored{};
    State().api.RfcCloseConnection(connection->sdk, &ignored);
  }
  State().connections.erase(handle);
}

// ---------------------------------------------------------------------------
// Structures and tables.

unsigned AlignmentOf(unsigned type) {
  if (type == kRfcTypeInt) return 4;
  if (type == kRfcTypeInt2) return 2;
  return 1;
}

int AdapterInstallStructure(const char* name, const RfcTypeElement* elements, unsigned count,
                            RfcTypeHandle* handle) {
  (void)name;
  if (handle == nullptr || (elements == nullptr && count > 0)) {
    SetLastError("RfcInstallStructure", "no field list or handle");
    return 1;
  }
  Structure structure;
  unsigned end = 0;
  for (unsigned i = 0; i < count; ++i) {
    Field field;
    field.name = Latin1ToUtf16(TextOrEmpty(elements[i].name));
    field.type = elements[i].type;
    field.length = elements[i].length;
    // Offset 0 asks for natural alignment after the previous field.
    unsigned alignment = AlignmentOf(field.type);
    field.offset = elements[i].offset != 0 ? elements[i].offset
                                           : (end + alignment - 1) / alignment * alignment;
    end = field.offset + field.length;
    structure.fields.push_back(std::move(field));
  }
  AdapterState& state = State();
  *handle = state.nextType++;
  state.structures[*handle] = std::move(structure);
  return 0;
}

RfcTableHandle AdapterItCreate(const char* name, unsigned rowLength, unsigned occurs,
                               unsigned memsize) {
  (void)name;
  (void)occurs;
  (void)memsize;
  if (rowLength == 0) {
    SetLastError("ItCreate", "row length 0");
    return nullptr;
  }
  auto table = std::make_unique<Table>();
  table->rowLength = rowLength;
  void* handle = table.get();
  State().tables[handle] = std::move(table);
  return handle;
}

Table* FindTable(const void* handle) {
  auto& tables = State().tables;
  auto found = tables.find(handle);
  return found != tables.end() ? found->second.get() : nullptr;
}

unsigned AdapterItFill(RfcTableHandle handle) {
  Table* table = FindTable(handle);
  return table != nullptr ? table->Count() : 0;
}

void* AdapterItGetLine(RfcTableHandle handle, unsigned line) {
  Table* table = FindTable(handle);
  if (table == nullptr || line == 0 || line > table->Count()) {
    SetLastError("ItGetLine", "no such row");
    return nullptr;
  }
  return table->bytes.data() + static_cast<std::size_t>(line - 1) * table->rowLength;
}

int AdapterItDelete(RfcTableHandle handle) {
  if (State().tables.erase(handle) == 0) {
    SetLastError("ItDelete", "no such table");
    return 1;
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Remote calls.

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

void AdapterLastError(RfcErrorInfo* info) {
  if (info != nullptr) *info = State().lastError;
}

const RfcLibrary kAdapterRecord = {
    AdapterEnvironment, AdapterOpen,    AdapterOpenEx, AdapterInstallStructure, AdapterItCreate,
    AdapterCall,        AdapterReceive, AdapterItFill, AdapterItGetLine,        AdapterItDelete,
    AdapterLastError,   AdapterClose,   nullptr,
};

template <typename Function>
bool Find(SharedLibrary library, const char* name, Function* function, std::string* missing) {
  *function = reinterpret_cast<Function>(FindSymbol(library, name));
  if (*function == nullptr && missing->empty()) *missing = name;
  return *function != nullptr;
}

}  // namespace

bool FindNwRfcApi(SharedLibrary library, NwRfcApi* api, std::string* missing) {
  std::string first;
  bool all = true;
  all &= Find(library, "RfcOpenConnection", &api->RfcOpenConnection, &first);
  all &= Find(library, "RfcCloseConnection", &api->RfcCloseConnection, &first);
  all &= Find(library, "RfcGetFunctionDesc", &api->RfcGetFunctionDesc, &first);
  all &= Find(library, "RfcCreateFunction", &api->RfcCreateFunction, &first);
  all &= Find(library, "RfcDestroyFunction", &api->RfcDestroyFunction, &first);
  all &= Find(library, "RfcSetChars", &api->RfcSetChars, &first);
  all &= Find(library, "RfcInvoke", &api->RfcInvoke, &first);
  all &= Find(library, "RfcGetInt", &api->RfcGetInt, &first);
  all &= Find(library, "RfcGetChars", &api->RfcGetChars, &first);
  all &= Find(library, "RfcGetTable", &api->RfcGetTable, &first);
  all &= Find(library, "RfcGetRowCount", &api->RfcGetRowCount, &first);
  all &= Find(library, "RfcMoveTo", &api->RfcMoveTo, &first);
  all &= Find(library, "RfcGetVersion", &api->RfcGetVersion, &first);
  if (missing != nullptr) *missing = first;
  return all;
}

const RfcLibrary* NwRfcAdapterLibrary(const NwRfcApi& api) {
  State().api = api;
  return &kAdapterRecord;
}

void ResetNwRfcAdapterForTests() {
  NwRfcApi api = State().api;
  State() = AdapterState{};
  State().api = api;
}

ConnectionParameters OptionsParameters(const RfcOptionsRecord& options) {
  ConnectionParameters parameters;
  const char* host = nullptr;
  if (options.mode == 1) {
    const auto* gateway = static_cast<const RfcGatewayRecord*>(options.connection);
    if (gateway != nullptr && gateway->gatewayHost != nullptr) {
      host = gateway->gatewayHost;
      AddParameter(&parameters, "gwhost", host);
      AddParameter(&parameters, "gwserv", TextOrEmpty(gateway->gatewayService));
    }
  } else {
    const auto* server = static_cast<const RfcServerRecord*>(options.connection);
    if (server != nullptr && server->hostname != nullptr) {
      host = server->hostname;
      AddParameter(&parameters, "ashost", host);
      AddParameter(&parameters, "sysnr", TwoDigits(server->sysnr));
      AddParameter(&parameters, "gwhost", TextOrEmpty(server->gatewayHost));
      AddParameter(&parameters, "gwserv", TextOrEmpty(server->gatewayService));
    }
  }
  // No server: the destination names the system.
  if (host == nullptr) AddParameter(&parameters, "dest", TextOrEmpty(options.destination));
  AddParameter(&parameters, "client", TextOrEmpty(options.client));
  AddParameter(&parameters, "user", WithoutPadding(TextOrEmpty(options.user), 12));
  AddParameter(&parameters, "passwd", WithoutPadding(TextOrEmpty(options.password), 10));
  AddParameter(&parameters, "lang", TextOrEmpty(options.language));
  return parameters;
}

bool ConnectStringParameters(std::string_view connect, std::string_view sapRfcIni,
                             ConnectionParameters* parameters, std::string* error) {
  std::map<std::string, std::string> fields = ParseConnectString(connect);
  std::string dest = ValueOf(fields, "DEST=");
  std::map<std::string, std::string> entry;
  if (!FindSapRfcEntry(sapRfcIni, dest, &entry)) {
    *error = "SapRfc.ini has no entry DEST=" + dest;
    return false;
  }
  std::string type = UpperCase(ValueOf(entry, "TYPE"));
  const char* server = type == "A" ? "ASHOST" : type == "B" ? "MSHOST" : nullptr;
  if (server == nullptr) {
    *error = "SapRfc.ini entry DEST=" + dest + ": TYPE=" + ValueOf(entry, "TYPE") +
             " is not supported (A or B)";
    return false;
  }
  if (ValueOf(entry, server).empty()) {
    *error = "SapRfc.ini entry DEST=" + dest + ": " + server + " is missing";
    return false;
  }
  parameters->clear();
  if (type == "A") {
    AddParameter(parameters, "ashost", ValueOf(entry, "ASHOST"));
    AddParameter(parameters, "sysnr", ValueOf(entry, "SYSNR"));
  } else {
    AddParameter(parameters, "mshost", ValueOf(entry, "MSHOST"));
    AddParameter(parameters, "msserv", ValueOf(entry, "MSSERV"));
    AddParameter(parameters, "sysid", ValueOf(entry, "R3NAME"));
    AddParameter(parameters, "group", ValueOf(entry, "GROUP"));
  }
  AddParameter(parameters, "gwhost", ValueOf(entry, "GWHOST"));
  AddParameter(parameters, "gwserv", ValueOf(entry, "GWSERV"));
  AddParameter(parameters, "client", ValueOf(fields, "CLIENT="));
  AddParameter(parameters, "user", ValueOf(fields, "USER="));
  AddParameter(parameters, "passwd", ValueOf(fields, "PASSWD="));
  AddParameter(parameters, "lang", ValueOf(fields, "LANG="));
  return true;
}

std::u16string Latin1ToUtf16(std::string_view text) {
  std::u16string wide(text.size(), u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    wide[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
  }
  return wide;
}

std::string Utf16ToLatin1(std::u16string_view text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    bool pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF;
    if (pair) ++i;
    narrow.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
  }
  return narrow;
}

}  // namespace qm
