// Remote calls through the NetWeaver RFC SDK. The classic interface splits a
// call into RfcCall and RfcReceive; here RfcCall only remembers the call and
// RfcReceive makes it: one RfcInvoke, then the received fields are copied by
// name, each read by the type the system describes for it, into the classic
// row layout. Internal to the adapter.
#ifndef QUILLMARK_RFC_NWRFC_CALLS_H_
#define QUILLMARK_RFC_NWRFC_CALLS_H_

#include "rfc/rfc_library.h"

namespace qm::nwrfc {

// RfcCall: remembers the function and the sent values (integers as
// digits); 0, or 1 for a connection that is not open.
int AdapterCall(RfcHandle handle, const char* function, RfcParameter* exporting, RfcTable* tables);

// RfcReceive: invokes the remembered call and copies the rows of each table
// of the list and each received parameter into the classic layout. The
// classic result: 0; 1 (traced) for a communication or logon failure and
// for a reading's value that cannot be delivered exactly (the trace text
// names structure, field, type and value); 2 and 3 (*exception the SDK's
// key); 4. A failed receive delivers no rows.
int AdapterReceive(RfcHandle handle, RfcParameter* importing, RfcTable* tables, char** exception);

}  // namespace qm::nwrfc

#endif  // QUILLMARK_RFC_NWRFC_CALLS_H_
