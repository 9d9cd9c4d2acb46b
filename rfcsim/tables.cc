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
// no table has been deleted since.
Table* TableOf(const void* handle) {
  const ThreadCache& cache = tCache;
  if (handle != nullptr && handle == cache.tableHandle &&
      cache.tableGeneration == tableGeneration.load(std::memory_order_acquire)) {
    return cache.table;
  }
  return FindAndCacheTable(handle);
}

unsigned TableId(const void* handle) {
  const Table* table = TableOf(handle);
  return table != nullptr ? table->id : 0;
}

// The row count of a table. A caller walking a table asks for it before
// every row, and a 64-bit division costs more than the rest of the call, so
// the count of the size and row length this thread asked for last is kept.
unsigned RowCount(const Table& table) {
  ThreadCache& cache = tCache;
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
bool AbortApplies(const char* operation) {
  const System* system = tCache.lastOpenedSystem;
  return system != nullptr && !system->aborts.empty() && ApplyTableAbort(operation);
}

}  // namespace

int SimRfcInstallStructure(const char* name, const RfcTypeElement* elements, unsigned count,
                           RfcTypeHandle* handle) {
  (void)elements;
  if (CallLogEnabled()) {
    WriteCallLog(CallLine("RfcInstallStructure").Text("name", name).Number("fields", count));
  }
  if (AbortApplies("RfcInstallStructure")) return 1;
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
  if (AbortApplies("ItCreate")) return nullptr;
  if (rowLength == 0) {
    SetLastError("ItCreate", "FAILURE", "row length 0");
    return nullptr;
  }
  return CreateTable(name, rowLength);
}

unsigned SimItFill(RfcTableHandle handle) {
  if (CallLogEnabled()) WriteCallLog(CallLine("ItFill").Number("table", TableId(handle)));
  const Table* table = TableOf(handle);
  return table != nullptr ? RowCount(*table) : 0;
}

void* SimItGetLine(RfcTableHandle handle, unsigned line) {
  if (CallLogEnabled()) {
    WriteCallLog(CallLine("ItGetLine").Number("table", TableId(handle)).Number("row", line));
  }
  if (AbortApplies("ItGetLine")) return nullptr;
  Table* table = TableOf(handle);
  if (table == nullptr || !HasRow(*table, line)) {
    SetLastError("ItGetLine", "FAILURE", "no such row");
    return nullptr;
  }
  return table->bytes.data() + static_cast<std::size_t>(line - 1) * table->rowLength;
}

int SimItDelete(RfcTableHandle handle) {
  if (CallLogEnabled()) WriteCallLog(CallLine("ItDelete").Number("table", TableId(handle)));
  if (AbortApplies("ItDelete")) return 1;
  if (!DeleteTable(handle)) {
    SetLastError("ItDelete", "FAILURE", "no such table");
    return 1;
  }
  return 0;
}

}  // namespace rfcsim
