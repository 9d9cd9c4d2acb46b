#include "collect/aggregation.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "rfc/row_structures.h"
#include "test_rows.h"

namespace qm {
namespace {

using testing_rows::Bytes;
using testing_rows::MakeTopRow;
using testing_rows::TopRow;

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The filter of a parameter text as the run parses it.
ProcessFilter FilterOf(const std::string& raw) { return ProcessFilterOf(ParseParameters(raw)); }

TEST(ProcessFilterOf, TakesValuesUpToBlankOrComma) {
  struct Case {
    const char* raw;
    const char* user;
    const char* process;
    const char* filterText;
  } cases[] = {
      {"", "", "", ""},
      {"#", "", "", ""},
      {"user=sapadm", "SAPADM", "", "sapadm"},
      {"USER=sapadm,PROC=x", "SAPADM", "X", "x"},
      {"PROC=dw* USER=SapAdm", "SAPADM", "DW*", "dw*"},
      {"USER=a b", "A", "", "a"},
      {"XUSER=abc", "ABC", "", "abc"},  // a plain substring search
      {"USER=", "", "", ""},
      {"USER= x", "", "", ""},  // a value that begins with a blank is none
      {"USER=,PROC=dw", "", "DW", "dw"},
      {"USER=sapadm,PROC=", "SAPADM", "", "sapadm"},
      {"USER=sapadm,PROC= dw", "SAPADM", "", "sapadm"},
      {"USER=x,USER=y", "X", "", "x"},  // the first occurrence counts
  };
  for (const Case& c : cases) {
    ProcessFilter filter = FilterOf(c.raw);
    EXPECT_EQ(filter.userFilter, c.user) << c.raw;
    EXPECT_EQ(filter.processFilter, c.process) << c.raw;
    EXPECT_EQ(filter.filterText, c.filterText) << c.raw;
  }
}

TEST(RowMatchesFilter, AppliesEachValueToItsOwnField) {
  struct Case {
    const char* parameters;
    const char* user;
    const char* command;
    bool matches;
  } cases[] = {
      // no filter: every row, blank ones included
      {"", "sapadm", "dw.sapPRD", true},
      {"", "", "", true},
      // user, exact after upper-casing and trailing blanks removed
      {"USER=sapadm", "SAPADM", "x", true},
      {"USER=sapadm", "sapadm", "x", true},
      {"USER=sapadm", "SAPADMX", "x", false},
      {"USER=sapadm", "SAPAD", "x", false},
      {"USER=sapadm", " SAPADM", "x", false},
      // process, exact and with a final "*"
      {"PROC=dw", "u", "DW", true},
      {"PROC=dw", "u", "dw.sapPRD", false},
      {"PROC=dw*", "u", "dw.sapPRD", true},
      {"PROC=dw*", "u", "DW", true},
      {"PROC=dw*", "u", "D", false},  // the end of the text counts as a character
      {"PROC=dw*", "u", "xdw", false},
      {"PROC=d*w", "u", "dxw", false},  // only a final "*" is a wildcard
      {"PROC=d*w", "u", "D*W", true},
      {"PROC=*", "u", "anything", true},
      // blank rows match no value but a lone "*"
      {"USER=sapadm", "", "x", false},
      {"PROC=dw*", "u", "", false},
      {"PROC=*", "u", "", true},
      {"USER=*", "", "", true},
      // both: each field by its own value
      {"USER=sapadm,PROC=dw*", "sapadm", "dw.sapPRD", true},
      {"USER=sapadm,PROC=dw*", "sapadm", "sapstart", false},
      {"USER=sapadm,PROC=dw*", "prdadm", "dw.sapPRD", false},
      {"USER=sap*,PROC=dw", "sapadm", "dw", true},
      {"USER=sap*,PROC=dw", "sapadm", "dw.sap", false},
      {"USER=sapadm,PROC=*", "sapadm", "", true},
      {"USER=sapadm,PROC=*", "", "x", false},
      // texts that fill the whole field
      {"USER=abcdefghijkl", "abcdefghijkl", "x", true},
      {"PROC=abcdefghijklmnopqrst", "u", "abcdefghijklmnopqrst", true},
  };
  for (const Case& c : cases) {
    RowSelection selection = MakeRowSelection(FilterOf(c.parameters), "PRD");
    std::string row = MakeTopRow({c.user, c.command});
    EXPECT_EQ(RowMatchesFilter(Bytes(row), selection), c.matches)
        << c.parameters << " user [" << c.user << "] command [" << c.command << "]";
  }
}

TEST(RowMatchesFilter, TextsEndAtANulByte) {
  RowSelection selection = MakeRowSelection(FilterOf("USER=sap"), "PRD");
  std::string row = MakeTopRow({"sap", "x"});
  row[top_single::kUsername + 3] = '\0';  // "sap\0" followed by blanks
  EXPECT_TRUE(RowMatchesFilter(Bytes(row), selection));

  std::string hidden = MakeTopRow({"ab PRD", "x PRD"});
  hidden[top_single::kUsername + 2] = '\0';
  hidden[top_single::kCommand + 1] = '\0';
  EXPECT_FALSE(IsSystemRow(Bytes(hidden), "PRD"));
  hidden[top_single::kCommand + 1] = ' ';
  EXPECT_TRUE(IsSystemRow(Bytes(hidden), "PRD"));
}

TEST(IsSystemRow, FindsTheDestinationInUserOrCommandIgnoringCase) {
  struct Case {
    const char* destination;
    const char* user;
    const char* command;
    bool system;
  } cases[] = {
      {"PRD", "prdadm", "sapstart", true},
      {"PRD", "sapadm", "dw.sapPRD_DVEBMGS00", true},
      {"PRD", "sapadm", "sapstart", false},
      {"prd", "PRDADM", "x", true},
      {"Prd", "x", "dw.sapprd", true},
      {"PRD", "P", "RD", false},
      // the command's full 20 characters are searched, the 21st is cut off
      {"PRD", "x", "abcdefghijklmnopqPRD", true},
      {"PRD", "x", "abcdefghijklmnopqrsPRD", false},
      // a match never runs from the user name into the command
      {"PRD", "abcdefghijPR", "Dx", false},
      {"PRD", "abcdefghiPRD", "x", true},
  };
  for (const Case& c : cases) {
    std::string row = MakeTopRow({c.user, c.command});
    std::string upper = MakeRowSelection(ProcessFilter{}, c.destination).upperDestination;
    EXPECT_EQ(IsSystemRow(Bytes(row), upper), c.system)
        << c.destination << " " << c.user << " " << c.command;
  }
}

// The plain meaning of IsSystemRow: the field's text ends at its first NUL
// byte; the upper-cased text contains the destination.
bool ContainsPlainly(const std::string& row, std::size_t offset, std::size_t length,
                     const std::string& upperNeedle) {
  std::string text = row.substr(offset, length);
  text = Upper(text.substr(0, text.find('\0')));
  return text.find(upperNeedle) != std::string::npos;
}

// The plain meaning of a user or process value: the field's text, up to a
// NUL byte and without trailing blanks, equals the value or, for "value*",
// starts with it; letter case ignored; a blank text matches only "*".
bool MatchesPlainly(const std::string& row, std::size_t offset, std::size_t length,
                    const std::string& upperValue) {
  std::string text = row.substr(offset, length);
  text = Upper(text.substr(0, text.find('\0')));
  text.erase(text.find_last_not_of(' ') + 1);
  if (upperValue == "*") return true;
  if (text.empty()) return false;
  if (upperValue.back() == '*') {
    return text.compare(0, upperValue.size() - 1, upperValue, 0, upperValue.size() - 1) == 0 &&
           text.size() >= upperValue.size() - 1;
  }
  return text == upperValue;
}

// Rows of letters of both cases, blanks, NUL bytes and bytes above 127, with
// the searched texts planted at every place of the fields (across the
// eight-byte steps the search reads in, and up to the fields' ends): the
// row tests agree with their plain meaning on every row.
TEST(RowTests, AgreeWithThePlainMeaningOnGeneratedRows) {
  const std::string kAlphabet = std::string("pPrRdDsS *x\xE9\xF0", 14) + std::string(1, '\0');
  const std::string kNeedles[] = {"PRD", "P", "SAPADM", "DW", "\xE9PR", "ABCDEFGHIJKLMNOPQRST"};
  const std::string kValues[] = {"PRD", "PRD*", "P*", "SAPADM", "*", "**", "\xE9*", "DW.SAP"};
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t bound) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % bound;
  };
  int systemRows = 0, matchedRows = 0;
  for (int n = 0; n < 40000; ++n) {
    std::string row = MakeTopRow({"", ""});
    for (std::size_t k = 0; k < 32; ++k) {
      row[top_single::kUsername + k] = next(4) == 0 ? ' ' : kAlphabet[next(kAlphabet.size())];
    }
    const std::string& needle = kNeedles[next(std::size(kNeedles))];
    std::string planted = needle;
    for (char& c : planted) {
      if (next(2) == 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    std::size_t field = next(2) == 0 ? top_single::kUsername : top_single::kCommand;
    std::size_t length =
        field == top_single::kUsername ? top_single::kUsernameLength : top_single::kCommandLength;
    if (planted.size() <= length && next(3) != 0) {
      row.replace(field + next(static_cast<std::uint32_t>(length - planted.size() + 1)),
                  planted.size(), planted);
    }
    if (next(4) == 0) row[field + next(static_cast<std::uint32_t>(length))] = '\0';

    bool expected =
        ContainsPlainly(row, top_single::kUsername, top_single::kUsernameLength, needle) ||
        ContainsPlainly(row, top_single::kCommand, top_single::kCommandLength, needle);
    ASSERT_EQ(IsSystemRow(Bytes(row), needle), expected)
        << "needle [" << needle << "] user [" << row.substr(top_single::kUsername, 12)
        << "] command [" << row.substr(top_single::kCommand, 20) << "]";
    systemRows += expected;

    const std::string& value = kValues[next(std::size(kValues))];
    bool user = next(2) == 0;
    ProcessFilter filter;
    (user ? filter.userFilter : filter.processFilter) = value;
    RowSelection selection = MakeRowSelection(filter, "PRD");
    bool matches =
        user ? MatchesPlainly(row, top_single::kUsername, top_single::kUsernameLength, value)
             : MatchesPlainly(row, top_single::kCommand, top_single::kCommandLength, value);
    ASSERT_EQ(RowMatchesFilter(Bytes(row), selection), matches)
        << (user ? "USER=" : "PROC=") << value << " user [" << row.substr(top_single::kUsername, 12)
        << "] command [" << row.substr(top_single::kCommand, 20) << "]";
    matchedRows += matches;
  }
  // Both answers occur often, so the agreement says something.
  EXPECT_GT(systemRows, 10000);
  EXPECT_LT(systemRows, 30000);
  EXPECT_GT(matchedRows, 3000);
}

TEST(ReadCpuTime, ReadsLeadingDecimalDigits) {
  struct Case {
    const char* text;
    long long value;
  } cases[] = {
      {"   12345", 12345}, {"        ", 0},   {"12345678", 12345678}, {"  -00042", -42},
      {"  +7    ", 7},     {"\t 42x9  ", 42}, {"abc12   ", 0},        {"  - 5   ", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadCpuTime(c.text, 8), c.value) << "[" << c.text << "]";
  }
  EXPECT_EQ(ReadCpuTime("12345678", 3), 123);  // never beyond the given length
}

ProcessTotals Sum(const std::string& parameters, const std::string& destination,
                  const std::vector<TopRow>& rows) {
  RowSelection selection = MakeRowSelection(FilterOf(parameters), destination);
  ProcessTotals totals;
  for (const TopRow& r : rows) {
    std::string row = MakeTopRow(r);
    AddProcessRow(Bytes(row), selection, &totals);
  }
  return totals;
}

const std::vector<TopRow> kRows = {
    {"prdadm", "dw.sapPRD_DVEBMGS00", 1500, "    1000", 200000, 150000},
    {"sapadm", "sapstartsrv", 250, "      20", 30000, 20000},
    {"root", "prdcheck", 100, "     300", 4000, 3000},
    {"oracle", "ora_pmon", 40, "       4", 500, 100},
};

TEST(AddProcessRow, SumsMatchingRowsAndSystemRowsOnlyWithoutFilter) {
  ProcessTotals all = Sum("", "PRD", kRows);
  EXPECT_EQ(all.cpuUtilSum, 1890);
  EXPECT_EQ(all.cpuTimeSum, 1324);
  EXPECT_EQ(all.residentSizeSum, 234500);
  EXPECT_EQ(all.privatePagesSum, 173100);
  EXPECT_EQ(all.systemCpuUtilSum, 1600);  // prdadm and the command prdcheck
  EXPECT_EQ(all.matchedRows, 4);

  ProcessTotals sapadm = Sum("user=sapadm", "PRD", kRows);
  EXPECT_EQ(sapadm.cpuUtilSum, 250);
  EXPECT_EQ(sapadm.cpuTimeSum, 20);
  EXPECT_EQ(sapadm.residentSizeSum, 30000);
  EXPECT_EQ(sapadm.privatePagesSum, 20000);
  EXPECT_EQ(sapadm.systemCpuUtilSum, 0);
  EXPECT_EQ(sapadm.matchedRows, 1);

  ProcessTotals none = Sum("PROC=nothing", "PRD", kRows);
  EXPECT_EQ(none.cpuUtilSum + none.cpuTimeSum + none.residentSizeSum + none.privatePagesSum +
                none.systemCpuUtilSum,
            0);
  EXPECT_EQ(none.matchedRows, 0);
}

TEST(AddProcessRow, NegativeFiguresCountAsZero) {
  ProcessTotals totals =
      Sum("", "PRD", {{"prdadm", "x", -500, "   -1000", -7, -9}, {"u", "x", 10, "5", 20, 30}});
  EXPECT_EQ(totals.cpuUtilSum, 10);
  EXPECT_EQ(totals.cpuTimeSum, 5);
  EXPECT_EQ(totals.residentSizeSum, 20);
  EXPECT_EQ(totals.privatePagesSum, 30);
  EXPECT_EQ(totals.systemCpuUtilSum, 0);
  EXPECT_EQ(totals.matchedRows, 2);  // a row of negative figures is still a process
}

TEST(AddProcessRow, SumsGoBeyondThirtyTwoBits) {
  std::vector<TopRow> rows(3, TopRow{"prdadm", "x", INT_MAX, "99999999", INT_MAX, INT_MAX});
  ProcessTotals totals = Sum("", "PRD", rows);
  EXPECT_EQ(totals.cpuUtilSum, 3LL * INT_MAX);
  EXPECT_EQ(totals.systemCpuUtilSum, 3LL * INT_MAX);
  EXPECT_EQ(totals.cpuTimeSum, 299999997);
  EXPECT_EQ(totals.residentSizeSum, 3LL * INT_MAX);
  EXPECT_EQ(totals.privatePagesSum, 3LL * INT_MAX);
}

// Natural alignment of the described fields must give the offsets the
// aggregation reads and the row lengths the tables are created with.
template <std::size_t N>
std::vector<std::size_t> NaturalOffsets(const RfcTypeElement (&elements)[N], std::size_t* end) {
  std::vector<std::size_t> offsets;
  std::size_t at = 0;
  for (const RfcTypeElement& e : elements) {
    std::size_t align = e.type == kRfcTypeChar ? 1 : e.length;
    at = (at + align - 1) / align * align;
    offsets.push_back(at);
    EXPECT_EQ(e.decimals, 0u) << e.name;
    EXPECT_EQ(e.offset, 0u) << e.name;
    at += e.length;
  }
  *end = (at + 3) / 4 * 4;
  return offsets;
}

TEST(Structures, DescriptionsMatchTheRowLayouts) {
  std::size_t end = 0;
  using namespace top_single;
  EXPECT_EQ(NaturalOffsets(kTopSingleElements, &end),
            (std::vector<std::size_t>{kType, kSubtype, kSerialNr, kProcId, kUsername, kCommand,
                                      kCpuUtil, kCpuTime, kResSize, kPriority, kPrivPages}));
  EXPECT_EQ(end, kTopSingleRowLength);
  EXPECT_STREQ(kTopSingleElements[5].name, "COMMAND");
  EXPECT_EQ(kTopSingleElements[5].length, kCommandLength);
  EXPECT_STREQ(kTopSingleElements[7].name, "CPU_TIME");

  using namespace cpu_all;
  EXPECT_EQ(NaturalOffsets(kCpuAllElements, &end),
            (std::vector<std::size_t>{cpu_all::kType, cpu_all::kSubtype, cpu_all::kSerialNr,
                                      kNbrCpu, kLoad1Avg, kLoad5Avg, kLoad15Avg, kIntSec, kSyscSec,
                                      kCsSec, kUsrTotal, kSysTotal, kIdleTotal}));
  EXPECT_EQ(end, kCpuAllRowLength);
  EXPECT_STREQ(kCpuAllElements[12].name, "IDLE_TOTAL");
}

}  // namespace
}  // namespace qm
