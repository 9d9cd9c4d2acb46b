// The adapter's record and the SDK functions it finds in the loaded library.
#include "rfc/nwrfc_adapter.h"

#include "rfc/nwrfc_calls.h"
#include "rfc/nwrfc_logon.h"
#include "rfc/nwrfc_state.h"
#include "rfc/nwrfc_tables.h"
#include "rfc/nwrfc_texts.h"

namespace qm {
namespace {

using nwrfc::State;

// The SDK's version text is read up to this many characters.
constexpr std::size_t kLongestVersionText = 256;

void AdapterEnvironment(RfcEnvironmentRecord* environment) {
  State().handler = environment != nullptr ? environment->errorHandler : nullptr;
}

void AdapterLastError(RfcErrorInfo* info) {
  if (info != nullptr) *info = nwrfc::LastError();
}

// The SDK's version: RfcGetVersion's numbers and its text in 8 bits.
const char* AdapterVersion(unsigned* major, unsigned* minor, unsigned* patchLevel) {
  unsigned numbers[3] = {0, 0, 0};
  const SAP_UC* text = nullptr;
  if (State().api.RfcGetVersion != nullptr) {
    text = State().api.RfcGetVersion(&numbers[0], &numbers[1], &numbers[2]);
  }
  if (major != nullptr) *major = numbers[0];
  if (minor != nullptr) *minor = numbers[1];
  if (patchLevel != nullptr) *patchLevel = numbers[2];
  std::u16string_view wide;
  if (text != nullptr) {
    std::size_t length = 0;
    while (length < kLongestVersionText && text[length] != 0) ++length;
    wide = std::u16string_view(text, length);
  }
  // The SDK's version never changes: the text is kept once, so the text
  // handed out stays valid for every thread.
  nwrfc::AdapterState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.versionText.empty()) state.versionText = Utf16ToLatin1(wide);
  return state.versionText.c_str();
}

const RfcLibrary kAdapterRecord = {
    .RfcEnvironment = AdapterEnvironment,
    .RfcOpen = nwrfc::AdapterOpen,
    .RfcOpenEx = nwrfc::AdapterOpenEx,
    .RfcInstallStructure = nwrfc::AdapterInstallStructure,
    .ItCreate = nwrfc::AdapterItCreate,
    .RfcCall = nwrfc::AdapterCall,
    .RfcReceive = nwrfc::AdapterReceive,
    .ItFill = nwrfc::AdapterItFill,
    .ItGetLine = nwrfc::AdapterItGetLine,
    .ItDelete = nwrfc::AdapterItDelete,
    .RfcLastError = AdapterLastError,
    .RfcClose = nwrfc::AdapterClose,
    .RfcOnIniRead = nwrfc::AdapterOnIniRead,
    .RfcVersion = AdapterVersion,
};

template <typename Function>
bool Find(SharedLibrary library, const char* name, Function* function, std::string* missing) {
  *function = reinterpret_cast<Function>(FindSymbol(library, name));
  if (*function == nullptr && missing->empty()) *missing = name;
  return *function != nullptr;
}

}  // namespace

bool FindNwRfcApi(SharedLibrary library, NwRfcApi* api, std::string* missing) {
  std::string first;
  bool all = true;
  all &= Find(library, "RfcOpenConnection", &api->RfcOpenConnection, &first);
  all &= Find(library, "RfcCloseConnection", &api->RfcCloseConnection, &first);
  all &= Find(library, "RfcGetFunctionDesc", &api->RfcGetFunctionDesc, &first);
  all &= Find(library, "RfcCreateFunction", &api->RfcCreateFunction, &first);
  all &= Find(library, "RfcDestroyFunction", &api->RfcDestroyFunction, &first);
  all &= Find(library, "RfcSetChars", &api->RfcSetChars, &first);
  all &= Find(library, "RfcInvoke", &api->RfcInvoke, &first);
  all &= Find(library, "RfcGetInt", &api->RfcGetInt, &first);
  all &= Find(library, "RfcGetChars", &api->RfcGetChars, &first);
  all &= Find(library, "RfcGetTable", &api->RfcGetTable, &first);
  all &= Find(library, "RfcGetRowCount", &api->RfcGetRowCount, &first);
  all &= Find(library, "RfcMoveTo", &api->RfcMoveTo, &first);
  all &= Find(library, "RfcGetVersion", &api->RfcGetVersion, &first);
  all &= Find(library, "RfcGetParameterDescByName", &api->RfcGetParameterDescByName, &first);
  all &= Find(library, "RfcGetFieldDescByName", &api->RfcGetFieldDescByName, &first);
  all &= Find(library, "RfcGetInt8", &api->RfcGetInt8, &first);
  all &= Find(library, "RfcGetFloat", &api->RfcGetFloat, &first);
  all &= Find(library, "RfcGetString", &api->RfcGetString, &first);
  all &= Find(library, "RfcGetNum", &api->RfcGetNum, &first);
  all &= Find(library, "RfcGetFieldCount", &api->RfcGetFieldCount, &first);
  all &= Find(library, "RfcGetFieldDescByIndex", &api->RfcGetFieldDescByIndex, &first);
  if (missing != nullptr) *missing = first;
  return all;
}

const RfcLibrary* NwRfcAdapterLibrary(const NwRfcApi& api) {
  State().api = api;
  return &kAdapterRecord;
}

void ResetNwRfcAdapterForTests() {
  nwrfc::AdapterState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.handler = nullptr;
  state.connections.clear();
  state.nextHandle = 1;
  state.tables.clear();
  state.structures.clear();
  state.nextType = 1;
  state.versionText.clear();
  nwrfc::LastError() = RfcErrorInfo{};
  nwrfc::SetExceptionText("");
}

}  // namespace qm
