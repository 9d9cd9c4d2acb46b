// The RFC library record on top of SAP's NetWeaver RFC SDK: the classic
// operations the program uses, turned into SDK calls with the classic
// results. This part finds the SDK's functions in a library loaded at run
// time (nwrfc_loading loads it) and hands out the record; nwrfc_logon,
// nwrfc_tables and nwrfc_calls hold the operations behind it, nwrfc_fields
// and nwrfc_values the reading of received fields.
#ifndef QUILLMARK_RFC_NWRFC_ADAPTER_H_
#define QUILLMARK_RFC_NWRFC_ADAPTER_H_

#include <string>

#include "platform/platform.h"
#include "rfc/nwrfc_api.h"
#include "rfc/rfc_library.h"

namespace qm {

// The SDK functions the adapter calls.
struct NwRfcApi {
  RfcOpenConnectionFunction RfcOpenConnection = nullptr;
  RfcCloseConnectionFunction RfcCloseConnection = nullptr;
  RfcGetFunctionDescFunction RfcGetFunctionDesc = nullptr;
  RfcCreateFunctionFunction RfcCreateFunction = nullptr;
  RfcDestroyFunctionFunction RfcDestroyFunction = nullptr;
  RfcSetCharsFunction RfcSetChars = nullptr;
  RfcInvokeFunction RfcInvoke = nullptr;
  RfcGetIntFunction RfcGetInt = nullptr;
  RfcGetCharsFunction RfcGetChars = nullptr;
  RfcGetTableFunction RfcGetTable = nullptr;
  RfcGetRowCountFunction RfcGetRowCount = nullptr;
  RfcMoveToFunction RfcMoveTo = nullptr;
  RfcGetVersionFunction RfcGetVersion = nullptr;
  RfcGetParameterDescByNameFunction RfcGetParameterDescByName = nullptr;
  RfcGetFieldDescByNameFunction RfcGetFieldDescByName = nullptr;
  RfcGetInt8Function RfcGetInt8 = nullptr;
  RfcGetFloatFunction RfcGetFloat = nullptr;
  RfcGetStringFunction RfcGetString = nullptr;
  RfcGetNumFunction RfcGetNum = nullptr;
  RfcGetFieldCountFunction RfcGetFieldCount = nullptr;
  RfcGetFieldDescByIndexFunction RfcGetFieldDescByIndex = nullptr;
};

// Finds every function of NwRfcApi in a loaded library; false with
// *missing set to the name of the first one it lacks.
bool FindNwRfcApi(SharedLibrary library, NwRfcApi* api, std::string* missing);

// The adapter's record, working through `api`. There is one adapter per
// process: a later call makes the same record work through the new api.
const RfcLibrary* NwRfcAdapterLibrary(const NwRfcApi& api);

// Closes nothing, but forgets every connection, table, structure, the
// handler and the last error. For tests only.
void ResetNwRfcAdapterForTests();

}  // namespace qm

#endif  // QUILLMARK_RFC_NWRFC_ADAPTER_H_
