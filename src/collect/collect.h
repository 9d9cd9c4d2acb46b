// Data collection: the remote calls GET_CPU_ALL and GET_TOP_SINGLE, the
// filtering and summing of the process rows, and the readings, message text
// and channels made from the sums.
#ifndef QUILLMARK_COLLECT_COLLECT_H_
#define QUILLMARK_COLLECT_COLLECT_H_

#include <cstdint>
#include <string>

#include "output/console.h"
#include "output/sensor_output.h"
#include "rfc/rfc_library.h"

namespace qm {

// "ERR" before a collection step (set by run control), "OK" after a remote
// call answered with result code 0.
enum class RunStatus { kErr, kOk };

// The library and the row structures installed with it (once per process).
struct RfcAccess {
  const RfcLibrary* library = nullptr;
  RfcTypeHandle cpuAllType = 0;
  RfcTypeHandle topSingleType = 0;
  // Called with the operation text when a structure installation or an
  // internal-table operation fails. In the program it is ReportRfcError,
  // which ends the process; it must not return.
  void (*reportError)(const char* operation) = nullptr;
};

// What the readings of one system are for.
struct ReadingTarget {
  std::string destination;       // the system id of the SystemEntry
  std::string parameterText;     // upper-cased; keys are searched here
  std::string rawParameterText;  // as passed; values are taken from here
  bool globalMode = false;
  std::string globalItem;  // global mode: the one reading to write
  std::string itemLabel;   // global mode: the name of the channel
  bool itemFound = false;  // global mode: set when the readings ran
};

// GET_CPU_ALL on an open connection. Returns the RFC result code; sets
// status to kOk on success; on a remote failure appends Error 1012 to 1015
// to out.text.
int CollectCpuAll(RfcAccess& rfc, RfcHandle connection, SensorOutput& out, RunStatus& status);

// GET_TOP_SINGLE on an open connection, then the aggregation and the
// readings. Returns the RFC result code; on success sets status to kOk and
// writes the document into out (single-system run) or writes the item
// channel to the console (global mode); on a remote failure appends Error
// 1012 to 1015 to out.text.
int CollectTopSingle(RfcAccess& rfc, RfcHandle connection, ReadingTarget& target, SensorOutput& out,
                     Console& console, RunStatus& status);

// The "USER=" and "PROC=" filters of the parameter text.
struct ProcessFilter {
  std::string userFilter;     // upper-cased; empty when none
  std::string processFilter;  // upper-cased; empty when none
  std::string filterText;     // the value in force, letter case as given
};

// Reads "USER=" and "PROC=": the key found in parameterText, the value from
// rawParameterText at the same place, up to the first blank or comma; a value
// that begins with a blank or comma counts as none.
ProcessFilter ReadProcessFilter(const std::string& parameterText,
                                const std::string& rawParameterText);

// The sums of one step, in 64 bits so they never wrap around.
struct ProcessTotals {
  std::int64_t cpuUtilSum = 0;
  std::int64_t cpuTimeSum = 0;
  std::int64_t residentSizeSum = 0;
  std::int64_t privatePagesSum = 0;
  std::int64_t systemCpuUtilSum = 0;
};

// One filter value prepared for the rows: a row text (upper-cased, trailing
// blanks removed) matches the value exactly, or, when the value ends in "*",
// when it begins with the value's text before the "*". A lone "*" matches
// every row; otherwise a blank row text matches nothing.
struct TextMatcher {
  bool active = false;    // a value was given
  bool matchAll = false;  // the value is a lone "*"
  bool prefix = false;    // the value ends in "*"
  std::string text;       // the value without a final "*"
};

// Prepares one upper-cased filter value; an empty value gives an inactive
// matcher.
TextMatcher MakeTextMatcher(const std::string& upperValue);

// Prepared once per step: the filter, its matchers and the upper-cased
// destination, so the rows need no allocation.
struct RowSelection {
  ProcessFilter filter;
  std::string upperDestination;
  TextMatcher user;
  TextMatcher process;
  bool anyFilter = false;  // a user or process value is in force
};

// Prepares the selection of one step from its filter and the destination.
RowSelection MakeRowSelection(const ProcessFilter& filter, const std::string& destination);

// True when the TOP_SINGLE row matches the selection's filter: its user name
// matches the user value and its command the process value (each only when
// given); without a filter every row matches.
bool RowMatchesFilter(const unsigned char* row, const RowSelection& selection);

// True when the row's user name (12 characters) or command (20 characters)
// contains the destination, letter case ignored on both sides.
bool IsSystemRow(const unsigned char* row, const std::string& upperDestination);

// Adds one TOP_SINGLE row (68 bytes) into the totals: a matching row into
// the four sums, a system row (only without a filter) into the system sum;
// negative figures count as 0.
void AddProcessRow(const unsigned char* row, const RowSelection& selection, ProcessTotals* totals);

// CPU_TIME read as a decimal integer from its 8 characters: leading white
// space skipped, optional sign, digits up to the first other character.
std::int64_t ReadCpuTime(const char* text, std::size_t length);

// "." between groups of three digits, at most two separators:
// 1234567 -> 1.234.567, 4294967295 -> 4294.967.295.
std::string GroupThousands(const std::string& digits);

// Writes the readings: the whole document (single-system run) or the item
// channel printed at once (global mode, sets target.itemFound).
void WriteProcessReadings(const ProcessTotals& totals, const ProcessFilter& filter,
                          ReadingTarget& target, SensorOutput& out, Console& console);

}  // namespace qm

#endif  // QUILLMARK_COLLECT_COLLECT_H_
