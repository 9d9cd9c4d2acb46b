// The stand-in's process-wide state: the landscape (read once), the open
// connections, the internal tables, the last error and the installed error
// handler. Internal to the stand-in; tests reach it through ResetForTests.
#ifndef RFCSIM_STATE_H_
#define RFCSIM_STATE_H_

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "landscape.h"
#include "rfc/rfc_library.h"

namespace rfcsim {

// An internal table: rows of rowLength bytes in one contiguous vector.
struct Table {
  unsigned id = 0;  // shown in the call log
  std::string name;
  unsigned rowLength = 0;
  std::vector<unsigned char> bytes;
  unsigned Count() const { return static_cast<unsigned>(bytes.size() / rowLength); }
};

struct Connection {
  const System* system = nullptr;
  std::string logonFault;  // RfcOpen: the fault the first receive reports
  bool callPending = false;
  std::string function;  // the function of the pending call
};

struct State {
  bool landscapeLoaded = false;
  Landscape landscape;
  RfcErrorHandler handler = nullptr;
  std::map<RfcHandle, Connection> connections;
  RfcHandle nextHandle = 1;
  RfcHandle lastOpened = 0;  // 0 once it is closed
  const System* lastOpenedSystem = nullptr;
  std::unordered_map<const void*, std::unique_ptr<Table>> tables;
  const Table* lastTable = nullptr;  // cache for row-by-row access
  unsigned nextTableId = 1;
  RfcTypeHandle nextTypeHandle = 1;
  RfcErrorInfo lastError{};
  std::string exceptionText;
};

// The state; the landscape is loaded on first use of TheLandscape().
State& TheState();

// The landscape: RFCSIM_LANDSCAPE (a native path) or rfcsim.ini in the
// working directory, read and parsed once per process; a missing file
// means no systems. Problems in the file are written to standard error.
const Landscape& TheLandscape();

// Sets the last error (texts cut to their fields).
void SetLastError(std::string_view key, std::string_view status, std::string_view message);

// The system of the connection opened last and still open, or null.
const System* CurrentSystem();

// Applies an `abort` of `operation` configured for `system`: appends the
// trace block, sets the last error and, when `callHandler`, calls the
// installed handler with the operation text. True when an abort applied.
bool ApplyAbort(const System* system, const char* operation, bool callHandler);

// The table behind a handle, or null for a handle that is not a live table.
Table* FindTable(const void* handle);

// Drops all state: connections, tables, handler, last error and the
// landscape, and forgets the call log, so the next call reads
// RFCSIM_LANDSCAPE and RFCSIM_LOG again. For tests only.
void ResetForTests();

}  // namespace rfcsim

#endif  // RFCSIM_STATE_H_
