#include "state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <type_traits>
#include <unordered_map>

#include "logs.h"

namespace rfcsim {

constinit thread_local ThreadCache tCache;

std::atomic<std::uint64_t> tableGeneration{0};

namespace {

struct Connection {
  const System* system = nullptr;
  std::string logonFault;  // RfcOpen: the fault the first receive reports
  bool callPending = false;
  std::string function;  // the function of the pending call
};

// The process-wide part. Created on first use and never destroyed, so a
// thread still inside a call while the process ends finds it intact.
struct Shared {
  std::mutex landscapeMutex;
  std::atomic<bool> landscapeLoaded{false};
  Landscape landscape;

  std::atomic<RfcErrorHandler> handler{nullptr};

  std::mutex connectionMutex;
  std::map<RfcHandle, Connection> connections;
  RfcHandle nextHandle = 1;

  std::mutex tableMutex;
  std::unordered_map<const void*, std::unique_ptr<Table>> tables;
  unsigned nextTableId = 1;

  std::atomic<RfcTypeHandle> nextTypeHandle{1};

  // Every exception text handed out, each kept once for the rest of the
  // process: a thread's text stays valid whatever other threads raise, and
  // no thread owns memory that would have to be freed when it ends.
  std::mutex exceptionTextMutex;
  std::map<std::string, std::string, std::less<>> exceptionTexts;
};

Shared& TheShared() {
  static Shared& shared = *new Shared;
  return shared;
}

// The part of a thread that the row-by-row calls do not need. Trivial, as
// every thread-local of the stand-in is: a thread-local with a destructor
// in a DLL can hang the process's exit on Windows (mingw-w64). Small, too:
// the dynamic loader can then give a shared library's thread-locals a place
// beside the program's, where reaching them is cheap.
struct ThreadState {
  const char* errorKey = "";  // the last error; key and status are literals
  const char* errorStatus = "";
  char errorMessage[sizeof(RfcErrorInfo::message)] = {};
  RfcIniReadNotice notice = nullptr;
  void* noticeContext = nullptr;
};

constinit thread_local ThreadState tState;
static_assert(std::is_trivially_destructible_v<ThreadState> &&
              std::is_trivially_destructible_v<ThreadCache>);

ThreadState& ThisThread() { return tState; }

void CopyText(char* field, std::size_t size, std::string_view text) {
  std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

bool ReadFile(const std::string& path, std::string* text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char buffer[8192];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, n);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

Landscape LoadLandscape() {
  const char* variable = std::getenv("RFCSIM_LANDSCAPE");
  std::string path = variable != nullptr && *variable != '\0' ? variable : "rfcsim.ini";
  std::string bytes;
  if (!ReadFile(path, &bytes)) bytes.clear();  // no file: no system answers
  Landscape landscape = ParseLandscape(bytes, FolderOf(path));
  for (const std::string& problem : landscape.problems) {
    std::fprintf(stderr, "rfcsim: %s %s\n", path.c_str(), problem.c_str());
  }
  return landscape;
}

}  // namespace

const Landscape& TheLandscape() {
  Shared& shared = TheShared();
  if (shared.landscapeLoaded.load(std::memory_order_acquire)) return shared.landscape;
  std::lock_guard<std::mutex> lock(shared.landscapeMutex);
  if (!shared.landscapeLoaded.load(std::memory_order_relaxed)) {
    shared.landscape = LoadLandscape();
    shared.landscapeLoaded.store(true, std::memory_order_release);
  }
  return shared.landscape;
}

void SetErrorHandler(RfcErrorHandler handler) { TheShared().handler.store(handler); }

void SetLastError(const char* key, const char* status, std::string_view message) {
  ThreadState& state = ThisThread();
  state.errorKey = key;
  state.errorStatus = status;
  CopyText(state.errorMessage, sizeof state.errorMessage, message);
}

RfcErrorInfo LastError() {
  const ThreadState& state = ThisThread();
  RfcErrorInfo info{};
  CopyText(info.key, sizeof info.key, state.errorKey);
  CopyText(info.status, sizeof info.status, state.errorStatus);
  CopyText(info.message, sizeof info.message, state.errorMessage);
  return info;
}

char* KeepExceptionText(std::string_view text) {
  Shared& shared = TheShared();
  std::lock_guard<std::mutex> lock(shared.exceptionTextMutex);
  auto found = shared.exceptionTexts.find(text);
  if (found == shared.exceptionTexts.end()) {
    found = shared.exceptionTexts.emplace(std::string(text), std::string(text)).first;
  }
  return found->second.data();
}

void SetIniReadNotice(RfcIniReadNotice notice, void* context) {
  ThreadState& state = ThisThread();
  state.notice = notice;
  state.noticeContext = notice != nullptr ? context : nullptr;
}

void NotifyIniRead() {
  ThreadState& state = ThisThread();
  RfcIniReadNotice notice = state.notice;
  void* context = state.noticeContext;
  // Forgotten before the call, so the notice may register the next one.
  state.notice = nullptr;
  state.noticeContext = nullptr;
  if (notice != nullptr) notice(context);
}

RfcHandle AddConnection(const System& system, std::string logonFault) {
  Shared& shared = TheShared();
  RfcHandle handle;
  {
    std::lock_guard<std::mutex> lock(shared.connectionMutex);
    handle = shared.nextHandle++;
    Connection& connection = shared.connections[handle];
    connection.system = &system;
    connection.logonFault = std::move(logonFault);
  }
  tCache.lastOpened = handle;
  tCache.lastOpenedSystem = &system;
  return handle;
}

const System* ConnectionSystem(RfcHandle handle, bool clearPendingCall) {
  Shared& shared = TheShared();
  std::lock_guard<std::mutex> lock(shared.connectionMutex);
  auto found = shared.connections.find(handle);
  if (found == shared.connections.end()) return nullptr;
  if (clearPendingCall) found->second.callPending = false;
  return found->second.system;
}

bool SetPendingCall(RfcHandle handle, const std::string& function) {
  Shared& shared = TheShared();
  std::lock_guard<std::mutex> lock(shared.connectionMutex);
  auto found = shared.connections.find(handle);
  if (found == shared.connections.end()) return false;
  found->second.callPending = true;
  found->second.function = function;
  return true;
}

bool TakePendingCall(RfcHandle handle, std::string* function, std::string* logonFault) {
  Shared& shared = TheShared();
  std::lock_guard<std::mutex> lock(shared.connectionMutex);
  auto found = shared.connections.find(handle);
  if (found == shared.connections.end() || !found->second.callPending) return false;
  found->second.callPending = false;
  *function = found->second.function;
  *logonFault = found->second.logonFault;
  return true;
}

void CloseConnection(RfcHandle handle) {
  Shared& shared = TheShared();
  {
    std::lock_guard<std::mutex> lock(shared.connectionMutex);
    shared.connections.erase(handle);
  }
  if (handle != 0 && handle == tCache.lastOpened) {
    tCache.lastOpened = 0;
    tCache.lastOpenedSystem = nullptr;
  }
}

bool ApplyAbort(const System* system, const char* operation, bool callHandler) {
  if (system == nullptr || system->aborts.empty()) return false;
  const Abort* abort = system->FindAbort(operation);
  if (abort == nullptr) return false;
  AppendTrace(abort->message);
  SetLastError(operation, "FAILURE", abort->message);
  RfcErrorHandler handler = TheShared().handler.load();
  if (callHandler && handler != nullptr) {
    std::string text = operation;  // the handler takes a modifiable text
    handler(text.data());
  }
  return true;
}

bool ApplyTableAbort(const char* operation) {
  const System* system = tCache.lastOpenedSystem;
  if (system == nullptr || system->FindAbort(operation) == nullptr) return false;
  // Another thread may have closed it (the program never does).
  if (ConnectionSystem(tCache.lastOpened, false) == nullptr) return false;
  return ApplyAbort(system, operation, false);
}

RfcTypeHandle NextTypeHandle() { return TheShared().nextTypeHandle.fetch_add(1); }

Table* CreateTable(const char* name, unsigned rowLength) {
  auto table = std::make_unique<Table>();
  table->name = name != nullptr ? name : "";
  table->rowLength = rowLength;
  Table* handle = table.get();
  Shared& shared = TheShared();
  std::lock_guard<std::mutex> lock(shared.tableMutex);
  table->id = shared.nextTableId++;
  shared.tables.emplace(handle, std::move(table));
  return handle;
}

bool DeleteTable(const void* handle) {
  std::unique_ptr<Table> doomed;  // freed after the lock is released
  Shared& shared = TheShared();
  {
    std::lock_guard<std::mutex> lock(shared.tableMutex);
    auto found = handle != nullptr ? shared.tables.find(handle) : shared.tables.end();
    if (found == shared.tables.end()) return false;
    doomed = std::move(found->second);
    shared.tables.erase(found);
    tableGeneration.fetch_add(1, std::memory_order_release);
  }
  return true;
}

Table* FindTable(const void* handle) {
  if (handle == nullptr) return nullptr;
  Shared& shared = TheShared();
  std::lock_guard<std::mutex> lock(shared.tableMutex);
  auto found = shared.tables.find(handle);
  return found != shared.tables.end() ? found->second.get() : nullptr;
}

Table* FindAndCacheTable(const void* handle) {
  if (handle == nullptr) return nullptr;
  Shared& shared = TheShared();
  std::lock_guard<std::mutex> lock(shared.tableMutex);
  auto found = shared.tables.find(handle);
  if (found == shared.tables.end()) return nullptr;
  // Read under the lock that deletions bump it under: a deletion after this
  // lookup makes the cached table count as stale.
  tCache.tableGeneration = tableGeneration.load(std::memory_order_relaxed);
  tCache.tableHandle = handle;
  tCache.table = found->second.get();
  return found->second.get();
}

void ResetForTests() {
  Shared& shared = TheShared();
  {
    std::lock_guard<std::mutex> lock(shared.landscapeMutex);
    shared.landscape = Landscape();
    shared.landscapeLoaded.store(false);
  }
  shared.handler.store(nullptr);
  {
    std::lock_guard<std::mutex> lock(shared.connectionMutex);
    shared.connections.clear();
    shared.nextHandle = 1;
  }
  {
    std::lock_guard<std::mutex> lock(shared.tableMutex);
    shared.tables.clear();
    shared.nextTableId = 1;
    tableGeneration.fetch_add(1);
  }
  shared.nextTypeHandle.store(1);
  ThisThread() = ThreadState();
  tCache = ThreadCache();
  ResetCallLog();
}

}  // namespace rfcsim
