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
  const Table* table = FindTable(handle);
  return table != nullptr ? table->Count() : 0;
}

void* SimItGetLine(RfcTableHandle handle, unsigned line) {
  if (CallLogEnabled()) {
    WriteCallLog(CallLine("ItGetLine").Number("table", TableId(handle)).Number("row", line));
  }
  if (ApplyAbort(CurrentSystem(), "ItGetLine", false)) return nullptr;
  Table* table = FindTable(handle);
  if (table == nullptr || line == 0 || line > table->Count()) {
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
