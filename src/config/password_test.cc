#include "config/password.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace qm {
namespace {

// A value built by hand from the key table: header "5309" (check digit 5,
// offset 3, length 9) and the text "Se cret!9xK#q7 ~mZ.p".
constexpr char kKnownValue[] = "2834^%|};Gw!g!tRu4-~,lbi";
constexpr char kKnownText[] = "Se cret!9xK#q7 ~mZ.p";

// Builds a value from header characters and a 20-character text, so cases can
// set each part on its own. The text is shuffled into the body as 0, 19, 1,
// 18, ... and combined with the table; the header digits with entries 0..3.
std::string Scrambled(const std::string& header, const std::string& text) {
  const auto& key = PasswordKeyTable();
  unsigned offset = static_cast<unsigned>(header[1] - '0');
  std::string value(24, ' ');
  for (int i = 0; i < 4; ++i) value[i] = static_cast<char>(header[i] ^ key[i]);
  for (int i = 0; i < 10; ++i) {
    value[4 + i] = static_cast<char>(text[2 * i] ^ key[offset + i]);
    value[4 + 19 - i] = static_cast<char>(text[2 * i + 1] ^ key[offset + 19 - i]);
  }
  return value;
}

TEST(PasswordKeyTable, KeepsPrintableCharactersPrintable) {
  for (std::uint8_t k : PasswordKeyTable()) {
    ASSERT_GE(k, 0x01);
    ASSERT_LE(k, 0x0F);
    for (int c = 0x20; c <= 0x7E; ++c) {
      int s = c ^ k;
      EXPECT_TRUE(s >= 0x20 && s <= 0x7F) << c << " " << int(k);
    }
    for (char digit = '0'; digit <= '9'; ++digit) EXPECT_NE(digit ^ k, ' ');
  }
  EXPECT_EQ(Scrambled("5309", kKnownText), kKnownValue);
}

TEST(DescramblePassword, ResultsByForm) {
  std::string known = kKnownValue;
  std::string text = kKnownText;
  std::string withZeros = text;
  withZeros[2] = '\0';  // ' ' at body position 1
  withZeros[7] = '\0';  // '!' at body position 16
  std::string otherPunctuation = text;
  otherPunctuation[7] = '#';  // '!' -> '#': outside the alphabet
  std::string highByte = text;
  highByte[2] = static_cast<char>(0xFC);  // ' ' -> 0xFC: outside as well
  std::string otherLetter = text;
  otherLetter[0] = 'T';  // changes the sum by 1

  struct Case {
    const char* name;
    std::string value;
    DescrambleStatus status;
    std::string clear;
  } cases[] = {
      {"known value", known, DescrambleStatus::kClear, "Se cret!9"},
      {"23 characters", known.substr(0, 23), DescrambleStatus::kInvalid, ""},
      {"25 characters", known + "x", DescrambleStatus::kInvalid, ""},
      {"single character", "x", DescrambleStatus::kInvalid, ""},
      {"check digit not a digit", Scrambled("A309", text), DescrambleStatus::kInvalid, ""},
      {"offset not a digit", Scrambled("5:09", text), DescrambleStatus::kInvalid, ""},
      {"length tens not a digit", Scrambled("53/9", text), DescrambleStatus::kInvalid, ""},
      {"length units not a digit", Scrambled("530 ", text), DescrambleStatus::kInvalid, ""},
      {"check digit off", Scrambled("6309", text), DescrambleStatus::kWrong, ""},
      {"letter changed", Scrambled("5309", otherLetter), DescrambleStatus::kWrong, ""},
      {"length 00", Scrambled("5300", text), DescrambleStatus::kClear, ""},
      {"length 01", Scrambled("5301", text), DescrambleStatus::kClear, "S"},
      {"length 20", Scrambled("5320", text), DescrambleStatus::kClear, text},
      {"length 21", Scrambled("5321", text), DescrambleStatus::kClear, text},
      {"length 99", Scrambled("5399", text), DescrambleStatus::kClear, text},
      {"other offset", Scrambled("5909", text), DescrambleStatus::kClear, "Se cret!9"},
      {"punctuation not counted", Scrambled("5309", otherPunctuation), DescrambleStatus::kClear,
       "Se cret#9"},
      {"byte above 0x7F not counted", Scrambled("5309", highByte), DescrambleStatus::kClear,
       "Se\xFC"
       "cret!9"},
      // Zero bytes are left out, so the text is 18 characters long and the
      // clear password closes up over them.
      {"zero bytes left out", Scrambled("5399", withZeros), DescrambleStatus::kClear,
       "Secret9xK#q7 ~mZ.p"},
      {"zero bytes left out, length 7", Scrambled("5307", withZeros), DescrambleStatus::kClear,
       "Secret9"},
  };
  for (const Case& c : cases) {
    DescrambleResult result = DescramblePassword(c.value);
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_EQ(result.clear, c.clear) << c.name;
  }
}

// A random source that always gives the same end of its range, to drive the
// scrambler into its corner cases.
unsigned AlwaysFirst(unsigned) { return 0; }
unsigned AlwaysLast(unsigned n) { return n - 1; }

void ExpectWritableValueOf(const std::string& clear, const std::string& value) {
  ASSERT_EQ(value.size(), 24u) << clear;
  for (char c : value) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << clear;
  EXPECT_NE(value.back(), ' ') << clear;
  const auto& key = PasswordKeyTable();
  std::string lengthDigits = {static_cast<char>(value[2] ^ key[2]),
                              static_cast<char>(value[3] ^ key[3])};
  EXPECT_EQ(std::stoi(lengthDigits), static_cast<int>(clear.size())) << clear;
  DescrambleResult back = DescramblePassword(value);
  EXPECT_EQ(back.status, DescrambleStatus::kClear) << clear;
  EXPECT_EQ(back.clear, clear);
}

TEST(ScramblePassword, RoundTripsRandomPasswords) {
  std::mt19937 generator(20240611);
  auto random = [&generator](unsigned n) {
    return std::uniform_int_distribution<unsigned>(0, n - 1)(generator);
  };
  for (int round = 0; round < 3000; ++round) {
    std::size_t length = 2 + random(19);
    std::string clear;
    for (std::size_t i = 0; i < length; ++i) clear.push_back(static_cast<char>(0x20 + random(95)));
    std::string value;
    std::string error;
    ASSERT_TRUE(ScramblePassword(clear, random, &value, &error)) << error;
    ExpectWritableValueOf(clear, value);
  }
}

// The last value character comes from the second clear character, so for
// some offsets it would be a blank; the scrambler must avoid those offsets
// even when its random source keeps offering them.
TEST(ScramblePassword, NeverEndsInABlankWhateverTheRandomSource) {
  for (int second = 0x20; second <= 0x7E; ++second) {
    std::string clear = {'a', static_cast<char>(second), ' '};
    for (auto* random : {&AlwaysFirst, &AlwaysLast}) {
      std::string value;
      std::string error;
      ASSERT_TRUE(ScramblePassword(clear, random, &value, &error)) << error;
      ExpectWritableValueOf(clear, value);
    }
  }
}

TEST(ScramblePassword, RejectsPasswordsItCannotScramble) {
  for (std::string clear : {std::string(), std::string("a"), std::string(21, 'x'),
                            std::string("ab\x1F"), std::string("ab\x7F"), std::string("a\tb"),
                            std::string("ab\xE4"), std::string("a\0b", 3)}) {
    std::string value = "untouched";
    std::string error;
    EXPECT_FALSE(ScramblePassword(clear, &AlwaysFirst, &value, &error)) << clear;
    EXPECT_FALSE(error.empty()) << clear;
    EXPECT_EQ(value, "untouched");
  }
  for (std::string clear : {std::string("  "), std::string(20, '~'), std::string("!!")}) {
    std::string value;
    std::string error;
    ASSERT_TRUE(ScramblePassword(clear, &AlwaysLast, &value, &error)) << error;
    ExpectWritableValueOf(clear, value);
  }
}

}  // namespace
}  // namespace qm
