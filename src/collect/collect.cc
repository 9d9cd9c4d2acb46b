// The remote calls GET_CPU_ALL and GET_TOP_SINGLE. Both follow one pattern:
// create the internal table, install the row structure once per process,
// call and receive, fetch the rows, delete the table.
#include "collect/collect.h"

#include <cstdint>
#include <cstring>
#include <mutex>

#include "rfc/row_structures.h"

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

StepOutcome RemoteFailure(int result, const std::string& exceptionText) {
  return StepOutcome{StepResult::kRemoteFailure,
                     result,
                     RemoteFailureText(result, exceptionText),
                     exceptionText,
                     {}};
}

StepOutcome LibraryFailure(const char* operation) {
  return StepOutcome{StepResult::kLibraryFailure, 0, {}, {}, operation};
}

// Workers of a global run share the structure handles: one installs, the
// others wait and read the handle it stored.
std::mutex& StructureLock() {
  static std::mutex* lock = new std::mutex;  // never destroyed: workers may outlive main
  return *lock;
}

// False when the structure is not installed and its installation fails.
bool InstallStructureOnce(RfcAccess& rfc, const StepDescription& step) {
  std::lock_guard<std::mutex> hold(StructureLock());
  RfcTypeHandle& handle = rfc.*step.typeHandle;
  if (handle != 0) return true;
  return rfc.library->RfcInstallStructure(step.structureName, step.elements, step.elementCount,
                                          &handle) == 0;
}

// The installed handle, read under the same lock as it was written.
RfcTypeHandle TypeHandle(RfcAccess& rfc, const StepDescription& step) {
  std::lock_guard<std::mutex> hold(StructureLock());
  return rfc.*step.typeHandle;
}

// One remote call and its answer: the outcome of the call alone (rows not
// yet fetched). For exceptions (codes 2 and 3) the library's exception text
// goes into the error text of Error 1012.
StepOutcome CallFunction(RfcAccess& rfc, RfcHandle connection, const StepDescription& step,
                         RfcTableHandle table) {
  if (!InstallStructureOnce(rfc, step)) return LibraryFailure("RfcInstallStructure");
  SentValues sent;
  std::memcpy(sent.localRemote, "LOCAL ", sizeof sent.localRemote);
  std::memset(sent.logicalDestination, ' ', sizeof sent.logicalDestination);
  RfcParameter exporting[] = {
      Parameter("LOCAL_REMOTE", kRfcTypeChar, sizeof sent.localRemote, sent.localRemote),
      Parameter("LOGICAL_DESTINATION", kRfcTypeChar, sizeof sent.logicalDestination,
                sent.logicalDestination),
      RfcParameter{}};
  RfcTypeHandle type = TypeHandle(rfc, step);
  RfcTable tables[] = {RfcTable{step.tableName, static_cast<unsigned>(std::strlen(step.tableName)),
                                type, step.rowLength, table, 0},
                       RfcTable{}};

  int result = rfc.library->RfcCall(connection, step.function, exporting, tables);
  if (result != kRfcOk) return RemoteFailure(result, "");

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
  if (result == kRfcOk) return StepOutcome{};
  bool named = result == kRfcException || result == kRfcSysException;
  return RemoteFailure(result, named ? BoundedText(exception, kExceptionTextLimit) : "");
}

// Fetches rows 1 to n, the row count read again before each row, and hands
// each to `takeRow`. False when a row could not be fetched.
template <typename TakeRow>
bool FetchRows(RfcAccess& rfc, RfcTableHandle table, TakeRow takeRow) {
  for (unsigned line = 1; line <= rfc.library->ItFill(table); ++line) {
    void* row = rfc.library->ItGetLine(table, line);
    if (row == nullptr) return false;
    takeRow(static_cast<const unsigned char*>(row));
  }
  return true;
}

// The frame shared by both steps: create the table, call, fetch the rows
// with `takeRow` on success, delete the table. A library failure ends the
// step at once, as the RFC error report ends the process.
// *rowsComplete tells whether every row was fetched.
template <typename TakeRow>
StepOutcome RunStep(RfcAccess& rfc, RfcHandle connection, const StepDescription& step,
                    TakeRow takeRow, bool* rowsComplete) {
  RfcTableHandle table = rfc.library->ItCreate(step.tableName, step.rowLength, 0, 0);
  if (table == nullptr) return LibraryFailure(step.itCreateOperation);
  StepOutcome outcome = CallFunction(rfc, connection, step, table);
  if (outcome.result == StepResult::kLibraryFailure) return outcome;
  if (outcome.result == StepResult::kOk) {
    if (!FetchRows(rfc, table, takeRow)) return LibraryFailure(step.itGetLineOperation);
    *rowsComplete = true;
  }
  if (rfc.library->ItDelete(table) != 0) return LibraryFailure(step.itDeleteOperation);
  return outcome;
}

}  // namespace

StepOutcome CollectCpuAll(RfcAccess& rfc, RfcHandle connection) {
  // The rows only show that the system answers; their contents are not used.
  bool rowsComplete = false;
  return RunStep(
      rfc, connection, kCpuAllStep, [](const unsigned char*) {}, &rowsComplete);
}

ProcessOutcome CollectTopSingle(RfcAccess& rfc, RfcHandle connection,
                                const RowSelection& selection) {
  ProcessOutcome outcome;
  outcome.step = RunStep(
      rfc, connection, kTopSingleStep,
      [&](const unsigned char* row) { AddProcessRow(row, selection, &outcome.totals); },
      &outcome.rowsComplete);
  return outcome;
}

}  // namespace qm
