// Structures and internal tables. A caller walks a table by asking for its
// row count and one row, row after row; those two calls take no lock: the
// table used last, its row count and the system an abort comes from are
// kept per thread (tCache).
#include "logs.h"
#include "operations.h"
#include "state.h"

namespace rfcsim {

namespace {

// The table behind a handle. A walk asks for the same table row after row,
// so the table this thread used last is taken without a lookup, as long as
// no table has been deleted since. `cache` is this thread's tCache.
Table* TableOf(const ThreadCache& cache, const void* handle) {
  if (handle != nullptr && handle == cache.tableHandle &&
      cache.tableGeneration == tableGeneration.load(std::memory_order_acquire)) {
    return cache.table;
  }
  return FindAndCacheTable(handle);
}

// The call-log line of a table operation: the table's id (0 for an unknown
// one) and, when `row` is not negative, the row. Kept apart from the
// operations, so their common path, without a log, stays short.
void LogTableCall(const char* operation, const void* handle, long long row) {
  const Table* table = TableOf(tCache, handle);
  CallLine line(operation);
  line.Number("table", table != nullptr ? table->id : 0);
  if (row >= 0) line.Number("row", row);
  WriteCallLog(line);
}

// The row count of a table. A caller walking a table asks for it before
// every row, and a 64-bit division costs more than the rest of the call, so
// the count of the size and row length this thread asked for last is kept.
unsigned RowCount(ThreadCache& cache, const Table& table) {
  if (table.bytes.size() != cache.countedSize || table.rowLength != cache.countedRowLength) {
    cache.countedSize = table.bytes.size();
    cache.countedRowLength = table.rowLength;
    cache.count = table.Count();
  }
  return cache.count;
}

// True when the table holds row `line` (from 1); multiplies rather than
// divides, as it runs once per row.
bool HasRow(const Table& table, unsigned line) {
  return line != 0 && std::size_t{line} * table.rowLength <= table.bytes.size();
}

// Applies an abort configured for the connection this thread opened last;
// the common case, a system without aborts, costs no further call.
bool AbortApplies(const ThreadCache& cache, const char* operation) {
  const System* system = cache.lastOpenedSystem;
  return system != nullptr && !system->aborts.empty() && ApplyTableAbort(operation);
}

}  // namespace

int SimRfcInstallStructure(const char* name, const RfcTypeElement* elements, unsigned count,
                           RfcTypeHandle* handle) {
  (void)elements;
  if (CallLogEnabled()) {
    WriteCallLog(CallLine("RfcInstallStructure").Text("name", name).Number("fields", count));
  }
  if (AbortApplies(tCache, "RfcInstallStructure")) return 1;
  if (name == nullptr || handle == nullptr) {
    SetLastError("RfcInstallStructure", "FAILURE", "no structure name or handle");
    return 1;
  }
  *handle = NextTypeHandle();
  return 0;
}

RfcTableHandle SimItCreate(const char* name, unsigned rowLength, unsigned occurs,
                           unsigned memsize) {
  (void)occurs;
  (void)memsize;
  if (CallLogEnabled()) {
    WriteCallLog(CallLine("ItCreate").Text("name", name).Number("length", rowLength));
  }
  if (AbortApplies(tCache, "ItCreate")) return nullptr;
  if (rowLength == 0) {
    SetLastError("ItCreate", "FAILURE", "row length 0");
    return nullptr;
  }
  return CreateTable(name, rowLength);
}

unsigned SimItFill(RfcTableHandle handle) {
  if (CallLogEnabled()) LogTableCall("ItFill", handle, -1);
  ThreadCache& cache = tCache;
  const Table* table = TableOf(cache, handle);
  return table != nullptr ? RowCount(cache, *table) : 0;
}

void* SimItGetLine(RfcTableHandle handle, unsigned line) {
  if (CallLogEnabled()) LogTableCall("ItGetLine", handle, line);
  const ThreadCache& cache = tCache;
  if (AbortApplies(cache, "ItGetLine")) return nullptr;
  Table* table = TableOf(cache, handle);
  if (table == nullptr || !HasRow(*table, line)) {
    SetLastError("ItGetLine", "FAILURE", "no such row");
    return nullptr;
  }
  return table->bytes.data() + static_cast<std::size_t>(line - 1) * table->rowLength;
}

int SimItDelete(RfcTableHandle handle) {
  if (CallLogEnabled()) LogTableCall("ItDelete", handle, -1);
  if (AbortApplies(tCache, "ItDelete")) return 1;
  if (!DeleteTable(handle)) {
    SetLastError("ItDelete", "FAILURE", "no such table");
    return 1;
  }
  return 0;
}

}  // namespace rfcsim
