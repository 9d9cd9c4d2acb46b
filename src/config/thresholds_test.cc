#include "config/thresholds.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace qm {
namespace {

TEST(ParseRange, ReadsEveryFormAndRefusesTheRest) {
  constexpr std::int64_t kNone = INT64_MIN;  // an infinite end
  struct Case {
    const char* text;
    bool valid;
    bool inside = false;
    std::int64_t low = 0;
    std::int64_t high = 0;
  } cases[] = {
      {"10", true, false, 0, 10},
      {"10:", true, false, 10, kNone},
      {"~:10", true, false, kNone, 10},
      {"10:20", true, false, 10, 20},
      {"^10:20", true, true, 10, 20},
      {"^10", true, true, 0, 10},
      {"~:", true, false, kNone, kNone},
      {"-5:-1", true, false, -5, -1},
      {"0", true, false, 0, 0},
      {"20:20", true, false, 20, 20},
      {"999999999999999999", true, false, 0, 999999999999999999},
      // Refused: empty parts, a start after the end, other characters.
      {"", false},
      {"^", false},
      {":10", false},
      {"~", false},
      {"10:5", false},
      {"-5", false},  // from 0 to -5
      {"1.5", false},
      {"+5", false},
      {"@10:20", false},
      {"10:20:30", false},
      {"1 0", false},
      {"^^10", false},
      {"~:~", false},
      {"1000000000000000000", false},  // 19 digits
      {"-", false},
  };
  for (const Case& c : cases) {
    std::optional<Range> range = ParseRange(c.text);
    ASSERT_EQ(range.has_value(), c.valid) << c.text;
    if (!range) continue;
    EXPECT_EQ(range->text, c.text);
    EXPECT_EQ(range->inside, c.inside) << c.text;
    EXPECT_EQ(range->low.value_or(kNone), c.low) << c.text;
    EXPECT_EQ(range->high.value_or(kNone), c.high) << c.text;
  }
}

TEST(RangeAlerts, OutsideAlertsBeyondTheEndsInsideWithinThem) {
  struct Case {
    const char* range;
    std::uint64_t value;
    bool alerts;
  } cases[] = {
      {"10", 0, false},
      {"10", 10, false},
      {"10", 11, true},
      {"10:", 9, true},
      {"10:", 10, false},
      {"10:", 1000000, false},
      {"~:10", 0, false},
      {"~:10", 11, true},
      {"10:20", 9, true},
      {"10:20", 15, false},
      {"10:20", 21, true},
      {"^10:20", 9, false},
      {"^10:20", 10, true},
      {"^10:20", 20, true},
      {"^10:20", 21, false},
      {"~:", 0, false},
      {"^~:", 0, true},
      {"-5:-1", 0, true},
      {"1:", UINT64_MAX, false},  // the largest value compares as the largest
      {"~:999999999999999999", UINT64_MAX, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RangeAlerts(*ParseRange(c.range), c.value), c.alerts) << c.range << " " << c.value;
  }
}

TEST(Thresholds, ViolationsPerReadingAndOverADocument) {
  Thresholds thresholds;
  thresholds.warning[static_cast<int>(Reading::kCpuUsage)] = ParseRange("50");
  thresholds.critical[static_cast<int>(Reading::kCpuUsage)] = ParseRange("90");
  thresholds.critical[static_cast<int>(Reading::kProcesses)] = ParseRange("1:");
  EXPECT_TRUE(thresholds.Any());
  EXPECT_TRUE(thresholds.AnyFor(Reading::kProcesses));
  EXPECT_FALSE(thresholds.AnyFor(Reading::kCpuTime));
  EXPECT_FALSE(Thresholds().Any());

  Violations v = CheckThresholds(thresholds, Reading::kCpuUsage, 60);
  EXPECT_TRUE(v.warning);
  EXPECT_FALSE(v.critical);
  v = CheckThresholds(thresholds, Reading::kCpuUsage, 95);
  EXPECT_TRUE(v.warning && v.critical);
  v = CheckThresholds(thresholds, Reading::kCpuTime, 1000000);
  EXPECT_FALSE(v.warning || v.critical);

  ViolatedThresholds violated;
  EXPECT_FALSE(violated.AnyWarning() || violated.AnyCritical());
  violated.Add(Reading::kCpuUsage, {true, false});
  violated.Add(Reading::kCpuUsage, {false, false});  // a later system keeps the mark
  EXPECT_TRUE(violated.AnyWarning());
  EXPECT_FALSE(violated.AnyCritical());
  violated.Add(Reading::kProcesses, CheckThresholds(thresholds, Reading::kProcesses, 0));
  EXPECT_TRUE(violated.AnyCritical());
}

TEST(ThresholdName, NamesEveryReadingAndBack) {
  const char* names[] = {"CPU", "SID", "TIME", "WSET", "PRIV", "PROCS", "RTIME"};
  for (std::size_t i = 0; i < kReadingCount; ++i) {
    EXPECT_STREQ(ThresholdName(static_cast<Reading>(i)), names[i]);
    EXPECT_EQ(ReadingOfThresholdName(names[i]), static_cast<Reading>(i));
  }
  EXPECT_FALSE(ReadingOfThresholdName("cpu"));  // names come upper-cased
  EXPECT_FALSE(ReadingOfThresholdName("MEM"));
}

}  // namespace
}  // namespace qm
