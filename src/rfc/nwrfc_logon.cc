// The classic opens on top of RfcOpenConnection: the parameters of an
// options record, or of a connect string and the destination's entry of
// SapRfc.ini, converted to the SDK's UTF-16 parameter array.
#include "rfc/nwrfc_logon.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "platform/file_names.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "rfc/connection.h"
#include "rfc/nwrfc_state.h"
#include "rfc/nwrfc_texts.h"

namespace qm {
namespace {

using nwrfc::SdkError;
using nwrfc::State;
using nwrfc::TextOrEmpty;

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

// A destination entry of SapRfc.ini: its keys (upper-cased) and values in
// the order of the file, a repeated key keeping its first place and its
// last value.
using Entry = std::vector<std::pair<std::string, std::string>>;

std::string ValueOf(const Entry& entry, std::string_view key) {
  for (const auto& [name, value] : entry) {
    if (name == key) return value;
  }
  return std::string();
}

void SetValue(Entry* entry, std::string key, std::string_view value) {
  for (auto& [name, old] : *entry) {
    if (name == key) {
      old = std::string(value);
      return;
    }
  }
  entry->emplace_back(std::move(key), std::string(value));
}

// The entry of SapRfc.ini for `dest`: KEY=VALUE lines from its DEST= line
// to the next DEST= line, keys upper-cased, blanks around key and value
// and a trailing CR removed; blank lines and lines starting with "*" or "#"
// skipped. Values are taken whole, whatever their length. False when there
// is no such entry.
bool FindSapRfcEntry(std::string_view ini, std::string_view dest, Entry* entry) {
  bool inEntry = false, found = false;
  std::size_t at = 0;
  while (at < ini.size()) {
    std::size_t end = ini.find('\n', at);
    if (end == std::string_view::npos) end = ini.size();
    std::string_view line = ini.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = TrimBlanksAndTabs(line);
    if (line.empty() || line[0] == '*' || line[0] == '#') continue;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string key = UpperCaseAscii(TrimBlanksAndTabs(line.substr(0, equals)));
    std::string_view value = TrimBlanksAndTabs(line.substr(equals + 1));
    if (key == "DEST") {
      if (found) break;
      inEntry = value == dest;
      found = inEntry;
    }
    if (inEntry) SetValue(entry, key, value);
  }
  return found;
}

// Keys of an entry that are no SDK parameter of the same name: the type and
// the destination select the entry, the logon data come from the program.
bool IsEntryOnlyKey(std::string_view key) {
  for (std::string_view own : {"TYPE", "DEST", "CLIENT", "USER", "PASSWD", "LANG"}) {
    if (key == own) return true;
  }
  return false;
}

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

// The SDK parameters of a SapRfc.ini entry: TYPE=A needs ASHOST (or, for
// WebSocket RFC, WSHOST), TYPE=B MSHOST; every other key but those of
// IsEntryOnlyKey is passed as the SDK's parameter of that name, R3NAME as
// sysid. False with *error for another type or a missing server.
bool EntryParameters(const Entry& entry, const std::string& dest, ConnectionParameters* parameters,
                     std::string* error) {
  std::string type = UpperCaseAscii(ValueOf(entry, "TYPE"));
  if (type != "A" && type != "B") {
    *error = "SapRfc.ini entry DEST=" + dest + ": TYPE=" + ValueOf(entry, "TYPE") +
             " is not supported (A or B)";
    return false;
  }
  bool server = type == "A" ? !ValueOf(entry, "ASHOST").empty() || !ValueOf(entry, "WSHOST").empty()
                            : !ValueOf(entry, "MSHOST").empty();
  if (!server) {
    *error = "SapRfc.ini entry DEST=" + dest + ": " + (type == "A" ? "ASHOST" : "MSHOST") +
             " is missing";
    return false;
  }
  parameters->clear();
  for (const auto& [key, value] : entry) {
    if (IsEntryOnlyKey(key)) continue;
    AddParameter(parameters, key == "R3NAME" ? "sysid" : LowerCase(key).c_str(), value);
  }
  return true;
}

// The logon data of an options record, padding removed.
void AddLogonData(const RfcOptionsRecord& options, ConnectionParameters* parameters) {
  AddParameter(parameters, "client", TextOrEmpty(options.client));
  AddParameter(parameters, "user", WithoutPadding(TextOrEmpty(options.user), 12));
  AddParameter(parameters, "passwd", WithoutPadding(TextOrEmpty(options.password), 10));
  AddParameter(parameters, "lang", TextOrEmpty(options.language));
}

// True for an options record that names no server, only its destination.
bool IsDestinationOnly(const RfcOptionsRecord& options) {
  if (options.mode == 1) {
    const auto* gateway = static_cast<const RfcGatewayRecord*>(options.connection);
    return gateway == nullptr || gateway->gatewayHost == nullptr;
  }
  const auto* server = static_cast<const RfcServerRecord*>(options.connection);
  return server == nullptr || server->hostname == nullptr;
}

// SapRfc.ini of the working directory into *ini (empty when there is
// none), at most the size a connect-string run copies; false with
// *problem for a larger file or one that cannot be read.
bool ReadSapRfcIniBytes(std::string* ini, std::string* problem) {
  switch (ReadWholeFile(kSapRfcIni, kMaxDestinationFileBytes, ini)) {
    case FileRead::kRead:
    case FileRead::kCannotOpen:
      return true;
    case FileRead::kTooLarge:
      *problem = "SapRfc.ini is larger than " + std::to_string(kMaxDestinationFileBytes) + " bytes";
      return false;
    case FileRead::kReadFailed:
      break;
  }
  *problem = "SapRfc.ini cannot be read";
  return false;
}

// ReadSapRfcIniBytes while holding the lock that a connect-string run
// takes to rewrite SapRfc.ini. Where the lock file cannot be made, no run
// can rewrite SapRfc.ini either, so it is read without.
bool ReadSapRfcIniLocked(std::string* ini, std::string* problem) {
  ProgramFileLock lock;
  lock.Lock(kSapRfcLock);
  return ReadSapRfcIniBytes(ini, problem);
}

// A text the adapter writes (trace file, last error) without the password
// in it, should the SDK's message ever repeat it.
std::string WithoutPassword(std::string text, const ConnectionParameters& parameters) {
  for (const auto& [name, value] : parameters) {
    if (name != "passwd" || value.empty()) continue;
    for (std::size_t at = text.find(value); at != std::string::npos;
         at = text.find(value, at + 3)) {
      text.replace(at, value.size(), "***");
    }
  }
  return text;
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
  nwrfc::AdapterState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  RfcHandle handle = state.nextHandle++;
  nwrfc::Connection& connection = state.connections[handle];
  connection.sdk = sdk;
  if (logonFault != nullptr) {
    connection.logonFailed = true;
    connection.logonFault = *logonFault;
  }
  return handle;
}

// An open that failed: the trace file and the last error get the reason.
RfcHandle FailOpen(std::string_view key, std::string_view message, RfcErrorInfo* error) {
  nwrfc::AppendTrace(message);
  nwrfc::SetLastError(key, message);
  if (error != nullptr) *error = nwrfc::LastError();
  return 0;
}

RFC_CONNECTION_HANDLE OpenSdkConnection(const ConnectionParameters& parameters, SdkError* error) {
  SdkParameters sdk(parameters);
  RFC_ERROR_INFO info{};
  RFC_CONNECTION_HANDLE connection = State().api.RfcOpenConnection(
      sdk.array.data(), static_cast<unsigned>(sdk.array.size()), &info);
  if (connection == nullptr) {
    *error = nwrfc::ErrorOf(info);
    error->message = WithoutPassword(error->message, parameters);
  }
  return connection;
}

}  // namespace

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
  AddLogonData(options, &parameters);
  return parameters;
}

