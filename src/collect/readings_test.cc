#include <gtest/gtest.h>

#include <string>

#include "collect/collect.h"

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

std::string XmlChannel(const std::string& name, const std::string& value, const std::string& unit) {
  return "\n<Result><Channel>" + name + "</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>" + unit +
         "</CustomUnit>\n<Value>" + value + "</Value></Result>\n";
}

ReadingTarget SingleTarget(const std::string& destination) {
  ReadingTarget target;
  target.destination = destination;
  return target;
}

TEST(WriteProcessReadings, WritesTheWholeDocumentWithTruncatedReadings) {
  ProcessTotals totals;
  totals.cpuUtilSum = 3799;           // 37 %
  totals.systemCpuUtilSum = 99;       // 0 %
  totals.cpuTimeSum = 1234567;        // seconds, grouped only in the text
  totals.residentSizeSum = 12345999;  // 12345 MB
  totals.privatePagesSum = 6789000;   // 6789 MB
  SensorOutput out;
  out.text = "dropped";
  ReadingTarget target = SingleTarget("PRD");
  StringConsole console;
  WriteProcessReadings(totals, ProcessFilter{}, target, out, console);
  EXPECT_EQ(out.text,
            "\n<Prtg>\n\n<Text>(PRD) System-Procs: CPU-Usage=37%, CPU-Time=1.234.567 Sec, "
            "Working-Set=12.345 MB, Prv-Pages=6.789 MB</Text>\n" +
                XmlChannel("CPU-Usage", "37", "PerCent") + XmlChannel("SID-Usage", "0", "PerCent") +
                XmlChannel("CPU-Time", "1234567", "CpuTime") +
                XmlChannel("Working-Set", "12345", "MByte") +
                XmlChannel("Private Pages", "6789", "MByte") + "\n</Prtg>\n");
  EXPECT_EQ(console.written, "");
  EXPECT_FALSE(target.itemFound);
}

// The part of the message text in front of the readings, per filter.
TEST(WriteProcessReadings, NamesTheFilterInTheMessageText) {
  struct Case {
    const char* user;
    const char* process;
    const char* text;
  } cases[] = {
      {"", "",
       "(PRD) System-Procs: CPU-Usage=0%, CPU-Time=0 Sec, Working-Set=0 MB, "
       "Prv-Pages=0 MB"},
      {"SAPADM", "", "(PRD) Active Proc[SAPADM]: CPU-Usage="},
      {"", "DW*", "(PRD) Active Proc[DW*]: CPU-Usage="},
      {"SAPADM", "DW*", "(PRD) Active Proc[SAPADM/DW*]: CPU-Usage="},
  };
  for (const Case& c : cases) {
    ProcessFilter filter;
    filter.userFilter = c.user;
    filter.processFilter = c.process;
    SensorOutput out;
    out.outputMode = OutputMode::kZephanor;  // the text form shows the message unescaped
    ReadingTarget target = SingleTarget("PRD");
    StringConsole console;
    WriteProcessReadings(ProcessTotals{}, filter, target, out, console);
    EXPECT_EQ(out.text.rfind(std::string("\n# ") + c.text, 0), 0u) << out.text;
  }
}

TEST(WriteProcessReadings, ReadingsBeyondThirtyTwoBitsAreShownWhole) {
  ProcessTotals totals;
  totals.cpuUtilSum = 3LL * 2147483647;  // 64424509 %
  totals.cpuTimeSum = 5000000000;
  totals.residentSizeSum = 10000000000000;  // 10^10 MB
  SensorOutput out;
  ReadingTarget target = SingleTarget("PRD");
  StringConsole console;
  WriteProcessReadings(totals, ProcessFilter{}, target, out, console);
  EXPECT_NE(out.text.find("CPU-Usage=64424509%, CPU-Time=5000.000.000 Sec, "
                          "Working-Set=10000.000.000 MB, Prv-Pages=0 MB"),
            std::string::npos);
  EXPECT_NE(out.text.find(XmlChannel("CPU-Time", "5000000000", "CpuTime")), std::string::npos);
  EXPECT_NE(out.text.find(XmlChannel("Working-Set", "10000000000", "MByte")), std::string::npos);
}

TEST(WriteProcessReadings, GlobalModePrintsOnlyTheItemChannel) {
  ProcessTotals totals;
  totals.cpuUtilSum = 12345;
  totals.systemCpuUtilSum = 4299;
  struct Case {
    const char* item;
    std::string printed;
  } cases[] = {
      {"SID-Usage", XmlChannel("PRD sapprd", "42", "PerCent")},
      {"CPU-Usage", XmlChannel("PRD sapprd", "123", "PerCent")},
      {"cpu-usage", ""},  // the item is compared with its letter case
      {"Nothing", ""},
  };
  for (const Case& c : cases) {
    SensorOutput out;
    out.text = "left over";
    ReadingTarget target = SingleTarget("PRD");
    target.globalMode = true;
    target.globalItem = c.item;
    target.itemLabel = "PRD sapprd";
    StringConsole console;
    WriteProcessReadings(totals, ProcessFilter{}, target, out, console);
    EXPECT_EQ(console.written, c.printed) << c.item;
    EXPECT_EQ(out.text, "") << c.item;
    EXPECT_TRUE(target.itemFound) << c.item;
  }
}

TEST(WriteProcessReadings, GlobalModeLabelsTheChannelInTheTextForm) {
  ProcessTotals totals;
  totals.residentSizeSum = 1999;
  SensorOutput out;
  out.outputMode = OutputMode::kZephanor;
  ReadingTarget target = SingleTarget("PRD");
  target.globalMode = true;
  target.globalItem = "Working-Set";
  target.itemLabel = "PRD.host";
  StringConsole console;
  WriteProcessReadings(totals, ProcessFilter{}, target, out, console);
  EXPECT_EQ(console.written, "\n\nMessage.PRD_host: PRD.host (MByte)\nStatistic.PRD_host: 1");
}

}  // namespace
}  // namespace qm
