#include "run/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm {
namespace {

// The clock the banner reads, counting how often it was asked.
int clockReadings = 0;
std::string NineFortyOne() {
  ++clockReadings;
  return "09:41:07";
}

RunSettings ReadOk(const std::vector<std::string>& args,
                   OutputMode callerMode = OutputMode::kExeXml) {
  RunSettings run;
  std::string error;
  EXPECT_TRUE(ReadCommandLine(args, NineFortyOne, callerMode, &run, &error)) << error;
  return run;
}

TEST(ReadCommandLine, NoArgumentIsError1001) {
  RunSettings run;
  run.globalMode = true;  // left over: start-up resets everything
  std::string error;
  EXPECT_FALSE(ReadCommandLine({}, NineFortyOne, OutputMode::kQuenrik, &run, &error));
  EXPECT_EQ(error, "Error 1001: Parameter for Profile-Name is missing !");
  EXPECT_FALSE(run.globalMode);
}

// The banner is stamped with the start time only where it is shown; a run
// without it never reads the clock (the first reading loads the zone file).
TEST(ReadCommandLine, StampsTheShownBannerAndTakesTheCallerMode) {
  clockReadings = 0;
  RunSettings run = ReadOk({"PROD", "#"}, OutputMode::kZephanor);
  EXPECT_EQ(run.bannerLine, "* 09:41:07 SAP Quillmark Vers 4.3 / 29.08.22");
  EXPECT_EQ(run.startTime, "09:41:07");
  EXPECT_EQ(run.outputMode, OutputMode::kZephanor);
  EXPECT_EQ(clockReadings, 1);

  RunSettings plain = ReadOk({"PROD"});
  EXPECT_EQ(plain.outputMode, OutputMode::kExeXml);
  EXPECT_EQ(plain.bannerLine, "");
  EXPECT_EQ(clockReadings, 1);
}

// The plugin and Prometheus forms print their document and nothing else:
// a marker still means "@" for the file, but no banner.
TEST(ReadCommandLine, NoBannerInTheWholeDocumentForms) {
  for (OutputMode mode : {OutputMode::kPlugin, OutputMode::kPrometheus}) {
    RunSettings run = ReadOk({"PROD", "# @"}, mode);
    EXPECT_FALSE(run.showBanner) << OutputModeName(mode);
    EXPECT_TRUE(run.parameters.atMarker) << OutputModeName(mode);
  }
  EXPECT_TRUE(ReadOk({"PROD", "#"}, OutputMode::kHollent).showBanner);
}

TEST(ReadCommandLine, DerivesProfileAndParameters) {
  const std::string longItem(100, 'x');
  struct Case {
    std::vector<std::string> args;
    const char* profileName;
    const char* profileDirectory;
    const char* parameterText;
    const char* rawParameterText;
    const char* sensorName;
    bool globalMode;
    std::string globalItem;
    bool showBanner;
  } cases[] = {
      // Parameter text: join of arguments 2 and 3, later ones ignored.
      {{"PROD"}, "PROD.P00", "", "", "", "", false, "", false},
      {{"PROD", "user=sapsys", "Proc=disp+work", "ignored"},
       "PROD.P00",
       "",
       "USER=SAPSYS PROC=DISP+WORK",
       "user=sapsys Proc=disp+work",
       "user=sapsys",
       false,
       "",
       false},
      {{"PROD", "", "x"}, "PROD.P00", "", " X", " x", "", false, "", false},
      {{"PROD",
        "USER=\xE4"
        "bc"},
       "PROD.P00",
       "",
       "USER=\xE4"
       "BC",
       "USER=\xE4"
       "bc",
       "USER=\xE4"
       "bc",
       false,
       "",
       false},  // only a to z are upper-cased
      // ITEM=: value as typed, to blank or comma, at most 90, colons to blanks.
      {{"PROD", "item=cpu-usage"},
       "Beaconry.Prf",
       "",
       "ITEM=CPU-USAGE",
       "item=cpu-usage",
       "item=cpu-usage",
       true,
       "cpu-usage",
       false},
      {{"X:\\cfg\\PROD", "ITEM=CPU-Usage,USER=SAPSYS"},
       "Beaconry.Prf",
       "",
       "ITEM=CPU-USAGE,USER=SAPSYS",
       "ITEM=CPU-Usage,USER=SAPSYS",
       "ITEM=CPU-Usage,USER=SAPSYS",
       true,
       "CPU-Usage",
       false},
      {{"P", "ITEM=Private:Pages", "#"},
       "Beaconry.Prf",
       "",
       "ITEM=PRIVATE:PAGES #",
       "ITEM=Private:Pages #",
       "ITEM=Private:Pages",
       true,
       "Private Pages",
       true},
      {{"P", "ITEM=" + longItem},
       "Beaconry.Prf",
       "",
       nullptr,
       nullptr,
       nullptr,
       true,
       longItem.substr(0, 90),
       false},
      {{"P", "ITEM="}, "Beaconry.Prf", "", "ITEM=", "ITEM=", "ITEM=", true, "", false},
      {{"P", "ITEM=", "Cpu"},
       "Beaconry.Prf",
       "",
       "ITEM= CPU",
       "ITEM= Cpu",
       "ITEM=",
       true,
       "",
       false},
      // Default extension: fourth character from the end not ".".
      {{"PROD.P01"}, "PROD.P01", "", "", "", "", false, "", false},
      {{"PROD.txt"}, "PROD.txt", "", "", "", "", false, "", false},
      {{"abc"}, "abc.P00", "", "", "", "", false, "", false},
      {{".P0"}, ".P0.P00", "", "", "", "", false, "", false},
      {{"a.bc"}, "a.bc.P00", "", "", "", "", false, "", false},
      // Directory part: last backslash, unless it is the first character.
      {{"X:\\Sensors\\PROD"}, "PROD.P00", "X:\\Sensors\\", "", "", "", false, "", false},
      {{"\\PROD.P00"}, "\\PROD.P00", "", "", "", "", false, "", false},
      {{"\\\\srv\\s\\PROD"}, "PROD.P00", "\\\\srv\\s\\", "", "", "", false, "", false},
      {{"cfg/PROD"}, "cfg/PROD.P00", "", "", "", "", false, "", false},
      // The global file, in any letter case.
      {{"global"}, "SAP Beaconry.Gbl", "", "", "", "", true, "", false},
      {{"GLOBAL.P00"}, "SAP Beaconry.Gbl", "", "", "", "", true, "", false},
      {{"D:\\cfg\\global.p00", "@"},
       "SAP Beaconry.Gbl",
       "D:\\cfg\\",
       "@",
       "@",
       "@",
       true,
       "",
       true},
      {{"X:\\cfg\\Global"}, "SAP Beaconry.Gbl", "X:\\cfg\\", "", "", "", true, "", false},
      {{"global.P01"}, "global.P01", "", "", "", "", false, "", false},
      {{"XGLOBAL"}, "XGLOBAL.P00", "", "", "", "", false, "", false},
      // Banner markers anywhere.
      {{"PROD", "USER=AB#C"},
       "PROD.P00",
       "",
       "USER=AB#C",
       "USER=AB#C",
       "USER=AB#C",
       false,
       "",
       true},
      {{"PROD", "x", "$"}, "PROD.P00", "", "X $", "x $", "x", false, "", true},
      {{"PROD", "%"}, "PROD.P00", "", "%", "%", "%", false, "", true},
      {{"#PROD"}, "#PROD.P00", "", "", "", "", false, "", false},  // argument 1 has none
  };
  for (const Case& c : cases) {
    std::string label = c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
    RunSettings run = ReadOk(c.args);
    EXPECT_EQ(run.profileName, c.profileName) << label;
    EXPECT_EQ(run.profileDirectory, c.profileDirectory) << label;
    if (c.parameterText != nullptr) {
      EXPECT_EQ(run.parameters.upperText, c.parameterText) << label;
      EXPECT_EQ(run.parameters.rawText, c.rawParameterText) << label;
      EXPECT_EQ(run.sensorName, c.sensorName) << label;
    }
    EXPECT_EQ(run.globalMode, c.globalMode) << label;
    EXPECT_EQ(run.globalItem, c.globalItem) << label;
    EXPECT_EQ(run.showBanner, c.showBanner) << label;
  }
}

TEST(ReadCommandLine, KeepsLongTextsWhole) {
  std::string name = "X:\\" + std::string(200, 'n');
  std::string parameters(300, 'p');
  RunSettings run = ReadOk({name, parameters, parameters});
  EXPECT_EQ(run.profileName, std::string(200, 'n') + ".P00");
  EXPECT_EQ(run.parameters.rawText, parameters + " " + parameters);
  EXPECT_EQ(run.parameters.upperText.size(), 601u);
}

}  // namespace
}  // namespace qm
