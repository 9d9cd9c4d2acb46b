// The remote calls GET_CPU_ALL and GET_TOP_SINGLE. Both follow one pattern:
// create the internal table, install the row structure once per process,
// call and receive, fetch the rows, delete the table.
#include "collect/collect.h"

#include <cstdint>
#include <cstring>

#include "collect/structures.h"

namespace qm {
namespace {

// The longest exception text kept from the library.
constexpr std::size_t kExceptionTextLimit = 255;

// What differs between the two collection steps.
struct StepDescription {
  const char* structureName;
  const RfcTypeElement* elements;
  unsigned elementCount;
  RfcTypeHandle RfcAccess::*typeHandle;
  const char* tableName;
  unsigned rowLength;
  const char* function;
  const char* readFlagName;  // F_CPU_ALL_READ or F_TOP_SINGLE_READ
  bool receivesOpSystem;     // only GET_CPU_ALL sends OP_SYSTEM
  const char* itCreateOperation;
  const char* itGetLineOperation;
  const char* itDeleteOperation;
};

const StepDescription kCpuAllStep = {"CPU_ALL",
                                     kCpuAllElements,
                                     13,
                                     &RfcAccess::cpuAllType,
                                     "TF_CPU_ALL",
                                     kCpuAllRowLength,
                                     "GET_CPU_ALL",
                                     "F_CPU_ALL_READ",
                                     true,
                                     "ItCreate TF_CPU_ALL",
                                     "ItGetLine TF_CPU_ALL",
                                     "ItDelete TF_CPU_ALL"};

const StepDescription kTopSingleStep = {"TOP_SINGLE",
                                        kTopSingleElements,
                                        11,
                                        &RfcAccess::topSingleType,
                                        "TF_TOP_SINGLE",
                                        kTopSingleRowLength,
                                        "GET_TOP_SINGLE",
                                        "F_TOP_SINGLE_READ",
                                        false,
                                        "ItCreate TF_TOP_SINGLE",
                                        "ItGetLine TF_TOP_SINGLE",
                                        "ItDelete TF_TOP_SINGLE"};

// The fixed local selection sent to both function modules.
struct SentValues {
  char localRemote[6];
  char logicalDestination[32];
};

// The collector's control values; received, never inspected.
struct ReceivedValues {
  std::int32_t activeFlag = 0, detailsColl = 0, detailsMode = 0, detailsReqi = 0;
  char readFlag[3] = {};
  std::int32_t interval = 0, lastCollInt = 0;
  char lastCollWrt[25] = {};
  std::int32_t normCollInt = 0;
  char opSystem[52] = {};
};

RfcParameter Parameter(const char* name, unsigned type, unsigned length, void* address) {
  return RfcParameter{name, static_cast<unsigned>(std::strlen(name)), type, length, address};
}

// Copies a library text of unknown length, at most `limit` characters.
std::string BoundedText(const char* text, std::size_t limit) {
  std::string copy;
  if (text == nullptr) return copy;
  for (std::size_t i = 0; i < limit && text[i] != '\0'; ++i) copy.push_back(text[i]);
  return copy;
}

// The error text of a failed remote call, by its result code.
std::string RemoteFailureText(int result, const std::string& exceptionText) {
  switch (result) {
    case kRfcFailure:
      return "Error 1014: RFC-Failure raised !";
    case kRfcException:
      return "Error 1012: Exception.: " + exceptionText;
    case kRfcSysException:
      return "Error 1013: Sys-Exception raised !";
    default:
      return "Error 1015: Other Failure raised !";
  }
}

void InstallStructureOnce(RfcAccess& rfc, const StepDescription& step) {
  RfcTypeHandle& handle = rfc.*step.typeHandle;
  if (handle != 0) return;
  if (rfc.library->RfcInstallStructure(step.structureName, step.elements, step.elementCount,
                                       &handle) != 0) {
    rfc.reportError("RfcInstallStructure");
  }
}

// One remote call and its answer. For exceptions (codes 2 and 3) the
// library's exception text is copied into *exceptionText.
int CallFunction(RfcAccess& rfc, RfcHandle connection, const StepDescription& step,
                 RfcTableHandle table, std::string* exceptionText) {
  InstallStructureOnce(rfc, step);
  SentValues sent;
  std::memcpy(sent.localRemote, "LOCAL ", sizeof sent.localRemote);
  std::memset(sent.logicalDestination, ' ', sizeof sent.logicalDestination);
  RfcParameter exporting[] = {
      Parameter("LOCAL_REMOTE", kRfcTypeChar, sizeof sent.localRemote, sent.localRemote),
      Parameter("LOGICAL_DESTINATION", kRfcTypeChar, sizeof sent.logicalDestination,
                sent.logicalDestination),
      RfcParameter{}};
  RfcTable tables[] = {RfcTable{step.tableName, static_cast<unsigned>(std::strlen(step.tableName)),
                                rfc.*step.typeHandle, step.rowLength, table, 0},
                       RfcTable{}};

  int result = rfc.library->RfcCall(connection, step.function, exporting, tables);
  if (result != kRfcOk) return result;

  ReceivedValues received;
  RfcParameter importing[] = {
      Parameter("ACTIVEFLAG", kRfcTypeInt, 4, &received.activeFlag),
      Parameter("DETAILSCOLL", kRfcTypeInt, 4, &received.detailsColl),
      Parameter("DETAILSMODE", kRfcTypeInt, 4, &received.detailsMode),
      Parameter("DETAILSREQI", kRfcTypeInt, 4, &received.detailsReqi),
      Parameter(step.readFlagName, kRfcTypeChar, sizeof received.readFlag, received.readFlag),
      Parameter("INTERVAL", kRfcTypeInt, 4, &received.interval),
      Parameter("LASTCOLLINT", kRfcTypeInt, 4, &received.lastCollInt),
      Parameter("LASTCOLLWRT", kRfcTypeChar, sizeof received.lastCollWrt, received.lastCollWrt),
      Parameter("NORMCOLLINT", kRfcTypeInt, 4, &received.normCollInt),
      step.receivesOpSystem
          ? Parameter("OP_SYSTEM", kRfcTypeChar, sizeof received.opSystem, received.opSystem)
          : RfcParameter{},
      RfcParameter{}};
  char* exception = nullptr;
  result = rfc.library->RfcReceive(connection, importing, tables, &exception);
  if (result == kRfcException || result == kRfcSysException) {
    *exceptionText = BoundedText(exception, kExceptionTextLimit);
  }
  return result;
}

// Fetches rows 1 to n, the row count read again before each row, and hands
// each to `takeRow`. False when a row could not be fetched.
template <typename TakeRow>
bool FetchRows(RfcAccess& rfc, const StepDescription& step, RfcTableHandle table, TakeRow takeRow) {
  for (unsigned line = 1; line <= rfc.library->ItFill(table); ++line) {
    void* row = rfc.library->ItGetLine(table, line);
    if (row == nullptr) {
      rfc.reportError(step.itGetLineOperation);
      return false;
    }
    takeRow(static_cast<const unsigned char*>(row));
  }
  return true;
}

// The frame shared by both steps. `onSuccess` runs for result code 0 with
// the table; a remote failure appends its error text to out.text unescaped
// (it becomes the text of an error document, which escapes it).
template <typename OnSuccess>
int RunStep(RfcAccess& rfc, RfcHandle connection, const StepDescription& step, SensorOutput& out,
            RunStatus& status, OnSuccess onSuccess) {
  RfcTableHandle table = rfc.library->ItCreate(step.tableName, step.rowLength, 0, 0);
  if (table == nullptr) {
    rfc.reportError(step.itCreateOperation);
    return kRfcFailure;  // reached only if the reporter returns
  }
  std::string exceptionText;
  int result = CallFunction(rfc, connection, step, table, &exceptionText);
  if (result == kRfcOk) {
    status = RunStatus::kOk;
    onSuccess(table);
  } else {
    out.text += RemoteFailureText(result, exceptionText);
  }
  if (rfc.library->ItDelete(table) != 0) rfc.reportError(step.itDeleteOperation);
  return result;
}

}  // namespace

int CollectCpuAll(RfcAccess& rfc, RfcHandle connection, SensorOutput& out, RunStatus& status) {
  // The rows only show that the system answers; their contents are not used.
  return RunStep(rfc, connection, kCpuAllStep, out, status, [&](RfcTableHandle table) {
    FetchRows(rfc, kCpuAllStep, table, [](const unsigned char*) {});
  });
}

int CollectTopSingle(RfcAccess& rfc, RfcHandle connection, ReadingTarget& target, SensorOutput& out,
                     Console& console, RunStatus& status) {
  return RunStep(rfc, connection, kTopSingleStep, out, status, [&](RfcTableHandle table) {
    RowSelection selection = MakeRowSelection(
        ReadProcessFilter(target.parameterText, target.rawParameterText), target.destination);
    ProcessTotals totals;
    bool complete = FetchRows(rfc, kTopSingleStep, table, [&](const unsigned char* row) {
      AddProcessRow(row, selection, &totals);
    });
    if (complete) WriteProcessReadings(totals, selection.filter, target, out, console);
  });
}

}  // namespace qm