bool ConnectStringParameters(std::string_view connect, std::string_view sapRfcIni,
                             ConnectionParameters* parameters, std::string* error) {
  std::map<std::string, std::string> fields = ParseConnectString(connect);
  std::string dest = fields["DEST="];
  Entry entry;
  if (!FindSapRfcEntry(sapRfcIni, dest, &entry)) {
    *error = "SapRfc.ini has no entry DEST=" + dest;
    return false;
  }
  if (!EntryParameters(entry, dest, parameters, error)) return false;
  AddParameter(parameters, "client", fields["CLIENT="]);
  AddParameter(parameters, "user", fields["USER="]);
  AddParameter(parameters, "passwd", fields["PASSWD="]);
  AddParameter(parameters, "lang", fields["LANG="]);
  return true;
}

bool DestinationParameters(const RfcOptionsRecord& options, std::string_view sapRfcIni,
                           ConnectionParameters* parameters, std::string* error) {
  if (!IsDestinationOnly(options)) {
    *parameters = OptionsParameters(options);
    return true;
  }
  std::string dest(TextOrEmpty(options.destination));
  Entry entry;
  if (dest.empty() || !FindSapRfcEntry(sapRfcIni, dest, &entry)) {
    // No entry of its own: the SDK looks the destination up in its
    // sapnwrfc.ini.
    *parameters = OptionsParameters(options);
    return true;
  }
  if (!EntryParameters(entry, dest, parameters, error)) return false;
  AddLogonData(options, parameters);
  return true;
}

