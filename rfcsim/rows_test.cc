#include "rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace rfcsim {
namespace {

std::int32_t Int4(const Rows& rows, std::size_t row, unsigned offset) {
  std::int32_t v;
  std::memcpy(&v, rows.bytes.data() + row * rows.rowLength + offset, 4);
  return v;
}

std::int16_t Int2(const Rows& rows, std::size_t row, unsigned offset) {
  std::int16_t v;
  std::memcpy(&v, rows.bytes.data() + row * rows.rowLength + offset, 2);
  return v;
}

std::string Chars(const Rows& rows, std::size_t row, unsigned offset, unsigned length) {
  return std::string(
      reinterpret_cast<const char*>(rows.bytes.data() + row * rows.rowLength + offset), length);
}

TEST(CsvRowsTest, TopSingleRowsLandAtTheirOffsets) {
  Rows rows;
  std::size_t line = 0;
  ASSERT_TRUE(ParseCsvRows(
      "priv_pages,Command,USERNAME,cpu_util,CPU_TIME,RES_SIZE,PROC_ID,Note,SERIALNR\r\n"
      "  -7 , dw.sapPRD_DVEBMGS00_and_more,prdadm,+1234,\"   12345\",2048,4711,x,-2\r\n"
      "\r\n"
      "0,\"say \"\"hi\"\", bye\",\"multi\nline\",,\"        \", 1 ,,,\n",
      kTopSingleLayout, &rows, &line));
  ASSERT_EQ(rows.rowLength, 68u);
  ASSERT_EQ(rows.Count(), 2u);
  EXPECT_EQ(Int2(rows, 0, 0), 0);   // TYPE absent
  EXPECT_EQ(Int2(rows, 0, 4), -2);  // SERIALNR
  EXPECT_EQ(Int4(rows, 0, 8), 4711);
  EXPECT_EQ(Chars(rows, 0, 12, 12), "prdadm      ");
  EXPECT_EQ(Chars(rows, 0, 24, 20), " dw.sapPRD_DVEBMGS00");  // as written, cut to 20
  EXPECT_EQ(Int4(rows, 0, 44), 1234);
  EXPECT_EQ(Chars(rows, 0, 48, 8), "   12345");
  EXPECT_EQ(Int4(rows, 0, 56), 2048);
  EXPECT_EQ(Int4(rows, 0, 60), 0);  // PRIORITY absent
  EXPECT_EQ(Int4(rows, 0, 64), -7);
  EXPECT_EQ(Chars(rows, 1, 12, 12), "multi\nline  ");
  EXPECT_EQ(Chars(rows, 1, 24, 20), "say \"hi\", bye       ");
  EXPECT_EQ(Int4(rows, 1, 44), 0);  // empty number
  EXPECT_EQ(Chars(rows, 1, 48, 8), "        ");
  EXPECT_EQ(Int4(rows, 1, 56), 1);
}

// Text columns keep their cells as written for the SDK's test double; the
// row field stays 0, and a later fault takes the cells back with the rows.
TEST(CsvRowsTest, TextColumnsKeepTheirCells) {
  Rows rows;
  std::size_t line = 0;
  CsvTextColumns text;
  text.names = {"RES_SIZE", "PRIORITY"};
  ASSERT_TRUE(
      ParseCsvRows("USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n"
                   "a,b,1,,4294967296,2\n"
                   "\n"
                   "c,d,3,, 12.5 ,4\n",
                   kTopSingleLayout, &rows, &line, &text));
  ASSERT_EQ(rows.Count(), 2u);
  EXPECT_EQ(Int4(rows, 0, 56), 0);
  EXPECT_EQ(Int4(rows, 1, 64), 4);
  EXPECT_EQ(text.cells,
            (std::vector<std::vector<std::string>>{{"4294967296", ""}, {" 12.5 ", ""}}));
  EXPECT_EQ(text.lines, (std::vector<std::size_t>{2, 4}));

  EXPECT_FALSE(ParseCsvRows(
      "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\na,b,1,,x,2\nc,d,y,,1,1\n",
      kTopSingleLayout, &rows, &line, &text));
  EXPECT_EQ(line, 3u);
  EXPECT_EQ(rows.Count(), 2u);
  EXPECT_EQ(text.cells.size(), 2u);
  EXPECT_EQ(text.lines.size(), 2u);
}

TEST(CsvRowsTest, CpuAllColumnsAreAllOptional) {
  Rows rows;
  std::size_t line = 0;
  ASSERT_TRUE(ParseCsvRows("NBR_CPU,IDLE_TOTAL,TYPE\n8,93,-32768\n", kCpuAllLayout, &rows, &line));
  ASSERT_EQ(rows.rowLength, 48u);
  ASSERT_EQ(rows.Count(), 1u);
  EXPECT_EQ(Int2(rows, 0, 0), -32768);
  EXPECT_EQ(Int4(rows, 0, 8), 8);
  EXPECT_EQ(Int4(rows, 0, 12), 0);
  EXPECT_EQ(Int4(rows, 0, 44), 93);
  Rows empty;
  EXPECT_TRUE(ParseCsvRows("", kCpuAllLayout, &empty, &line));
  EXPECT_EQ(empty.Count(), 0u);
}

TEST(CsvRowsTest, BadDataNamesThePhysicalLine) {
  const std::string header = "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n";
  struct Case {
    std::string bytes;
    std::size_t line;
  } cases[] = {
      {"", 1},                                                          // no header
      {"USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE\na,b,1,2,3\n", 1},  // PRIV_PAGES missing
      {"USERNAME,username,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n", 1},  // twice
      {header + "a,b,1,2,3\n", 2},                                               // too few fields
      {header + "a,b,1,2,3,4,5\n", 2},                                           // too many fields
      {header + "\na,b,1,2,3,4\n\na,b,1x,2,3,4\n", 5},                           // not a number
      {header + "a,b,- 1,2,3,4\n", 2},                      // sign apart from digits
      {header + "a,b,2147483648,2,3,4\n", 2},               // out of int4 range
      {header + "a,\"b\nc\",1,2,3,4\na,b,1,2,3,\"4\n", 4},  // unterminated quote
      {header + "a,\"b\"x,1,2,3,4\n", 2},                   // text after closing quote
      {"TYPE,USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n40000,a,b,1,2,3,4\n", 2},
  };
  for (const Case& c : cases) {
    Rows rows;
    std::size_t line = 0;
    EXPECT_FALSE(ParseCsvRows(c.bytes, kTopSingleLayout, &rows, &line)) << c.bytes;
    EXPECT_EQ(line, c.line) << c.bytes;
    EXPECT_EQ(rows.Count(), 0u) << c.bytes;  // nothing half-delivered
  }
}

TEST(CsvRowsTest, GarbageNeverCrashes) {
  for (unsigned seed = 0; seed < 200; ++seed) {
    std::string bytes = "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n";
    for (unsigned i = 0; i < 300; ++i) {
      static const char kAlphabet[] = "\",\n\r 0123-+x\t";
      bytes.push_back(kAlphabet[(i * 7919 + seed * 104729 + i * i) % (sizeof kAlphabet - 1)]);
    }
    Rows rows;
    std::size_t line = 0;
    if (ParseCsvRows(bytes, kTopSingleLayout, &rows, &line)) {
      EXPECT_EQ(rows.bytes.size() % 68, 0u);
    } else {
      EXPECT_GE(line, 1u);
    }
  }
}

TEST(SyntheticRowsTest, FollowTheDocumentedFormula) {
  Rows rows;
  AppendSyntheticTopRows(12, &rows);
  ASSERT_EQ(rows.Count(), 12u);
  long long sapadm = 0, dwsap = 0, util = 0;
  for (std::size_t r = 0; r < rows.Count(); ++r) {
    const long long i = static_cast<long long>(r) + 1;
    sapadm += Chars(rows, r, 12, 12) == "SAPADM      ";
    dwsap += Chars(rows, r, 24, 6) == "dw.sap";
    util += Int4(rows, r, 44);
    EXPECT_EQ(Int4(rows, r, 8), i);
    EXPECT_EQ(Int4(rows, r, 56), 1000 + i % 500);
    EXPECT_EQ(Int4(rows, r, 64), 100 + i % 200);
  }
  EXPECT_EQ(sapadm, 3);
  EXPECT_EQ(dwsap, 4);
  EXPECT_EQ(util, 78);  // 1 + 2 + ... + 12
  EXPECT_EQ(Chars(rows, 11, 12, 12), "SAPADM      ");
  EXPECT_EQ(Chars(rows, 11, 24, 20), "dw.sap              ");
  EXPECT_EQ(Chars(rows, 11, 48, 8), "      12");
  EXPECT_EQ(Chars(rows, 0, 24, 20), "bash                ");

  Rows many;
  AppendSyntheticTopRows(1000, &many);
  EXPECT_EQ(Chars(many, 998, 48, 8), "     999");
  EXPECT_EQ(Chars(many, 999, 48, 8), "       0");  // 1000 % 1000

  Rows cpu;
  AppendSyntheticCpuRows(3, &cpu);
  ASSERT_EQ(cpu.Count(), 3u);
  EXPECT_EQ(Int4(cpu, 2, 8), 4);
  EXPECT_EQ(Int4(cpu, 2, 36) + Int4(cpu, 2, 40) + Int4(cpu, 2, 44), 100);
}

// The documented formula, written field by field through PutInteger and
// PutText into zeroed rows: the reference for the fill's own row writer.
std::vector<unsigned char> ReferenceTopRows(std::uint64_t count) {
  static const char* const kUsers[] = {"SAPADM", "ROOT", "DAEMON", "ORACLE"};
  static const char* const kCommands[] = {"dw.sap", "bash", "java"};
  const RowLayout& layout = kTopSingleLayout;
  std::vector<unsigned char> bytes(count * layout.rowLength, 0);
  for (std::uint64_t i = 1; i <= count; ++i) {
    unsigned char* row = bytes.data() + (i - 1) * layout.rowLength;
    auto put = [&](const char* name, std::int64_t value) {
      PutInteger(row, *FindField(layout, name), value);
    };
    put("TYPE", 1);
    put("SUBTYPE", 0);
    put("SERIALNR", i % 10000);
    put("PROC_ID", i);
    PutText(row, *FindField(layout, "USERNAME"), kUsers[i % 4]);
    PutText(row, *FindField(layout, "COMMAND"), kCommands[i % 3]);
    put("CPU_UTIL", i % 100);
    std::string time = std::to_string(i % 1000);
    PutText(row, *FindField(layout, "CPU_TIME"), std::string(8 - time.size(), ' ') + time);
    put("RES_SIZE", 1000 + i % 500);
    put("PRIORITY", 20);
    put("PRIV_PAGES", 100 + i % 200);
  }
  return bytes;
}

// Every byte of every row, the alignment gaps included, over more than one
// whole cycle of the serial number and across the pieces the fill writes
// in; a second fill appends behind the first and numbers its rows afresh.
TEST(SyntheticRowsTest, EveryByteFollowsTheFormula) {
  Rows rows;
  AppendSyntheticTopRows(7, &rows);
  const std::uint64_t kCount = 20011;
  AppendSyntheticTopRows(kCount, &rows);
  ASSERT_EQ(rows.Count(), 7 + kCount);
  const std::vector<unsigned char> first = ReferenceTopRows(7);
  const std::vector<unsigned char> second = ReferenceTopRows(kCount);
  ASSERT_TRUE(std::equal(first.begin(), first.end(), rows.bytes.begin()));
  auto mismatch = std::mismatch(second.begin(), second.end(), rows.bytes.begin() + first.size());
  EXPECT_TRUE(mismatch.first == second.end())
      << "first difference in row " << (mismatch.first - second.begin()) / 68 << ", byte "
      << (mismatch.first - second.begin()) % 68;
}

// A fill above 8 MB is reserved and advised as a large table before it is
// written: rows already in the table survive the move, and every new row
// still follows the formula, also across the huge-page blocks.
TEST(SyntheticRowsTest, LargeFillKeepsEarlierRowsAndTheFormula) {
  Rows rows;
  AppendSyntheticTopRows(5, &rows);
  const std::uint64_t kLarge = 200000;  // 13.6 MB
  AppendSyntheticTopRows(kLarge, &rows);
  ASSERT_EQ(rows.Count(), 5 + kLarge);
  EXPECT_EQ(Int4(rows, 4, 8), 5);  // the earlier fill's last row
  for (std::size_t r : {std::size_t{5}, std::size_t{5 + 30840}, std::size_t{5 + 123456},
                        std::size_t{5 + kLarge - 1}}) {
    const long long i = static_cast<long long>(r - 5) + 1;  // numbered afresh
    EXPECT_EQ(Int4(rows, r, 8), i) << r;
    EXPECT_EQ(Int4(rows, r, 44), i % 100) << r;
    EXPECT_EQ(Int4(rows, r, 56), 1000 + i % 500) << r;
    EXPECT_EQ(Int4(rows, r, 64), 100 + i % 200) << r;
    EXPECT_EQ(Int2(rows, r, 4), i % 10000) << r;
  }
}

TEST(AdviseLargeTableTest, LeavesTheContentsAlone) {
  std::vector<unsigned char> bytes(std::size_t{6} << 20);
  for (std::size_t i = 0; i < bytes.size(); i += 4093) bytes[i] = static_cast<unsigned char>(i);
  AdviseLargeTable(bytes.data(), bytes.size());
  AdviseLargeTable(bytes.data() + 1, 100);  // smaller than one block: nothing
  for (std::size_t i = 0; i < bytes.size(); i += 4093) {
    ASSERT_EQ(bytes[i], static_cast<unsigned char>(i)) << i;
  }
}

#ifdef __linux__
TEST(LiveRowsTest, ListsThisProcess) {
  Rows rows;
  std::string error;
  ASSERT_TRUE(AppendLiveTopRows(&rows, &error)) << error;
  ASSERT_GT(rows.Count(), 0u);
  bool found = false;
  for (std::size_t r = 0; r < rows.Count(); ++r) {
    if (Chars(rows, r, 24, 13) == "rfcsim_tests ") {
      found = true;
      EXPECT_GT(Int4(rows, r, 56), 0);               // resident KB
      EXPECT_NE(Chars(rows, r, 48, 8).back(), ' ');  // right-aligned seconds
      EXPECT_GE(Int4(rows, r, 44), 0);
    }
  }
  EXPECT_TRUE(found);

  Rows cpu;
  ASSERT_TRUE(AppendLiveCpuRow(&cpu, &error)) << error;
  ASSERT_EQ(cpu.Count(), 1u);
  EXPECT_GE(Int4(cpu, 0, 8), 1);
}
#endif

}  // namespace
}  // namespace rfcsim
