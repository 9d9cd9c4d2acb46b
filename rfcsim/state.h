// The stand-in's state. Process-wide, each part under a lock of its own: the
// landscape (read once), the open connections, the internal tables, the
// exception texts handed out, the installed error handler. Per calling
// thread, as a multi-threaded RFC library keeps them: the last error, the
// connection opened last, the ini-read notice and the caches of the
// row-by-row calls.
// No lock is held while the stand-in sleeps, produces rows or calls back into
// the program. Internal to the stand-in; tests reach it through
// ResetForTests.
#ifndef RFCSIM_STATE_H_
#define RFCSIM_STATE_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "landscape.h"
#include "rfc/rfc_library.h"

namespace rfcsim {

// An internal table: rows of rowLength bytes in one contiguous vector. Its
// rows are written and read by the thread that uses the table, without a
// lock; the table list itself is under a lock.
struct Table {
  unsigned id = 0;  // shown in the call log
  std::string name;
  unsigned rowLength = 0;
  std::vector<unsigned char> bytes;
  unsigned Count() const { return static_cast<unsigned>(bytes.size() / rowLength); }
};

// What the row-by-row calls of one thread keep between calls. Trivial and
// constant-initialised, so reaching it costs no initialisation check and a
// thread's end runs no destructor.
struct ThreadCache {
  // The system of the connection this thread opened last and has not
  // closed, and that connection; null and 0 when there is none.
  const System* lastOpenedSystem = nullptr;
  RfcHandle lastOpened = 0;
  // The table used last: its handle, the table, and the table generation
  // (TableGeneration) when it was looked up.
  const void* tableHandle = nullptr;
  Table* table = nullptr;
  std::uint64_t tableGeneration = 0;
  // The row count of the byte size and row length asked for last.
  std::size_t countedSize = 0;
  unsigned countedRowLength = 0;  // no table has row length 0
  unsigned count = 0;
};

// This thread's cache; the row-by-row calls bind a reference to it once.
extern constinit thread_local ThreadCache tCache;

// Counts every deletion of a table (and ResetForTests): a thread's cached
// table is only taken while this is unchanged since it was looked up.
extern std::atomic<std::uint64_t> tableGeneration;

// The landscape: RFCSIM_LANDSCAPE (a native path) or rfcsim.ini in the
// working directory, read and parsed once per process, under a lock, by the
// first thread that needs it; a missing file means no systems. Problems in
// the file are written to standard error.
const Landscape& TheLandscape();

// Installs (or, with null, removes) the process-wide error handler.
void SetErrorHandler(RfcErrorHandler handler);

// Sets this thread's last error (texts cut to their fields). `key` and
// `status` must live as long as the process (literals, operation names).
void SetLastError(const char* key, const char* status, std::string_view message);

// This thread's last error, as RfcLastError fills it.
RfcErrorInfo LastError();

// The exception text `text` as the library owns it; it stays valid until
// this thread's next exception (in fact until the process ends), whatever
// other threads raise.
char* KeepExceptionText(std::string_view text);

// Registers `notice` (null: none) for this thread's next RfcOpenEx.
void SetIniReadNotice(RfcIniReadNotice notice, void* context);

// Calls and forgets this thread's registered ini-read notice, if any; with
// no lock of the stand-in held.
void NotifyIniRead();

// Adds a connection to `system` (with the logon fault its first receive
// reports, empty for none) under the next handle, 1, 2, ... per process;
// it becomes this thread's connection opened last.
RfcHandle AddConnection(const System& system, std::string logonFault);

// The system of an open connection, or null. When `clearPendingCall`, the
// connection's pending call is dropped as well (RfcCall starts anew).
const System* ConnectionSystem(RfcHandle handle, bool clearPendingCall);

// Marks `function` as the pending call of an open connection; false when
// the connection is not open (any more).
bool SetPendingCall(RfcHandle handle, const std::string& function);

// Takes the pending call of an open connection: its function and the
// connection's logon fault. False when the connection is not open or has
// no call pending.
bool TakePendingCall(RfcHandle handle, std::string* function, std::string* logonFault);

// Closes a connection; unknown handles close nothing. When it is this
// thread's connection opened last, no system counts as opened last.
void CloseConnection(RfcHandle handle);

// Applies an `abort` of `operation` configured for `system`: appends the
// trace block, sets the last error and, when `callHandler`, calls the
// installed handler with the operation text (no lock held). True when an
// abort applied.
bool ApplyAbort(const System* system, const char* operation, bool callHandler);

// Applies an abort of a table operation: that of the system whose
// connection this thread opened last, while that connection is open; never
// calls the handler.
bool ApplyTableAbort(const char* operation);

// Hands out the next row-structure type handle, 1, 2, ... per process.
RfcTypeHandle NextTypeHandle();

// Creates an empty table (under the next table id) and returns it.
Table* CreateTable(const char* name, unsigned rowLength);

// Deletes a table; false when the handle is not a live table.
bool DeleteTable(const void* handle);

// The table behind a handle, or null for a handle that is not a live table;
// a lookup under the table lock.
Table* FindTable(const void* handle);

// FindTable, and a live table found becomes this thread's cached table
// (tCache), so the next row-by-row calls on it take no lock.
Table* FindAndCacheTable(const void* handle);

// Drops all state: connections, tables, handler, the landscape, the calling
// thread's last error, notice and cache, and forgets the
// call log, so the next call reads RFCSIM_LANDSCAPE and RFCSIM_LOG again.
// For tests only, while no other thread is alive that has used the
// stand-in.
void ResetForTests();

}  // namespace rfcsim

#endif  // RFCSIM_STATE_H_
