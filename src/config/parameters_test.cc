#include "config/parameters.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

TEST(ParseParameters, ReadsEveryKeywordByItsOwnRule) {
  const std::string longItem(100, 'x');
  struct Case {
    std::string raw;
    bool hasItem;
    std::string item;
    const char* user;
    const char* process;
    bool channelSelect;
    unsigned long channel;
    bool noHost;
    bool noSysnr;
  } cases[] = {
      {"", false, "", "", "", false, 0, false, false},
      // ITEM=: up to a blank or comma, letter case kept, colons as blanks,
      // at most 90 characters, found in any letter case.
      {"item=Private:Pages,USER=x", true, "Private Pages", "x", "", false, 0, false, false},
      {"ITEM=" + longItem + " rest", true, longItem.substr(0, 90), "", "", false, 0, false, false},
      {"ITEM=", true, "", "", "", false, 0, false, false},
      {"ITEM=a ITEM=b", true, "a", "", "", false, 0, false, false},
      // USER= and PROC=: the first occurrence; a plain substring search; a
      // value that begins with a blank or comma is none.
      {"user=SapAdm proc=dw*", false, "", "SapAdm", "dw*", false, 0, false, false},
      {"XUSER=abc", false, "", "abc", "", false, 0, false, false},
      {"USER= x,PROC=,", false, "", "", "", false, 0, false, false},
      {"USER=x,USER=y", false, "", "x", "", false, 0, false, false},
      // CH=: up to three characters, ending early at a comma, leading blanks
      // skipped, digits up to the first other character.
      {"CH=3", false, "", "", "", true, 3, false, false},
      {"ch=12,USER=X", false, "", "X", "", true, 12, false, false},
      {"CH=1234", false, "", "", "", true, 123, false, false},
      {"CH= 7", false, "", "", "", true, 7, false, false},
      {"CH=   7", false, "", "", "", true, 0, false, false},
      {"CH=x", false, "", "", "", true, 0, false, false},
      {"CH=", false, "", "", "", true, 0, false, false},
      {"CH=,5", false, "", "", "", true, 0, false, false},
      {"CH=4X", false, "", "", "", true, 4, false, false},
      {"X CH=5 CH=6", false, "", "", "", true, 5, false, false},
      // ,HOST= and ,NO= carry no value; without the comma they are no keyword.
      {"x,host=,no=", false, "", "", "", false, 0, true, true},
      {"HOST=a NO=1", false, "", "", "", false, 0, false, false},
  };
  for (const Case& c : cases) {
    Parameters p = ParseParameters(c.raw);
    EXPECT_EQ(p.rawText, c.raw);
    EXPECT_EQ(p.hasItem, c.hasItem) << c.raw;
    EXPECT_EQ(p.item, c.item) << c.raw;
    EXPECT_EQ(p.userFilter, c.user) << c.raw;
    EXPECT_EQ(p.processFilter, c.process) << c.raw;
    EXPECT_EQ(p.channelSelect, c.channelSelect) << c.raw;
    EXPECT_EQ(p.selectedChannel, c.channel) << c.raw;
    EXPECT_EQ(p.noHost, c.noHost) << c.raw;
    EXPECT_EQ(p.noSysnr, c.noSysnr) << c.raw;
  }
}

TEST(ParseParameters, MarkersSensorWordAndTheUpperCasedCopy) {
  struct Case {
    const char* raw;
    bool showBanner;
    bool atMarker;
    const char* sensorWord;
  } cases[] = {
      {"", false, false, ""},
      {"#", true, false, "#"},
      {"x@y", true, true, "X@Y"},
      {"$ a", true, false, "$"},
      {"prodCpu %", true, false, "PRODCPU"},
      {"prdcpu,USER=x y", false, false, "PRDCPU,USER=X"},
  };
  for (const Case& c : cases) {
    Parameters p = ParseParameters(c.raw);
    EXPECT_EQ(p.showBanner, c.showBanner) << c.raw;
    EXPECT_EQ(p.atMarker, c.atMarker) << c.raw;
    EXPECT_EQ(p.sensorWord, c.sensorWord) << c.raw;
  }
  // Only a to z are upper-cased; the copy keeps the layout byte for byte.
  EXPECT_EQ(ParseParameters("user=\xE4x-1").upperText, "USER=\xE4X-1");
}

}  // namespace
}  // namespace qm
