// The adapter's own row structures and internal tables in the classic byte
// layout: RfcInstallStructure, ItCreate, ItFill, ItGetLine and ItDelete.
// Internal to the adapter.
#ifndef QUILLMARK_RFC_NWRFC_TABLES_H_
#define QUILLMARK_RFC_NWRFC_TABLES_H_

#include "rfc/nwrfc_state.h"
#include "rfc/rfc_library.h"

namespace qm::nwrfc {

// RfcInstallStructure: records the fields; an offset of 0 asks for natural
// alignment after the previous field. 0 with *handle set, 1 without a
// field list or handle.
int AdapterInstallStructure(const char* name, const RfcTypeElement* elements, unsigned count,
                            RfcTypeHandle* handle);
// ItCreate: an empty table of `rowLength`-byte rows; null for length 0.
RfcTableHandle AdapterItCreate(const char* name, unsigned rowLength, unsigned occurs,
                               unsigned memsize);
// ItFill: the row count; 0 for a table that does not exist.
unsigned AdapterItFill(RfcTableHandle handle);
// ItGetLine: the address of row `line` (from 1); null when out of range.
void* AdapterItGetLine(RfcTableHandle handle, unsigned line);
// ItDelete: frees the table; non-zero for a table that does not exist.
int AdapterItDelete(RfcTableHandle handle);

// The table behind a handle, or null.
Table* FindTable(const void* handle);

// The row structure installed under a handle, or null.
const Structure* FindStructure(RfcTypeHandle handle);

}  // namespace qm::nwrfc

#endif  // QUILLMARK_RFC_NWRFC_TABLES_H_
