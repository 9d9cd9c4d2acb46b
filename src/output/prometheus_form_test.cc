#include "output/prometheus_form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exposition_parser.h"

namespace qm {
namespace {

Channel ChannelOf(Reading reading, std::uint64_t amount) {
  return Channel{"", std::to_string(amount), "", reading, amount};
}

const std::vector<Channel> kSeven = {
    ChannelOf(Reading::kCpuUsage, 24),       ChannelOf(Reading::kSidUsage, 22),
    ChannelOf(Reading::kCpuTime, 1301202),   ChannelOf(Reading::kWorkingSet, 1950),
    ChannelOf(Reading::kPrivatePages, 956),  ChannelOf(Reading::kProcesses, 10),
    ChannelOf(Reading::kResponseTime, 1234),
};

std::string Family(const std::string& metric, const std::string& help) {
  return "# HELP " + metric + " " + help + "\n# TYPE " + metric + " gauge\n";
}

const std::string kUpFamily = Family(
    "quillmark_up", "1 when the system was measured, 0 when it failed (error: the failure).");
const std::string kRunFamily = Family("quillmark_run_seconds", "Duration of the sensor run.");

TEST(RenderPrometheusDocument, OneFamilyPerChannelThenUpAndRunSeconds) {
  std::string labels = PrometheusLabels("PRD", "SAPADM/DW*", nullptr);
  std::vector<Channel> two = {kSeven[0], kSeven[6]};
  EXPECT_EQ(RenderPrometheusDocument(labels, two, 5007),
            Family("quillmark_cpu_usage_percent",
                   "Processor share of the matching processes, percent of one processor, "
                   "summed.") +
                "quillmark_cpu_usage_percent{dest=\"PRD\",filter=\"SAPADM/DW*\"} 24\n" +
                Family("quillmark_response_time_seconds",
                       "Time from the start of the RFC open to the end of the last remote call.") +
                "quillmark_response_time_seconds{dest=\"PRD\",filter=\"SAPADM/DW*\"} 1.234\n" +
                kUpFamily + "quillmark_up{dest=\"PRD\",filter=\"SAPADM/DW*\",error=\"\"} 1\n" +
                kRunFamily + "quillmark_run_seconds 5.007\n");

  // Every reading's metric, each a gauge with a help text; a collector
  // accepts the document.
  test::Exposition parsed = test::ParseExposition(RenderPrometheusDocument(labels, kSeven, 12));
  ASSERT_TRUE(parsed.ok) << parsed.error;
  const char* metrics[] = {"quillmark_cpu_usage_percent",
                           "quillmark_sid_usage_percent",
                           "quillmark_cpu_time_seconds",
                           "quillmark_working_set_megabytes",
                           "quillmark_private_pages_megabytes",
                           "quillmark_processes",
                           "quillmark_response_time_seconds",
                           "quillmark_up",
                           "quillmark_run_seconds"};
  const double values[] = {24, 22, 1301202, 1950, 956, 10, 1.234, 1, 0.012};
  ASSERT_EQ(parsed.samples.size(), 9u);
  for (std::size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(parsed.samples[i].name, metrics[i]);
    EXPECT_DOUBLE_EQ(parsed.samples[i].value, values[i]) << metrics[i];
    EXPECT_EQ(parsed.types[metrics[i]], "gauge");
    EXPECT_FALSE(parsed.helps[metrics[i]].empty()) << metrics[i];
  }
  EXPECT_EQ(parsed.samples[0].labels.at("filter"), "SAPADM/DW*");
}

TEST(RenderPrometheusFailure, UpZeroWithTheErrorAndTheRunSeconds) {
  EXPECT_EQ(RenderPrometheusFailure("1011", 3), kUpFamily + "quillmark_up{error=\"1011\"} 0\n" +
                                                    kRunFamily + "quillmark_run_seconds 0.003\n");
  EXPECT_TRUE(test::ParseExposition(RenderPrometheusFailure(kRfcErrorCode, 0)).ok);
}

TEST(PrometheusErrorCode, IsTheFailuresNumber) {
  struct Case {
    const char* message;
    const char* code;
  } cases[] = {
      {"Error 1001: Parameter for Profile-Name is missing !", "1001"},
      {"Error 10x1: ProFile SAP Beaconry.Gbl is missing...", "10x1"},
      {"Error 1014: RFC-Failure raised ! - collector not active", "1014"},
      {"Sorry, invalid Path-Usage...", "path"},
  };
  for (const Case& c : cases) EXPECT_EQ(PrometheusErrorCode(c.message), c.code) << c.message;
}

// Label values come from profiles and listings: escaped, one line, UTF-8.
TEST(PrometheusLabels, EscapesAndEncodesValues) {
  std::string item = "a\"b\\c\nd\re\xFC";
  std::string labels = PrometheusLabels("P\xE4", "M\xC3\xBCLLER", &item);
  EXPECT_EQ(labels,
            "dest=\"P\xC3\xA4\",filter=\"M\xC3\xBCLLER\",item=\"a\\\"b\\\\c\\nd?e\xC3\xBC\"");
  test::Exposition parsed =
      test::ParseExposition(PrometheusSample(labels, kSeven[0]) + "\n");  // one sample, no family
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.samples[0].labels.at("item"), "a\"b\\c\nd?e\xC3\xBC");
}

TEST(RenderPrometheusGlobal, TheItemFamilyThenEverySystemsUpSample) {
  const std::string prdItem = "PRD.P00", devItem = "DEV.P00";
  std::string prd = PrometheusLabels("PRD", "", &prdItem);
  std::string dev = PrometheusLabels("DEV", "", &devItem);
  std::string text =
      RenderPrometheusGlobal(Reading::kProcesses, PrometheusSample(prd, kSeven[5]),
                             PrometheusUpSample(prd, "") + PrometheusUpSample(dev, "1012"), 250);
  EXPECT_EQ(text, Family("quillmark_processes", "Number of matching processes.") +
                      "quillmark_processes{dest=\"PRD\",filter=\"\",item=\"PRD.P00\"} 10\n" +
                      kUpFamily +
                      "quillmark_up{dest=\"PRD\",filter=\"\",item=\"PRD.P00\",error=\"\"} 1\n"
                      "quillmark_up{dest=\"DEV\",filter=\"\",item=\"DEV.P00\",error=\"1012\"} 0\n" +
                      kRunFamily + "quillmark_run_seconds 0.250\n");
  EXPECT_TRUE(test::ParseExposition(text).ok);
  // No item sample (the item names no channel, or every system failed): no
  // item family.
  EXPECT_EQ(RenderPrometheusGlobal(Reading::kCpuUsage, "", "", 0),
            kUpFamily + kRunFamily + "quillmark_run_seconds 0.000\n");
}

// The parser the tests rely on refuses what a collector refuses.
TEST(ExpositionParser, RefusesMalformedDocuments) {
  const char* bad[] = {
      "m 1",                                    // no line feed at the end
      "1m 1\n",                                 // a name starting with a digit
      "m{a=\"x} 1\n",                           // a value not closed
      "m{a=\"\\t\"} 1\n",                       // an escape the format lacks
      "m{a=\"1\",a=\"2\"} 1\n",                 // a label twice
      "m{__a=\"1\"} 1\n",                       // a reserved label name
      "m 1\nm 2\n",                             // a series twice
      "m 1\nn 1\nm{a=\"b\"} 1\n",               // a family in two groups
      "m 1\n# TYPE m gauge\n",                  // TYPE after a sample
      "# TYPE m gauge\n# TYPE m gauge\nm 1\n",  // a second TYPE
      "# TYPE m gauges\nm 1\n",                 // an unknown type
      "m x\n",                                  // no number
      "m 0x10\n",                               // no hex
      "m{a=\"\xFF\"} 1\n",                      // no UTF-8
      "# HELP m a\\tb\nm 1\n",                  // an escape help texts lack
  };
  for (const char* text : bad) EXPECT_FALSE(test::ParseExposition(text).ok) << text;
  test::Exposition good = test::ParseExposition(
      "# a comment\n\n# HELP m h\\\\\n# TYPE m gauge\nm{a=\"1\",} 1.5e3 1700000000000\nm +Inf\n");
  EXPECT_TRUE(good.ok) << good.error;
  EXPECT_EQ(good.helps["m"], "h\\");
}

}  // namespace
}  // namespace qm
