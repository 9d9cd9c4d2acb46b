// The adapter's state, shared by its parts (logon, tables, calls, the
// record): the SDK functions, the open connections, the adapter's own tables
// and row structures, the installed handler and the last error. Internal to
// the adapter.
#ifndef QUILLMARK_RFC_NWRFC_STATE_H_
#define QUILLMARK_RFC_NWRFC_STATE_H_

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "rfc/nwrfc_adapter.h"
#include "rfc/nwrfc_api.h"
#include "rfc/rfc_library.h"

namespace qm::nwrfc {

// A field of an installed row structure, with its offset worked out.
struct Field {
  std::u16string name;
  unsigned type = kRfcTypeChar;
  unsigned length = 0;
  unsigned offset = 0;
};

// An installed row structure.
struct Structure {
  std::string name;  // as installed ("TOP_SINGLE"), shown in trace texts
  std::vector<Field> fields;
};

// An internal table of the adapter: rows of rowLength bytes.
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

// An open connection and the call it has pending.
struct Connection {
  RFC_CONNECTION_HANDLE sdk = nullptr;
  bool logonFailed = false;  // RfcOpen: the first receive reports `logonFault`
  SdkError logonFault;
  bool callPending = false;
  std::string function;
  std::vector<SentValue> sent;
};

// What the adapter keeps for the whole process. Several threads use the
// adapter at once, each on connections of its own: the maps are looked up
// and changed under `mutex`; what a lookup hands out (a connection, a table,
// a structure) stays where it is until its owner deletes it, and only the
// thread that owns a connection or table uses it. `api` is set before any
// thread starts.
struct AdapterState {
  NwRfcApi api;
  std::atomic<RfcErrorHandler> handler{nullptr};
  std::mutex mutex;
  std::map<RfcHandle, Connection> connections;
  RfcHandle nextHandle = 1;
  std::map<const void*, std::unique_ptr<Table>> tables;
  std::map<RfcTypeHandle, Structure> structures;
  RfcTypeHandle nextType = 1;
  std::string versionText;  // what RfcVersion handed out last, under `mutex`
};

// The one state of the process.
AdapterState& State();

// The calling thread's last error (RfcLastError takes no handle, so each
// thread sees its own).
RfcErrorInfo& LastError();

// The calling thread's last exception key, valid until that thread's next
// exception; at most 128 characters, as the SDK's key.
char* ExceptionText();
void SetExceptionText(std::string_view key);

// The SDK's error record as 8-bit texts.
SdkError ErrorOf(const RFC_ERROR_INFO& info);

// Sets the last error: key cut to 32 characters, message to 255, status
// FAILURE and an empty internal status.
void SetLastError(std::string_view key, std::string_view message);

// Appends "**** ERROR file opened at YYYYMMDD HHMMSS" and "ERROR" + seven
// blanks + the text (line ends in it as blanks) to the trace file, where
// the program looks for the reason of a failure.
void AppendTrace(std::string_view text);

// The name of a parameter or table record, bounded by its name length.
std::string_view RecordName(const char* name, unsigned nameLength);

// The text, or an empty one for null.
std::string_view TextOrEmpty(const char* text);

}  // namespace qm::nwrfc

#endif  // QUILLMARK_RFC_NWRFC_STATE_H_
