// The stand-in's library operations, one per member of the function record.
// Internal: the program reaches them only through RfcSimLibrary().
#ifndef RFCSIM_OPERATIONS_H_
#define RFCSIM_OPERATIONS_H_

#include "rfc/rfc_library.h"

namespace rfcsim {

// Installs (or, with null, removes) the error handler.
void SimRfcEnvironment(RfcEnvironmentRecord* environment);
// Finds the system by server, gateway or destination; 0 when none answers.
// A logon fault does not fail the open: the first receive reports it.
RfcHandle SimRfcOpen(RfcOptionsRecord* options);
// Finds the system through SapRfc.ini and checks the logon; 0 on a fault,
// with *error (when not null) filled like RfcLastError.
RfcHandle SimRfcOpenEx(const char* connect, RfcErrorInfo* error);
// Hands out a type handle; non-zero on failure (an abort, or no handle).
int SimRfcInstallStructure(const char* name, const RfcTypeElement* elements, unsigned count,
                           RfcTypeHandle* handle);
// Creates an empty table of rowLength-byte rows; null on failure.
RfcTableHandle SimItCreate(const char* name, unsigned rowLength, unsigned occurs, unsigned memsize);
// Sends a call: 0, or the configured call_code, or 1 for a bad handle/abort.
int SimRfcCall(RfcHandle connection, const char* function, RfcParameter* exporting,
               RfcTable* tables);
// Receives the answer of the pending call: fills tables and parameters on 0.
int SimRfcReceive(RfcHandle connection, RfcParameter* importing, RfcTable* tables,
                  char** exception);
// The row count; 0 for an unknown table.
unsigned SimItFill(RfcTableHandle table);
// Row `line` (from 1); null when out of range, unknown or aborted.
void* SimItGetLine(RfcTableHandle table, unsigned line);
// Frees the table; non-zero for an unknown table or an abort.
int SimItDelete(RfcTableHandle table);
// Copies the last error.
void SimRfcLastError(RfcErrorInfo* info);
// Closes a connection; 0 and unknown handles close nothing.
void SimRfcClose(RfcHandle connection);
// Registers `notice` for this thread's next RfcOpenEx, which calls
// notice(context) once it has read SapRfc.ini; null clears it.
void SimRfcOnIniRead(RfcIniReadNotice notice, void* context);

}  // namespace rfcsim

#endif  // RFCSIM_OPERATIONS_H_
