#include "collect/readings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// The opt-in channels follow the five: Processes without a unit, Response
// Time in milliseconds; the message text does not change.
TEST(MakeProcessReadings, AddsTheOptInChannelsAfterTheFive) {
  ProcessTotals totals;
  totals.matchedRows = 12;
  struct Case {
    ExtraChannels extras;
    std::vector<std::string> names;
  } cases[] = {
      {{}, {}},
      {{true, false, 250}, {"Processes"}},
      {{false, true, 250}, {"Response Time"}},
      {{true, true, 250}, {"Processes", "Response Time"}},
  };
  const std::string message = MakeProcessReadings(totals, ProcessFilter{}, "PRD").message;
  for (const Case& c : cases) {
    ProcessReadings readings = MakeProcessReadings(totals, ProcessFilter{}, "PRD", c.extras);
    EXPECT_EQ(readings.message, message);
    ASSERT_EQ(readings.channels.size(), 5 + c.names.size());
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      const Channel& channel = readings.channels[5 + i];
      if (c.names[i] == "Processes") {
        ExpectChannel(channel, "Processes", "12", "");
        EXPECT_EQ(channel.reading, Reading::kProcesses);
        EXPECT_EQ(channel.amount, 12u);
      } else {
        ExpectChannel(channel, "Response Time", "250", "TimeResponse");
        EXPECT_EQ(channel.reading, Reading::kResponseTime);
      }
    }
  }
  // Every channel knows its reading, so thresholds find it.
  ProcessReadings all = MakeProcessReadings(totals, ProcessFilter{}, "PRD", {true, true, 1});
  for (std::size_t i = 0; i < all.channels.size(); ++i) {
    EXPECT_EQ(all.channels[i].reading, static_cast<Reading>(i)) << all.channels[i].name;
  }
}

TEST(ExtraChannelsOf, EXTRAOrAThresholdSwitchesAChannelOn) {
  struct Case {
    const char* parameters;
    bool processes;
    bool responseTime;
  } cases[] = {
      {"", false, false},
      {"EXTRA=PROCS", true, false},
      {"EXTRA=RTIME", false, true},
      {"CRIT.PROCS=1:", true, false},
      {"WARN.RTIME=500 WARN.CPU=5", false, true},
      {"EXTRA=FOO", false, false},
  };
  for (const Case& c : cases) {
    ExtraChannels extras = ExtraChannelsOf(ParseParameters(c.parameters), 77);
    EXPECT_EQ(extras.processes, c.processes) << c.parameters;
    EXPECT_EQ(extras.responseTime, c.responseTime) << c.parameters;
    EXPECT_EQ(extras.responseMillis, 77u);
  }
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
      {"SID-Usage", "42"},    {"CPU-Usage", "123"},
      {"cpu-usage", nullptr},                          // the item is compared with its letter case
      {"Nothing", nullptr},   {"Processes", nullptr},  // only when asked for
  };
  for (const Case& c : cases) {
    std::optional<Channel> channel = ItemChannel(readings, c.item, "PRD sapprd");
    ASSERT_EQ(channel.has_value(), c.value != nullptr) << c.item;
    if (channel) ExpectChannel(*channel, "PRD sapprd", c.value, "PerCent");
  }
  // An opt-in channel as the item keeps its reading under the label.
  ProcessReadings extra = MakeProcessReadings(totals, ProcessFilter{}, "PRD", {false, true, 31});
  std::optional<Channel> response = ItemChannel(extra, "Response Time", "QAS");
  ASSERT_TRUE(response.has_value());
  ExpectChannel(*response, "QAS", "31", "TimeResponse");
  EXPECT_EQ(response->reading, Reading::kResponseTime);
  EXPECT_EQ(response->amount, 31u);
}

TEST(FilterLabel, IsTheFilterAsTheMessageShowsIt) {
  struct Case {
    const char* user;
    const char* process;
    const char* label;
  } cases[] = {
      {"", "", ""}, {"SAPADM", "", "SAPADM"}, {"", "DW*", "DW*"}, {"SAPADM", "DW*", "SAPADM/DW*"}};
  for (const Case& c : cases) {
    ProcessFilter filter;
    filter.userFilter = c.user;
    filter.processFilter = c.process;
    EXPECT_EQ(FilterLabel(filter), c.label);
  }
}

}  // namespace
}  // namespace qm
