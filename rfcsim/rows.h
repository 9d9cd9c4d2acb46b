// Rows of the operating-system collector's tables TOP_SINGLE (68 bytes) and
// CPU_ALL (48 bytes), laid out with natural alignment in native byte order,
// and the three places they come from: CSV files, synthetic rows and this
// host's live processes.
#ifndef RFCSIM_ROWS_H_
#define RFCSIM_ROWS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rfcsim {

// One field of a row layout.
struct RowField {
  enum Kind { kChar, kInt4, kInt2 };
  const char* name;
  Kind kind;
  unsigned offset;
  unsigned length;
  bool required;  // a CSV file must have this column
};

struct RowLayout {
  unsigned rowLength;
  const RowField* fields;
  std::size_t count;
};

// TOP_SINGLE: TYPE, SUBTYPE, SERIALNR (2-byte), PROC_ID, USERNAME(12),
// COMMAND(20), CPU_UTIL, CPU_TIME(8), RES_SIZE, PRIORITY, PRIV_PAGES.
extern const RowLayout kTopSingleLayout;
// CPU_ALL: TYPE, SUBTYPE, SERIALNR (2-byte), then ten 4-byte integers.
extern const RowLayout kCpuAllLayout;

// The field of `layout` called `name` (exact), or null.
const RowField* FindField(const RowLayout& layout, std::string_view name);

// Writes a 4-byte or 2-byte integer (by the field's kind) at the field's
// offset of `row`; the value is cut to the field's size.
void PutInteger(unsigned char* row, const RowField& field, std::int64_t value);
// Writes a character field: cut, or blank-padded to its length.
void PutText(unsigned char* row, const RowField& field, std::string_view text);

// Rows in one contiguous vector of rowLength-byte rows.
struct Rows {
  unsigned rowLength = 0;
  std::vector<unsigned char> bytes;
  std::size_t Count() const { return rowLength == 0 ? 0 : bytes.size() / rowLength; }
};

// Tells the operating system that a table buffer of `size` bytes at `data`
// is about to be filled at once: on Linux its whole 2 MB blocks may take
// transparent huge pages, so a fill of millions of rows costs dozens of page
// faults instead of one per 4 KB. A hint only; the contents are unchanged.
void AdviseLargeTable(void* data, std::size_t size);

// Parses CSV bytes (RFC 4180 quoting, LF or CR LF) into rows of `layout`,
// appended to `rows`. The header names the columns (any letter case, any
// order, unknown ones ignored). On a fault returns false with *errorLine set
// to the physical line (from 1, header included) where the faulty record
// starts; the rows appended so far are then removed again.
bool ParseCsvRows(std::string_view bytes, const RowLayout& layout, Rows* rows,
                  std::size_t* errorLine);

// Columns of a CSV file taken as text rather than converted into their row
// field (which then stays 0 or blank): the SDK's test double gives such
// fields another type. `names` are field names of the layout; per row that
// ParseCsvRows delivers, `cells` gets the texts in the order of `names`
// (empty for a column the file lacks) and `lines` the physical line where
// its record starts.
struct CsvTextColumns {
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> cells;
  std::vector<std::size_t> lines;
};

// ParseCsvRows with the columns of `text` taken as text; on a fault the
// cells appended so far are removed again too.
bool ParseCsvRows(std::string_view bytes, const RowLayout& layout, Rows* rows,
                  std::size_t* errorLine, CsvTextColumns* text);

// Appends `count` synthetic TOP_SINGLE rows to `rows`. Row i (from 1):
//   USERNAME   "SAPADM" when i % 4 == 0, else "ROOT", "DAEMON", "ORACLE"
//              for i % 4 == 1, 2, 3
//   COMMAND    "dw.sap" when i % 3 == 0, else "bash" (i % 3 == 1) or
//              "java" (i % 3 == 2)
//   CPU_UTIL   i % 100            CPU_TIME  i % 1000, right-aligned in 8
//   RES_SIZE   1000 + i % 500     PRIV_PAGES 100 + i % 200
//   PROC_ID    i                  PRIORITY 20, TYPE 1, SUBTYPE 0,
//   SERIALNR   i % 10000
void AppendSyntheticTopRows(std::uint64_t count, Rows* rows);

// Appends `count` synthetic CPU_ALL rows. Row i (from 1): TYPE 1, SUBTYPE 0,
// SERIALNR i % 10000, NBR_CPU 4, LOAD1_AVG i % 400, LOAD5_AVG i % 300,
// LOAD15_AVG i % 200, INT_SEC 1000 + i % 100, SYSC_SEC 5000 + i % 100,
// CS_SEC 2000 + i % 100, USR_TOTAL i % 60, SYS_TOTAL i % 20,
// IDLE_TOTAL 100 - USR_TOTAL - SYS_TOTAL.
void AppendSyntheticCpuRows(std::uint64_t count, Rows* rows);

// A figure for a 4-byte field of a live row: a negative one counts 0, one
// larger than the field holds is cut to its maximum.
std::int64_t Clamp32(long long value);

// One process of this host as its live TOP_SINGLE row shows it.
struct LiveProcess {
  std::int64_t pid = 0;
  std::string user;
  std::string command;
  long long utilHundredths = 0;  // hundredths of a percent of one processor
  unsigned long long cpuSeconds = 0;
  long long workingSetKb = 0;
  long priority = 0;
  long long privateKb = 0;
};

// Appends `process` as one TOP_SINGLE row (CPU_TIME right-aligned in 8,
// at most 99999999 seconds).
void AppendLiveProcessRow(const LiveProcess& process, Rows* rows);

// Appends one TOP_SINGLE row per process of this host. Samples processor
// use over a short window (about 100 ms). False with *error when the
// process list cannot be read.
bool AppendLiveTopRows(Rows* rows, std::string* error);

// Appends one CPU_ALL row for this host: processor count, load averages
// (times 100) and the share of user, system and idle time in percent over a
// short window. False with *error when the figures cannot be read.
bool AppendLiveCpuRow(Rows* rows, std::string* error);

}  // namespace rfcsim

#endif  // RFCSIM_ROWS_H_
