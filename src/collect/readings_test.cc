#include "collect/readings.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

TEST(GroupThousands, PutsAtMostTwoSeparators) {
  struct Case {
    const char* digits;
    const char* grouped;
  } cases[] = {
      {"0", "0"},
      {"999", "999"},
      {"1000", "1.000"},
      {"123456", "123.456"},
      {"1234567", "1.234.567"},
      {"4294967295", "4294.967.295"},
      {"18446744073709551615", "18446744073709.551.615"},
  };
  for (const Case& c : cases) EXPECT_EQ(GroupThousands(c.digits), c.grouped) << c.digits;
}

void ExpectChannel(const Channel& channel, const char* name, const char* value, const char* unit) {
  EXPECT_EQ(channel.name, name);
  EXPECT_EQ(channel.value, value) << name;
  EXPECT_EQ(channel.unit, unit) << name;
}

TEST(MakeProcessReadings, TruncatesTheReadingsAndGroupsOnlyTheMessage) {
  ProcessTotals totals;
  totals.cpuUtilSum = 3799;           // 37 %
  totals.systemCpuUtilSum = 99;       // 0 %
  totals.cpuTimeSum = 1234567;        // seconds, grouped only in the text
  totals.residentSizeSum = 12345999;  // 12345 MB
  totals.privatePagesSum = 6789000;   // 6789 MB
  ProcessReadings readings = MakeProcessReadings(totals, ProcessFilter{}, "PRD");
  EXPECT_EQ(readings.message,
            "(PRD) System-Procs: CPU-Usage=37%, CPU-Time=1.234.567 Sec, "
            "Working-Set=12.345 MB, Prv-Pages=6.789 MB");
  ASSERT_EQ(readings.channels.size(), 5u);
  ExpectChannel(readings.channels[0], "CPU-Usage", "37", "PerCent");
  ExpectChannel(readings.channels[1], "SID-Usage", "0", "PerCent");
  ExpectChannel(readings.channels[2], "CPU-Time", "1234567", "CpuTime");
  ExpectChannel(readings.channels[3], "Working-Set", "12345", "MByte");
  ExpectChannel(readings.channels[4], "Private Pages", "6789", "MByte");
}

// The part of the message text in front of the readings, per filter; the
// text is not escaped here (the XML form escapes it when rendering).
TEST(MakeProcessReadings, NamesTheFilterInTheMessageText) {
  struct Case {
    const char* user;
    const char* process;
    const char* text;
  } cases[] = {
      {"", "",
       "(P<D) System-Procs: CPU-Usage=0%, CPU-Time=0 Sec, Working-Set=0 MB, "
       "Prv-Pages=0 MB"},
      {"SAPADM", "", "(P<D) Active Proc[SAPADM]: CPU-Usage="},
      {"", "DW*", "(P<D) Active Proc[DW*]: CPU-Usage="},
      {"SAPADM", "DW*", "(P<D) Active Proc[SAPADM/DW*]: CPU-Usage="},
  };
  for (const Case& c : cases) {
    ProcessFilter filter;
    filter.userFilter = c.user;
    filter.processFilter = c.process;
    std::string message = MakeProcessReadings(ProcessTotals{}, filter, "P<D").message;
    EXPECT_EQ(message.rfind(c.text, 0), 0u) << message;
  }
}

TEST(MakeProcessReadings, ReadingsBeyondThirtyTwoBitsAreShownWhole) {
  ProcessTotals totals;
  totals.cpuUtilSum = 3LL * 2147483647;  // 64424509 %
  totals.cpuTimeSum = 5000000000;
  totals.residentSizeSum = 10000000000000;  // 10^10 MB
  ProcessReadings readings = MakeProcessReadings(totals, ProcessFilter{}, "PRD");
  EXPECT_NE(readings.message.find("CPU-Usage=64424509%, CPU-Time=5000.000.000 Sec, "
                                  "Working-Set=10000.000.000 MB, Prv-Pages=0 MB"),
            std::string::npos);
  EXPECT_EQ(readings.channels[2].value, "5000000000");
  EXPECT_EQ(readings.channels[3].value, "10000000000");
}

TEST(ItemChannel, TakesTheChannelTheItemNamesUnderTheLabel) {
  ProcessTotals totals;
  totals.cpuUtilSum = 12345;
  totals.systemCpuUtilSum = 4299;
  ProcessReadings readings = MakeProcessReadings(totals, ProcessFilter{}, "PRD");
  struct Case {
    const char* item;
    const char* value;  // null: no channel
  } cases[] = {
      {"SID-Usage", "42"},
      {"CPU-Usage", "123"},
      {"cpu-usage", nullptr},  // the item is compared with its letter case
      {"Nothing", nullptr},
  };
  for (const Case& c : cases) {
    std::optional<Channel> channel = ItemChannel(readings, c.item, "PRD sapprd");
    ASSERT_EQ(channel.has_value(), c.value != nullptr) << c.item;
    if (channel) ExpectChannel(*channel, "PRD sapprd", c.value, "PerCent");
  }
}

}  // namespace
}  // namespace qm