namespace nwrfc {

RfcHandle AdapterOpen(RfcOptionsRecord* options) {
  if (options == nullptr) return FailOpen("RfcOpen", "no connection options", nullptr);
  ConnectionParameters parameters;
  std::string ini, problem;
  if ((IsDestinationOnly(*options) && !ReadSapRfcIniLocked(&ini, &problem)) ||
      !DestinationParameters(*options, ini, &parameters, &problem)) {
    return FailOpen("RfcOpen", problem, nullptr);
  }
  SdkError error;
  RFC_CONNECTION_HANDLE connection = OpenSdkConnection(parameters, &error);
  if (connection != nullptr) return AddConnection(connection, nullptr);
  // The classic library checks the logon at the first call: the connection
  // is there, and its first receive reports the fault.
  if (error.code == RFC_LOGON_FAILURE) return AddConnection(nullptr, &error);
  return FailOpen(error.key, error.message, nullptr);
}

namespace {

// Per thread: each worker opens on a thread of its own.
thread_local RfcIniReadNotice iniReadNotice = nullptr;
thread_local void* iniReadContext = nullptr;

// Tells the program, once, that SapRfc.ini has been read: it may release
// its lock on the file before this thread waits for a system.
void NotifyIniRead() {
  RfcIniReadNotice notice = iniReadNotice;
  iniReadNotice = nullptr;
  if (notice != nullptr) notice(iniReadContext);
}

}  // namespace

void AdapterOnIniRead(RfcIniReadNotice notice, void* context) {
  iniReadNotice = notice;
  iniReadContext = context;
}

RfcHandle AdapterOpenEx(const char* connect, RfcErrorInfo* errorInfo) {
  ConnectionParameters parameters;
  std::string ini, problem;
  bool read = ReadSapRfcIniBytes(&ini, &problem);
  NotifyIniRead();
  if (!read || !ConnectStringParameters(TextOrEmpty(connect), ini, &parameters, &problem)) {
    return FailOpen("RfcOpenEx", problem, errorInfo);
  }
  SdkError error;
  RFC_CONNECTION_HANDLE connection = OpenSdkConnection(parameters, &error);
  if (connection == nullptr) return FailOpen(error.key, error.message, errorInfo);
  return AddConnection(connection, nullptr);
}

Connection* FindConnection(RfcHandle handle) {
  AdapterState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto found = state.connections.find(handle);
  return found != state.connections.end() ? &found->second : nullptr;
}

void AdapterClose(RfcHandle handle) {
  Connection* connection = FindConnection(handle);
  if (connection == nullptr) return;
  if (connection->sdk != nullptr) {
    RFC_ERROR_INFO ignored{};
    State().api.RfcCloseConnection(connection->sdk, &ignored);
  }
  AdapterState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.connections.erase(handle);
}

}  // namespace nwrfc
}  // namespace qm
