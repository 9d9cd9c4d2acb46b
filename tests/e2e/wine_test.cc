// Tests of the Wine runner's own pieces, and the cases of the build under
// test that show what only a real process list can: live rows with a
// working set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"
#include "wine_runner.h"

namespace qm::e2e {

namespace {

// ---------------------------------------------------------------------------
// The runner's own pieces.

TEST(WineRunner, MapsRootPathsToThePrefixDrives) {
  CaseFolder prefix(fs::temp_directory_path());
  const fs::path& top = prefix.top();
  fs::create_directories(top / "dosdevices");
  EXPECT_EQ(MapToDrive(top, "C/PRTG_Path.Txt"), top / "drive_c" / "PRTG_Path.Txt");
  EXPECT_EQ(MapToDrive(top, "UNC/srv/share/x"), top / "dosdevices" / "unc" / "srv/share/x");
  EXPECT_EQ(MapToDrive(top, "E/Monitor/x"), top / "drive_e" / "Monitor/x");
  EXPECT_EQ(fs::read_symlink(top / "dosdevices" / "e:"), fs::path("../drive_e"));
  fs::create_directories(top / "drive_e" / "Monitor");
  RemoveMappedDrives(top);
  EXPECT_FALSE(fs::is_symlink(top / "dosdevices" / "e:"));
  EXPECT_FALSE(fs::exists(top / "drive_e"));
}

TEST(WineRunner, NamesFoldersAsTheProgramSeesThem) {
  const fs::path top = "/tmp/qm-wine-x";
  EXPECT_EQ(WindowsPath(top, top / "drive_c" / "qm-e2e" / "a" / "work"), R"(C:\qm-e2e\a\work)");
  EXPECT_EQ(WindowsPath(top, top / "drive_c"), R"(C:\)");
  EXPECT_EQ(WindowsPath(top, "/srv/x"), R"(Z:\srv\x)");
}

TEST(WineRunner, PassesTheProgramsCodePageAsUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("M\xFCller &<x>"), "M\xC3\xBCller &<x>");
  EXPECT_EQ(Cp1252ToUtf8("\x80\x81\xA0\xFF"), "\xE2\x82\xAC\xC2\x81\xC2\xA0\xC3\xBF");
}

// ---------------------------------------------------------------------------
// Cases of the build under test that need a real process list.

const std::string kLiveLandscape =
    "[LIVE]\n"
    "host = localhost\n"
    "sysnr = 00\n"
    "top = live\n"
    "cpu = live\n";

// The Working-Set channel with a value that is not zero.
const std::string kNonZeroWorkingSet =
    R"([\s\S]*<Result><Channel>Working-Set</Channel>\n<Unit>Custom</Unit>\n)"
    R"(<CustomUnit>MByte</CustomUnit>\n<Value>[1-9][0-9]*</Value></Result>[\s\S]*)";

std::vector<E2eCase> LiveCases() {
  return {
      // The processes of this host (for Quillmark.exe under Wine: of the
      // Wine prefix, the program itself among them) have a working set.
      {.name = "LiveWorkingSetIsNotZero",
       .args = {"LIVE"},
       .files = {CallerIni("Velkira"), WorkFile("rfcsim.ini", kLiveLandscape),
                 WorkFile("LIVE.P00", ProfileText({.destination = "LIVE",
                                                   .hostname = "localhost",
                                                   .gwhost = "localhost"}))},
       .exit = 0,
       .outMatches = kNonZeroWorkingSet},
      // Windows compares file names without regard to letter case: the
      // profile is found as "prod.p00", the hint's folder in other case.
      // (The stand-in, with no system in its landscape, answers the open.)
      {.name = "FileNamesIgnoreLetterCase",
       .args = {"PROD"},
       .files = {WorkFile("rfcsim.ini", "# no systems\n"),
                 RootFile("C/PRTG_Path.Txt", "c:\\prtg\n"),
                 RootFile("C/PRTG/PRTG Network Monitor/Custom Sensors/ExeXml/prod.p00",
                          ProfileText())},
       .out = ErrorDocument("Error 1011: RFC-Open for NIX failed !"),
       .exit = 2,
       .build = Build::kWindows},
  };
}

class Live : public ::testing::TestWithParam<E2eCase> {};

TEST_P(Live, Run) { RunCase(GetParam(), TargetRunnerConfig()); }

INSTANTIATE_TEST_SUITE_P(Windows, Live, ::testing::ValuesIn(LiveCases()),
                         [](const ::testing::TestParamInfo<E2eCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace qm::e2e
