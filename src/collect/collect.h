// The remote calls of the operating-system collector: GET_CPU_ALL, which
// shows that a system answers, and GET_TOP_SINGLE, whose process rows are
// summed. Each step returns its outcome; the caller decides what to print.
#ifndef QUILLMARK_COLLECT_COLLECT_H_
#define QUILLMARK_COLLECT_COLLECT_H_

#include <string>

#include "collect/aggregation.h"
#include "rfc/rfc_library.h"

namespace qm {

// The library and the row structures installed with it (once per process).
struct RfcAccess {
  const RfcLibrary* library = nullptr;
  RfcTypeHandle cpuAllType = 0;
  RfcTypeHandle topSingleType = 0;
};

// How a collection step ended.
enum class StepResult {
  kOk,              // the call answered with result code 0, every row fetched
  kRemoteFailure,   // the call failed: errorText holds Error 1012 to 1015
  kLibraryFailure,  // the library's housekeeping failed: failedOperation
};

struct StepOutcome {
  StepResult result = StepResult::kOk;
  // The RFC result code of the call (0 unless the call itself failed).
  int rfcResult = 0;
  // kRemoteFailure: "Error 1014: RFC-Failure raised !" and the like.
  std::string errorText;
  // kRemoteFailure with an exception (codes 2 and 3): the library's
  // exception text, at most 255 characters.
  std::string exceptionText;
  // kLibraryFailure: the operation text of the RFC error report
  // ("RfcInstallStructure", "ItCreate TF_CPU_ALL", "ItGetLine TF_TOP_SINGLE",
  // "ItDelete TF_CPU_ALL", ...). The step made no library call after it.
  std::string failedOperation;
};

// GET_CPU_ALL on an open connection: installs CPU_ALL once, creates
// TF_CPU_ALL, calls, fetches every row (not inspected), deletes the table.
StepOutcome CollectCpuAll(RfcAccess& rfc, RfcHandle connection);

// What the process collection gives: its outcome and the sums of the rows.
struct ProcessOutcome {
  StepOutcome step;
  // Every row was fetched, so the totals are the system's sums. Also true
  // when only the deletion of the table failed afterwards.
  bool rowsComplete = false;
  ProcessTotals totals;
};

// GET_TOP_SINGLE on an open connection, every row added into the totals by
// `selection`.
ProcessOutcome CollectTopSingle(RfcAccess& rfc, RfcHandle connection,
                                const RowSelection& selection);

}  // namespace qm

#endif  // QUILLMARK_COLLECT_COLLECT_H_
