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
  TheState().handler = handler;
}

void SimRfcLastError(RfcErrorInfo* info) {
  if (CallLogEnabled()) WriteCallLog(CallLine("RfcLastError"));
  if (info != nullptr) *info = TheState().lastError;
}

void SimRfcClose(RfcHandle handle) {
  if (CallLogEnabled()) WriteCallLog(CallLine("RfcClose").Number("handle", handle));
  State& state = TheState();
  state.connections.erase(handle);
  if (handle != 0 && handle == state.lastOpened) {
    state.lastOpened = 0;
    state.lastOpenedSystem = nullptr;
  }
}

}  // namespace rfcsim

extern "C" const RfcLibrary* RfcSimLibrary(void) {
  static const RfcLibrary library = {
      rfcsim::SimRfcEnvironment,
      rfcsim::SimRfcOpen,
      rfcsim::SimRfcOpenEx,
      rfcsim::SimRfcInstallStructure,
      rfcsim::SimItCreate,
      rfcsim::SimRfcCall,
      rfcsim::SimRfcReceive,
      rfcsim::SimItFill,
      rfcsim::SimItGetLine,
      rfcsim::SimItDelete,
      rfcsim::SimRfcLastError,
      rfcsim::SimRfcClose,
      nullptr,
  };
  return &library;
}
