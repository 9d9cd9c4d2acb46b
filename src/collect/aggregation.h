// The process filters "USER=" and "PROC=" and the summing of the TOP_SINGLE
// rows: which rows match, which belong to the SAP system itself, and the
// 64-bit sums of their figures.
#ifndef QUILLMARK_COLLECT_AGGREGATION_H_
#define QUILLMARK_COLLECT_AGGREGATION_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/parameters.h"

namespace qm {

// The "USER=" and "PROC=" filters of the parameter text.
struct ProcessFilter {
  std::string userFilter;     // upper-cased; empty when none
  std::string processFilter;  // upper-cased; empty when none
  std::string filterText;     // the value in force, letter case as given
};

// The filter of the parameters' "USER=" and "PROC=" values.
ProcessFilter ProcessFilterOf(const Parameters& parameters);

// The sums of one step, in 64 bits so they never wrap around.
struct ProcessTotals {
  std::int64_t cpuUtilSum = 0;
  std::int64_t cpuTimeSum = 0;
  std::int64_t residentSizeSum = 0;
  std::int64_t privatePagesSum = 0;
  std::int64_t systemCpuUtilSum = 0;
  // The rows that matched the filter (every row without one).
  std::int64_t matchedRows = 0;
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
// the four sums and the row count, a system row (only without a filter) into the system sum;
// negative figures count as 0.
void AddProcessRow(const unsigned char* row, const RowSelection& selection, ProcessTotals* totals);

// CPU_TIME read as a decimal integer from its 8 characters: leading white
// space skipped, optional sign, digits up to the first other character.
std::int64_t ReadCpuTime(const char* text, std::size_t length);

}  // namespace qm

#endif  // QUILLMARK_COLLECT_AGGREGATION_H_
