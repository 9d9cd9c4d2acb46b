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

// The same by hand for the 44-character form: header "1933" (check digit 1,
// offset 9, length 33) and a 40-character text. With offset 9 the body keys
// run from entry 9 past entry 31 and wrap round to entries 0 to 16.
constexpr char kKnownLongValue[] = "620>Joo_wxyp\"2-lbi?e=$wzR1Z&`#cmgS2,c`b|e(lb";
constexpr char kKnownLongText[] = "Lange Passphrase, 40 Zeichen: ok?!#Qx7~Z";

// Builds a value from header characters and a text of 20 or 40 characters,
// so cases can set each part on its own. The text is shuffled into the body
// as 0, n-1, 1, n-2, ... and combined with the table from the offset on
// (wrapping after entry 31); the header digits with entries 0..3.
std::string Scrambled(const std::string& header, const std::string& text) {
  const auto& key = PasswordKeyTable();
  unsigned offset = static_cast<unsigned>(header[1] - '0');
  std::size_t n = text.size();
  std::string value(4 + n, ' ');
  for (int i = 0; i < 4; ++i) value[i] = static_cast<char>(header[i] ^ key[i]);
  for (std::size_t i = 0; i < n / 2; ++i) {
    value[4 + i] = static_cast<char>(text[2 * i] ^ key[(offset + i) % 32]);
    value[4 + n - 1 - i] = static_cast<char>(text[2 * i + 1] ^ key[(offset + n - 1 - i) % 32]);
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
  EXPECT_EQ(Scrambled("1933", kKnownLongText), kKnownLongValue);
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

// The 44-character form: the same header and rules over a 40-character body.
TEST(DescramblePassword, LongFormResults) {
  std::string known = kKnownLongValue;
  std::string text = kKnownLongText;
  std::string firstBodyChanged = known;
  firstBodyChanged[4] ^= 1;  // text 'L' -> 'M': the sum moves by 1
  std::string lastBodyChanged = known;
  lastBodyChanged[43] ^= 1;  // text 'a' -> '`': leaves the alphabet
  std::string withZeros = text;
  withZeros[16] = '\0';  // ',' at body position 8
  withZeros[33] = '\0';  // '!' at body position 23

  struct Case {
    const char* name;
    std::string value;
    DescrambleStatus status;
    std::string clear;
  } cases[] = {
      {"known value", known, DescrambleStatus::kClear, "Lange Passphrase, 40 Zeichen: ok?"},
      {"43 characters", known.substr(0, 43), DescrambleStatus::kInvalid, ""},
      {"45 characters", known + "x", DescrambleStatus::kInvalid, ""},
      {"between the forms", known.substr(0, 34), DescrambleStatus::kInvalid, ""},
      {"check digit not a digit", Scrambled("A933", text), DescrambleStatus::kInvalid, ""},
      {"offset not a digit", Scrambled("1:33", text), DescrambleStatus::kInvalid, ""},
      {"length tens not a digit", Scrambled("19/3", text), DescrambleStatus::kInvalid, ""},
      {"length units not a digit", Scrambled("193 ", text), DescrambleStatus::kInvalid, ""},
      {"check digit off", Scrambled("2933", text), DescrambleStatus::kWrong, ""},
      {"first body character changed", firstBodyChanged, DescrambleStatus::kWrong, ""},
      {"last body character changed", lastBodyChanged, DescrambleStatus::kWrong, ""},
      {"length 21", Scrambled("1921", text), DescrambleStatus::kClear, text.substr(0, 21)},
      {"length 40", Scrambled("1940", text), DescrambleStatus::kClear, text},
      {"length 41", Scrambled("1941", text), DescrambleStatus::kClear, text},
      {"length 99", Scrambled("1999", text), DescrambleStatus::kClear, text},
      {"length 05", Scrambled("1905", text), DescrambleStatus::kClear, "Lange"},
      {"length 00", Scrambled("1900", text), DescrambleStatus::kClear, ""},
      // Offset 0 reaches entry 31 and wraps only for the last eight body
      // characters; offset 9 wraps from body position 23 on.
      {"offset 0", Scrambled("1033", text), DescrambleStatus::kClear,
       "Lange Passphrase, 40 Zeichen: ok?"},
      {"zero bytes left out", Scrambled("1999", withZeros), DescrambleStatus::kClear,
       "Lange Passphrase 40 Zeichen: ok?#Qx7~Z"},
      {"zero bytes left out, length 33", Scrambled("1933", withZeros), DescrambleStatus::kClear,
       "Lange Passphrase 40 Zeichen: ok?#"},
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
  ASSERT_EQ(value.size(), clear.size() <= 20 ? 24u : 44u) << clear;
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
    std::size_t length = 2 + random(39);
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
// even when its random source keeps offering them, in both forms.
TEST(ScramblePassword, NeverEndsInABlankWhateverTheRandomSource) {
  for (int second = 0x20; second <= 0x7E; ++second) {
    std::string shortClear = {'a', static_cast<char>(second), ' '};
    std::string longClear = shortClear + std::string(30, ' ');
    for (const std::string& clear : {shortClear, longClear}) {
      for (auto* random : {&AlwaysFirst, &AlwaysLast}) {
        std::string value;
        std::string error;
        ASSERT_TRUE(ScramblePassword(clear, random, &value, &error)) << error;
        ExpectWritableValueOf(clear, value);
      }
    }
  }
}

TEST(ScramblePassword, RejectsPasswordsItCannotScramble) {
  for (std::string clear : {std::string(), std::string("a"), std::string(41, 'x'),
                            std::string("ab\x1F"), std::string("ab\x7F"), std::string("a\tb"),
                            std::string("ab\xE4"), std::string("a\0b", 3)}) {
    std::string value = "untouched";
    std::string error;
    EXPECT_FALSE(ScramblePassword(clear, &AlwaysFirst, &value, &error)) << clear;
    EXPECT_FALSE(error.empty()) << clear;
    EXPECT_EQ(value, "untouched");
  }
  for (std::string clear : {std::string("  "), std::string(20, '~'), std::string("!!"),
                            std::string(21, '~'), std::string(40, ' ')}) {
    std::string value;
    std::string error;
    ASSERT_TRUE(ScramblePassword(clear, &AlwaysLast, &value, &error)) << error;
    ExpectWritableValueOf(clear, value);
  }
}

}  // namespace
}  // namespace qm
