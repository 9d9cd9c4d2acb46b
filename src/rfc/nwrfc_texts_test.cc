// Texts between the program's Latin-1 and the SDK's UTF-16.
#include "rfc/nwrfc_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

TEST(NwRfcText, Latin1AndUtf16BothWays) {
  struct {
    std::u16string wide;
    std::string narrow;
  } cases[] = {
      {u"MONITOR", "MONITOR"},
      {u"M\u00fcller \u00ff", "M\xfcller \xff"},  // Latin-1 survives both ways
      {u"\u20ac5", "?5"},                         // beyond Latin-1
      {u"a\U0001F600b", "a?b"},                   // a surrogate pair is one character
      {std::u16string(u"x\0y", 3), std::string("x\0y", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf16ToLatin1(c.wide), c.narrow);
    if (c.narrow.find('?') == std::string::npos) {
      EXPECT_EQ(Latin1ToUtf16(c.narrow), c.wide);
    }
  }
  // A lone surrogate is a character of its own.
  EXPECT_EQ(Utf16ToLatin1(std::u16string(1, char16_t(0xD800)) + u"a"), "?a");
}

}  // namespace
}  // namespace qm
