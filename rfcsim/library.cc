// The function record of the stand-in library, and the operations that are
// neither about connections nor about tables.
#include "logs.h"
#include "operations.h"
#include "rfcsim.h"
#include "state.h"

namespace rfcsim {

void SimRfcEnvironment(RfcEnvironmentRecord* environment) {
  RfcErrorHandler handler = environment != nullptr ? environment->errorHandler : nullptr;
  if (CallLogEnabled()) {
    WriteCallLog(CallLine("RfcEnvironment").Word("handler", handler != nullptr ? "set" : "null"));
  }
  SetErrorHandler(handler);
}

void SimRfcLastError(RfcErrorInfo* info) {
  if (CallLogEnabled()) WriteCallLog(CallLine("RfcLastError"));
  if (info != nullptr) *info = LastError();
}

void SimRfcClose(RfcHandle handle) {
  if (CallLogEnabled()) WriteCallLog(CallLine("RfcClose").Number("handle", handle));
  CloseConnection(handle);
}

// Writes no call-log line: it is no call into the SAP side, only a note for
// the next RfcOpenEx of this thread.
void SimRfcOnIniRead(RfcIniReadNotice notice, void* context) { SetIniReadNotice(notice, context); }

}  // namespace rfcsim

extern "C" const RfcLibrary* RfcSimLibrary(void) {
  static const RfcLibrary library = {
      .RfcEnvironment = rfcsim::SimRfcEnvironment,
      .RfcOpen = rfcsim::SimRfcOpen,
      .RfcOpenEx = rfcsim::SimRfcOpenEx,
      .RfcInstallStructure = rfcsim::SimRfcInstallStructure,
      .ItCreate = rfcsim::SimItCreate,
      .RfcCall = rfcsim::SimRfcCall,
      .RfcReceive = rfcsim::SimRfcReceive,
      .ItFill = rfcsim::SimItFill,
      .ItGetLine = rfcsim::SimItGetLine,
      .ItDelete = rfcsim::SimItDelete,
      .RfcLastError = rfcsim::SimRfcLastError,
      .RfcClose = rfcsim::SimRfcClose,
      .RfcOnIniRead = rfcsim::SimRfcOnIniRead,
      .RfcVersion = nullptr,  // the stand-in has no version of its own
  };
  return &library;
}
