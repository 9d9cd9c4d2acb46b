// SDK values into the classic layout: exact or refused, never a silent 0.
#include "rfc/nwrfc_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace qm {
namespace {

SdkValue Integer(std::int64_t n) { return SdkValue{SdkValue::kInteger, n, 0, {}}; }
SdkValue Decimal(std::string text) { return SdkValue{SdkValue::kDecimal, 0, 0, std::move(text)}; }
SdkValue Float(double d) { return SdkValue{SdkValue::kFloat, 0, d, {}}; }
SdkValue Text(std::string text) { return SdkValue{SdkValue::kText, 0, 0, std::move(text)}; }

TEST(NwRfcValues, DecimalIntegerPartCutsTowardZero) {
  struct {
    const char* text;
    bool ok;
    std::int64_t value;
    bool tooLarge;
  } cases[] = {
      {"987654", true, 987654, false},
      {"  -12.99 ", true, -12, false},
      {"-0.7", true, 0, false},
      {"+.5", true, 0, false},
      {"5.", true, 5, false},
      {"", true, 0, false},
      {"   ", true, 0, false},
      {"0001250.00", true, 1250, false},
      {"1.25E+3", true, 1250, false},
      {"12345e-2", true, 123, false},
      {"9.87654321E5", true, 987654, false},
      {"0E+999999999", true, 0, false},
      {"1E-999999999", true, 0, false},
      {"9223372036854775807", true, std::numeric_limits<std::int64_t>::max(), false},
      {"-9223372036854775808.9", true, std::numeric_limits<std::int64_t>::min(), false},
      {"9223372036854775808", false, 0, true},
      {"1E19", false, 0, true},
      {"1E999999999", false, 0, true},
      {"12a", false, 0, false},
      {"1 2", false, 0, false},
      {".", false, 0, false},
      {"-", false, 0, false},
      {"1E", false, 0, false},
      {"1.2.3", false, 0, false},
  };
  for (const auto& c : cases) {
    std::int64_t value = -1;
    bool tooLarge = false;
    EXPECT_EQ(DecimalIntegerPart(c.text, &value, &tooLarge), c.ok) << c.text;
    EXPECT_EQ(tooLarge, c.tooLarge) << c.text;
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(NwRfcValues, ClassicIntegersFitTheirWidth) {
  struct {
    SdkValue value;
    unsigned width;
    bool ok;
    std::int32_t result;
    std::string problem;
  } cases[] = {
      {Integer(4294967296), 4, false, 0, "value 4294967296 does not fit 4 bytes"},
      {Integer(2147483647), 4, true, 2147483647, ""},
      {Integer(-2147483648LL), 4, true, -2147483647 - 1, ""},
      {Integer(32768), 2, false, 0, "value 32768 does not fit 2 bytes"},
      {Integer(-32768), 2, true, -32768, ""},
      {Decimal("1250.75"), 4, true, 1250, ""},
      {Decimal("-3000000000.5"), 4, false, 0, "value -3000000000.5 does not fit 4 bytes"},
      {Decimal("00000042"), 4, true, 42, ""},
      {Float(1250.99), 4, true, 1250, ""},
      {Float(-0.5), 4, true, 0, ""},
      {Float(3e9), 4, false, 0, "value 3000000000 does not fit 4 bytes"},
      {Float(2147483648.1), 4, false, 0, "value 2147483648.1 does not fit 4 bytes"},
      {Float(-40000.25), 2, false, 0, "value -40000.25 does not fit 2 bytes"},
      {Float(1e20), 4, false, 0, "value 1e+20 does not fit 4 bytes"},
      {Float(1.2345678901234567e300), 4, false, 0,
       "value 1.2345678901234567e+300 does not fit 4 bytes"},
      {Float(std::nan("")), 4, false, 0, "value nan is not a number"},
      {Float(-INFINITY), 4, false, 0, "value -inf does not fit 4 bytes"},
      {Text("  812000  "), 4, true, 812000, ""},
      {Text("        "), 4, true, 0, ""},
      {Text("x7"), 4, false, 0, "value 'x7' is not a number"},
      {Text("abcdefghijklmnopqrstuvwxyz0123"), 4, false, 0,
       "value 'abcdefghijklmnopqrstuvwx...' is not a number"},
  };
  for (const auto& c : cases) {
    std::int32_t out = -1;
    std::string problem;
    EXPECT_EQ(ClassicInteger(c.value, c.width, &out, &problem), c.ok) << c.problem;
    EXPECT_EQ(problem, c.problem);
    if (c.ok) {
      EXPECT_EQ(out, c.result);
    }
  }
}

TEST(NwRfcValues, ClassicTextsRightAlignNumbers) {
  struct {
    SdkValue value;
    unsigned length;
    bool ok;
    std::string text;
    std::string problem;
  } cases[] = {
      {Decimal("987654"), 8, true, "  987654", ""},
      {Decimal("987654.9"), 8, true, "  987654", ""},
      {Integer(-7), 8, true, "      -7", ""},
      {Float(12.5), 8, true, "      12", ""},
      {Integer(123456789), 8, false, "", "value 123456789 does not fit 8 characters"},
      {Decimal("1E30"), 8, false, "", "value 1E30 does not fit 8 characters"},
      {Decimal("x"), 8, false, "", "value 'x' is not a number"},
      {Text("dw.sapPRD_DVEBMGS00_and_more"), 20, true, "dw.sapPRD_DVEBMGS00_", ""},
      {Text("prdadm"), 12, true, "prdadm      ", ""},
      {Text("  321"), 8, true, "  321   ", ""},
  };
  for (const auto& c : cases) {
    std::string out, problem;
    EXPECT_EQ(ClassicText(c.value, c.length, &out, &problem), c.ok) << c.problem;
    EXPECT_EQ(problem, c.problem);
    if (c.ok) {
      EXPECT_EQ(out, c.text);
    }
  }
}

TEST(NwRfcValues, TypeNames) {
  EXPECT_EQ(SdkTypeName(RFCTYPE_INT8), "INT8");
  EXPECT_EQ(SdkTypeName(RFCTYPE_BCD), "BCD");
  EXPECT_EQ(SdkTypeName(RFCTYPE_DECF34), "DECF34");
  EXPECT_EQ(SdkTypeName(static_cast<RFCTYPE>(99)), "type 99");
}

}  // namespace
}  // namespace qm
