// Structures and internal tables.
#include "logs.h"
#include "operations.h"
#include "state.h"

namespace rfcsim {

namespace {

unsigned TableId(const void* handle) {
  const Table* table = FindTable(handle);
  return table != nullptr ? table->id : 0;
}

// The row count of a table. A caller walking a table asks for it before
// every row, and a 64-bit division costs more than the rest of the call, so
// the count of the size and row length asked for last is kept.
unsigned RowCount(const Table& table) {
  static std::size_t size = 0;
  static unsigned rowLength = 0;  // no table has row length 0
  static unsigned count = 0;
  if (table.bytes.size() != size || table.rowLength != rowLength) {
    size = table.bytes.size();
    rowLength = table.rowLength;
    count = table.Count();
  }
  return count;
}

// True when the table holds row `line` (from 1); multiplies rather than
// divides, as it runs once per row.
bool HasRow(const Table& table, unsigned line) {
  return line != 0 && std::size_t{line} * table.rowLength <= table.bytes.size();
}

// Applies an abort configured for the connection opened last; the common
// case, a system without aborts, costs no further call.
bool AbortApplies(const State& state, const char* operation) {
  const System* system = state.lastOpenedSystem;
  return system != nullptr && !system->aborts.empty() && ApplyAbort(system, operation, false);
}

// The table behind a handle. A walk asks for the same table row after row,
// so the table used last is taken without a lookup.
Table* TableOf(const State& state, const void* handle) {
  if (handle != nullptr && handle == state.lastTable) return const_cast<Table*>(state.lastTable);
  return FindTable(handle);
}

}  // namespace

int SimRfcInstallStructure(const char* name, const RfcTypeElement* elements, unsigned count,
                           RfcTypeHandle* handle) {
  (void)elements;
  if (CallLogEnabled()) {
    WriteCallLog(CallLine("RfcInstallStructure").Text("name", name).Number("fields", count));
  }
  if (ApplyAbort(CurrentSystem(), "RfcInstallStructure", false)) return 1;
  if (name == nullptr || handle == nullptr) {
    SetLastError("RfcInstallStructure", "FAILURE", "no structure name or handle");
    return 1;
  }
  *handle = TheState().nextTypeHandle++;
  return 0;
}

RfcTableHandle SimItCreate(const char* name, unsigned rowLength, unsigned occurs,
                           unsigned memsize) {
  (void)occurs;
  (void)memsize;
  if (CallLogEnabled()) {
    WriteCallLog(CallLine("ItCreate").Text("name", name).Number("length", rowLength));
  }
  if (ApplyAbort(CurrentSystem(), "ItCreate", false)) return nullptr;
  if (rowLength == 0) {
    SetLastError("ItCreate", "FAILURE", "row length 0");
    return nullptr;
  }
  State& state = TheState();
  auto table = std::make_unique<Table>();
  table->id = state.nextTableId++;
  table->name = name != nullptr ? name : "";
  table->rowLength = rowLength;
  Table* handle = table.get();
  state.tables.emplace(handle, std::move(table));
  return handle;
}

unsigned SimItFill(RfcTableHandle handle) {
  if (CallLogEnabled()) WriteCallLog(CallLine("ItFill").Number("table", TableId(handle)));
  const Table* table = TableOf(TheState(), handle);
  return table != nullptr ? RowCount(*table) : 0;
}

void* SimItGetLine(RfcTableHandle handle, unsigned line) {
  if (CallLogEnabled()) {
    WriteCallLog(CallLine("ItGetLine").Number("table", TableId(handle)).Number("row", line));
  }
  const State& state = TheState();
  if (AbortApplies(state, "ItGetLine")) return nullptr;
  Table* table = TableOf(state, handle);
  if (table == nullptr || !HasRow(*table, line)) {
    SetLastError("ItGetLine", "FAILURE", "no such row");
    return nullptr;
  }
  return table->bytes.data() + static_cast<std::size_t>(line - 1) * table->rowLength;
}

int SimItDelete(RfcTableHandle handle) {
  if (CallLogEnabled()) WriteCallLog(CallLine("ItDelete").Number("table", TableId(handle)));
  if (ApplyAbort(CurrentSystem(), "ItDelete", false)) return 1;
  State& state = TheState();
  if (FindTable(handle) == nullptr) {
    SetLastError("ItDelete", "FAILURE", "no such table");
    return 1;
  }
  state.lastTable = nullptr;
  state.tables.erase(handle);
  return 0;
}

}  // namespace rfcsim
