#include "rfc/library_choice.h"

#include <cstring>

#include "platform/platform.h"
#include "platform/text.h"
#include "rfc/nwrfc_adapter.h"
#include "rfc/nwrfc_loading.h"

namespace qm {
namespace {

struct FailingState {
  RfcErrorHandler handler = nullptr;
  RfcErrorInfo error{};
};

FailingState& Failing() {
  static FailingState state;
  return state;
}

void CopyCut(char* field, std::size_t size, const std::string& text) {
  std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

// The library is unusable: the installed handler reports it (and ends the
// process); an open never succeeds.
RfcHandle ReportOpen(const char* operation) {
  if (Failing().handler != nullptr) {
    std::string text = operation;  // the handler takes a modifiable text
    Failing().handler(text.data());
  }
  return 0;
}

void FailingEnvironment(RfcEnvironmentRecord* environment) {
  Failing().handler = environment != nullptr ? environment->errorHandler : nullptr;
}
RfcHandle FailingOpen(RfcOptionsRecord*) { return ReportOpen("RfcOpen"); }
RfcHandle FailingOpenEx(const char*, RfcErrorInfo* error) {
  if (error != nullptr) *error = Failing().error;
  return ReportOpen("RfcOpenEx");
}
int FailingInstallStructure(const char*, const RfcTypeElement*, unsigned, RfcTypeHandle*) {
  return 1;
}
RfcTableHandle FailingItCreate(const char*, unsigned, unsigned, unsigned) { return nullptr; }
int FailingCall(RfcHandle, const char*, RfcParameter*, RfcTable*) { return kRfcFailure; }
int FailingReceive(RfcHandle, RfcParameter*, RfcTable*, char**) { return kRfcFailure; }
unsigned FailingItFill(RfcTableHandle) { return 0; }
void* FailingItGetLine(RfcTableHandle, unsigned) { return nullptr; }
int FailingItDelete(RfcTableHandle) { return 1; }
void FailingLastError(RfcErrorInfo* info) {
  if (info != nullptr) *info = Failing().error;
}
void FailingClose(RfcHandle) {}

const RfcLibrary kFailingRecord = {
    FailingEnvironment,
    FailingOpen,
    FailingOpenEx,
    FailingInstallStructure,
    FailingItCreate,
    FailingCall,
    FailingReceive,
    FailingItFill,
    FailingItGetLine,
    FailingItDelete,
    FailingLastError,
    FailingClose,
    nullptr,  // RfcOnIniRead: no open ever reads SapRfc.ini
    nullptr,  // RfcVersion: there is no library to ask
};

}  // namespace

const RfcLibrary* FailingRfcLibrary(const std::string& message) {
  RfcErrorInfo& error = Failing().error;
  error = RfcErrorInfo{};
  CopyCut(error.key, sizeof error.key, "RfcLibrary");
  CopyCut(error.status, sizeof error.status, "FAILURE");
  CopyCut(error.message, sizeof error.message, message);
  return &kFailingRecord;
}

bool LoadNwRfcLibrary(const std::string& path, const RfcLibrary** library, std::string* error,
                      bool* notLoaded) {
  std::string reason;
  SharedLibrary loaded = LoadNwRfcSdk(path, &reason);
  if (notLoaded != nullptr) *notLoaded = loaded == nullptr;
  if (loaded == nullptr) {
    *error = path + ": " + reason;
    return false;
  }
  using RecordEntry = const RfcLibrary* (*)();
  if (auto entry = reinterpret_cast<RecordEntry>(FindSymbol(loaded, kRecordEntryPoint))) {
    *library = entry();
    if (*library == nullptr) *error = path + ": " + kRecordEntryPoint + " handed out no record";
    return *library != nullptr;
  }
  NwRfcApi api;
  std::string missing;
  if (!FindNwRfcApi(loaded, &api, &missing)) {
    *error = path + ": the function " + missing + " is missing";
    return false;
  }
  *library = NwRfcAdapterLibrary(api);
  return true;
}

std::string RfcLibraryPath(const std::string& setting) {
  if (setting.empty()) return kNwRfcLibraryName;
  if (EqualsIgnoringCase(setting, kStandInSetting)) {
    return ExecutableDirectory() + kStandInLibraryFile;
  }
  return setting;
}

const RfcLibrary* ChooseRfcLibrary(const std::string& setting) {
  std::string path = RfcLibraryPath(setting);
  // Nothing stands in for a library that cannot be used: a run never
  // reports simulated figures unless it was told to.
  const RfcLibrary* library = nullptr;
  std::string error;
  bool notLoaded = false;
  if (LoadNwRfcLibrary(path, &library, &error, &notLoaded)) return library;
  return FailingRfcLibrary(error);
}

}  // namespace qm
