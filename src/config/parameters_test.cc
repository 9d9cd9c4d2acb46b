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

// The range of a reading's warning (or critical) threshold as written, or
// "-" for none.
std::string RangeOf(const Parameters& p, Reading reading, bool critical) {
  const auto& ranges = critical ? p.thresholds.critical : p.thresholds.warning;
  const std::optional<Range>& range = ranges[static_cast<std::size_t>(reading)];
  return range ? range->text : "-";
}

TEST(ParseParameters, ReadsThresholdsAndTheOptInChannels) {
  struct Case {
    std::string raw;
    Reading reading;
    const char* warning;
    const char* critical;
    bool processes = false;
    bool responseTime = false;
  } cases[] = {
      {"", Reading::kCpuUsage, "-", "-"},
      // Each NAME in any letter case; the value up to a blank or comma.
      {"warn.cpu=10 CRIT.CPU=^10:20,USER=x", Reading::kCpuUsage, "10", "^10:20"},
      {"WARN.SID=~:5", Reading::kSidUsage, "~:5", "-"},
      {"CRIT.TIME=100:", Reading::kCpuTime, "-", "100:"},
      {"WARN.WSET=1:2 CRIT.WSET=3", Reading::kWorkingSet, "1:2", "3"},
      {"Crit.Priv=7", Reading::kPrivatePages, "-", "7"},
      // A threshold on an opt-in channel does not switch the channel on by
      // itself here (the readings do); CRIT.TIME= is not CRIT.RTIME=.
      {"CRIT.RTIME=500", Reading::kResponseTime, "-", "500"},
      {"CRIT.RTIME=500", Reading::kCpuTime, "-", "-"},
      {"WARN.PROCS=1: EXTRA=procs", Reading::kProcesses, "1:", "-", true},
      // The first occurrence counts; a later one is not read at all.
      {"WARN.CPU=5 WARN.CPU=x", Reading::kCpuUsage, "5", "-"},
      // EXTRA=: one or both names, any order and letter case.
      {"EXTRA=RTIME", Reading::kCpuUsage, "-", "-", false, true},
      {"extra=rtime:Procs", Reading::kCpuUsage, "-", "-", true, true},
      {"EXTRA=PROCS:RTIME,CH=7", Reading::kCpuUsage, "-", "-", true, true},
      // Not a keyword: no "=" right after the name.
      {"PROC=CRIT.EXE WARN.CPU =5", Reading::kCpuUsage, "-", "-"},
  };
  for (const Case& c : cases) {
    Parameters p = ParseParameters(c.raw);
    EXPECT_EQ(p.error, "") << c.raw;
    EXPECT_EQ(RangeOf(p, c.reading, false), c.warning) << c.raw;
    EXPECT_EQ(RangeOf(p, c.reading, true), c.critical) << c.raw;
    EXPECT_EQ(p.extraProcesses, c.processes) << c.raw;
    EXPECT_EQ(p.extraResponseTime, c.responseTime) << c.raw;
  }
  // The existing keywords still read their values beside the new ones.
  Parameters p = ParseParameters("EXTRA=PROCS:RTIME,CH=7 WARN.PROCS=3,USER=sapadm");
  EXPECT_EQ(p.selectedChannel, 7u);
  EXPECT_EQ(p.userFilter, "sapadm");
  EXPECT_EQ(p.processFilter, "");
}

TEST(ParseParameters, NamesTheLeftmostFaultyThresholdOrExtraAsWritten) {
  struct Case {
    const char* raw;
    const char* error;
  } cases[] = {
      {"warn.cpu=1x", "Error 1031: Invalid Threshold warn.cpu=1x found..."},
      {"WARN.CPU=", "Error 1031: Invalid Threshold WARN.CPU= found..."},
      {"USER=a,Crit.Time=20:10,x", "Error 1031: Invalid Threshold Crit.Time=20:10 found..."},
      {"WARN.CPU=@10:20", "Error 1031: Invalid Threshold WARN.CPU=@10:20 found..."},
      // A NAME none of the seven.
      {"WARN.MEM=10", "Error 1031: Invalid Threshold WARN.MEM=10 found..."},
      // The leftmost fault wins, whichever keyword it is.
      {"CRIT.CPU=x WARN.CPU=y", "Error 1031: Invalid Threshold CRIT.CPU=x found..."},
      {"WARN.CPU=y EXTRA=FOO", "Error 1031: Invalid Threshold WARN.CPU=y found..."},
      {"EXTRA=FOO WARN.CPU=y", "Error 1032: Invalid Extra-Channel EXTRA=FOO found..."},
      {"Extra=procs:", "Error 1032: Invalid Extra-Channel Extra=procs: found..."},
      {"EXTRA=", "Error 1032: Invalid Extra-Channel EXTRA= found..."},
      {"EXTRA=PROC", "Error 1032: Invalid Extra-Channel EXTRA=PROC found..."},
  };
  for (const Case& c : cases) {
    Parameters p = ParseParameters(c.raw);
    EXPECT_EQ(p.error, c.error) << c.raw;
    EXPECT_FALSE(p.extraProcesses || p.extraResponseTime) << c.raw;
  }
}

// A global file's sensor text reads colons as blanks, but thresholds and
// EXTRA= keep theirs.
TEST(ParseSensorParameters, KeepsColonsInRangesOnly) {
  Parameters p = ParseSensorParameters(
      "Item=Private:Pages USER=sap:adm WARN.CPU=10:20 CRIT.CPU=^~:5 EXTRA=PROCS:RTIME");
  EXPECT_EQ(p.rawText,
            "Item=Private Pages USER=sap adm WARN.CPU=10 20 CRIT.CPU=^~ 5 EXTRA=PROCS RTIME");
  EXPECT_EQ(p.userFilter, "sap");
  EXPECT_EQ(RangeOf(p, Reading::kCpuUsage, false), "10:20");
  EXPECT_EQ(RangeOf(p, Reading::kCpuUsage, true), "^~:5");
  EXPECT_TRUE(p.extraProcesses && p.extraResponseTime);
  EXPECT_EQ(ParseSensorParameters("WARN.SID=1:x").error,
            "Error 1031: Invalid Threshold WARN.SID=1:x found...");
}

}  // namespace
}  // namespace qm
