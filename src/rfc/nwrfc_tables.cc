#include "rfc/nwrfc_tables.h"

#include "rfc/nwrfc_texts.h"

namespace qm::nwrfc {
namespace {

unsigned AlignmentOf(unsigned type) {
  if (type == kRfcTypeInt) return 4;
  if (type == kRfcTypeInt2) return 2;
  return 1;
}

}  // namespace

int AdapterInstallStructure(const char* name, const RfcTypeElement* elements, unsigned count,
                            RfcTypeHandle* handle) {
  if (handle == nullptr || (elements == nullptr && count > 0)) {
    SetLastError("RfcInstallStructure", "no field list or handle");
    return 1;
  }
  Structure structure;
  structure.name = std::string(TextOrEmpty(name));
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
  std::lock_guard<std::mutex> lock(state.mutex);
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
  AdapterState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.tables[handle] = std::move(table);
  return handle;
}

Table* FindTable(const void* handle) {
  AdapterState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto found = state.tables.find(handle);
  return found != state.tables.end() ? found->second.get() : nullptr;
}

const Structure* FindStructure(RfcTypeHandle handle) {
  AdapterState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto found = state.structures.find(handle);
  return found != state.structures.end() ? &found->second : nullptr;
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
  AdapterState& state = State();
  std::unique_lock<std::mutex> lock(state.mutex);
  if (state.tables.erase(handle) == 0) {
    lock.unlock();
    SetLastError("ItDelete", "no such table");
    return 1;
  }
  return 0;
}

}  // namespace qm::nwrfc
