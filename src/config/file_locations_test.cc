#include "config/file_locations.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

const char kFixed1[] = "\\Programme\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
const char kFixed2[] = "\\Program Files\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
const char kFixed4[] = "\\Program Files (x86)\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
const char kSuffix1[] = "PRTG Network Monitor\\Custom Sensors\\ExeXml\\";
const char kSorry[] = "Sorry, invalid Path-Usage...";
const char kMissingName[] = "Error 1002: Profile PROD.P00 is missing...";

TEST(ReadHintDirectory, TakesTheLastDirectoryLine) {
  std::string longLine = "C:\\" + std::string(96, 'a');  // 99 characters: one read
  struct Case {
    std::string bytes;
    std::string directory;
  } cases[] = {
      {"rem PRTG\r\nC:\\PRTG\r\nE:\\Monitor\r\n", "E:\\Monitor"},
      {"E:\\Monitor\nrem later text\n", "E:\\Monitor"},
      {"\\\\server\\share\\PRTG", "\\\\server\\share\\PRTG"},
      {"D:\n", "D:"},
      {"ab\\cd\n", "ab\\cd"},
      {"C:\\PRTG  \n", "C:\\PRTG  "},  // no trimming but the line end
      {"rem nothing here\n\nC\nab\n", ""},
      {"", ""},
      // A longer line is read as several lines: its second piece "x:y" is a
      // directory line of its own.
      {longLine + "x:y\n", "x:y"},
      {longLine + "xyz\n", longLine},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadHintDirectory(c.bytes), c.directory) << c.bytes;
  }
}

TEST(IsSensorDirectory, ChecksTheFolderBeforeTheFinalBackslash) {
  struct Case {
    const char* directory;
    bool sensor;
  } cases[] = {
      {"C:\\Program Files\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\", true},
      {"E:\\Monitor\\EXEXML\\", true},
      {"exexml\\", true},
      {"C:\\MyExeXml\\", true},
      {"xexml\\", false},
      {"C:\\ExeXml", false},
      {"C:\\ExeXml\\sub\\", false},
      {"C:\\ExeXm1\\", false},
      {"\\", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsSensorDirectory(c.directory), c.sensor) << c.directory;
  }
}

// A temporary QUILLMARK_ROOT and a temporary working directory; the
// program's Windows-form paths land below the root.
class LocateProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "Windows paths are used as they are there; no root to redirect them";
#else
    const char* old = std::getenv("QUILLMARK_ROOT");
    hadRoot_ = old != nullptr;
    if (hadRoot_) oldRoot_ = old;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    base_ = fs::temp_directory_path() /
            ("qm_locate_" + std::to_string(CurrentProcessId()) + "_" + info->name());
    fs::remove_all(base_);
    fs::create_directories(base_ / "root");
    fs::create_directories(base_ / "work");
    setenv("QUILLMARK_ROOT", (base_ / "root").string().c_str(), 1);
    oldWorkDir_ = fs::current_path();
    fs::current_path(base_ / "work");
    run_.profileName = "PROD.P00";
#endif
  }

  void TearDown() override {
#ifndef _WIN32
    if (base_.empty()) return;
    if (run_.profileStream != nullptr) std::fclose(run_.profileStream);
    fs::current_path(oldWorkDir_);
    if (hadRoot_) {
      setenv("QUILLMARK_ROOT", oldRoot_.c_str(), 1);
    } else {
      unsetenv("QUILLMARK_ROOT");
    }
    fs::remove_all(base_);
#endif
  }

  // Creates a file at a Windows-form path (relative: in the working directory).
  void Put(const std::string& windowsPath, const std::string& bytes = "x\n") {
    fs::path path = MapPath(windowsPath);
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }

  void PutDirectory(const std::string& windowsPath) {
    fs::create_directories(MapPath(windowsPath));
  }

  // Runs LocateProfile and checks the outcome: the directory found, or the
  // error with no stream left open.
  void ExpectFound(const std::string& directory) {
    std::string error;
    ASSERT_TRUE(LocateProfile(&run_, &error)) << error;
    EXPECT_EQ(run_.profileDirectory, directory);
    EXPECT_EQ(run_.profilePath, directory + run_.profileName);
    ASSERT_NE(run_.profileStream, nullptr);
  }

  void ExpectError(const std::string& message) {
    std::string error;
    EXPECT_FALSE(LocateProfile(&run_, &error));
    EXPECT_EQ(error, message);
    EXPECT_EQ(run_.profileStream, nullptr);
  }

  RunSettings run_;
  fs::path base_;
  fs::path oldWorkDir_;
  std::string oldRoot_;
  bool hadRoot_ = false;
};

TEST_F(LocateProfileTest, CallerModeUsesTheCommandLineDirectory) {
  run_.outputMode = OutputMode::kVelkira;
  run_.profileDirectory = "D:\\cfg\\";
  ExpectError("Error 1002: Profile D:\\cfg\\PROD.P00 is missing...");

  Put("D:\\cfg\\PROD.P00", "first line\n");
  ExpectFound("D:\\cfg\\");  // no directory test in this mode
  char buffer[16] = {};
  ASSERT_NE(std::fgets(buffer, sizeof buffer, run_.profileStream), nullptr);
  EXPECT_STREQ(buffer, "first line\n");  // open at its start
}

TEST_F(LocateProfileTest, AtMarkInExeXmlModeUsesTheCommandLineDirectory) {
  run_.parameters = ParseParameters("USER=SAPSYS @");
  Put(std::string(kFixed2) + "PROD.P00");
  ExpectError("Error 1002: Profile PROD.P00 is missing...");  // current directory only

  Put("PROD.P00");
  ExpectFound("");
}

TEST_F(LocateProfileTest, DirectoryWhereTheProfileShouldBeCountsAsMissing) {
  run_.outputMode = OutputMode::kHollent;
  run_.profileDirectory = "D:\\cfg\\";
  PutDirectory("D:\\cfg\\PROD.P00");
  ExpectError("Error 1002: Profile D:\\cfg\\PROD.P00 is missing...");

  // In the sensor-directory search it is skipped like a missing file.
  run_.outputMode = OutputMode::kExeXml;
  run_.profileDirectory.clear();
  PutDirectory("PROD.P00");
  Put(std::string(kFixed2) + "PROD.P00");
  ExpectFound(kFixed2);
}

TEST_F(LocateProfileTest, ExeXmlModeIgnoresTheCommandLineDirectory) {
  run_.profileDirectory = "D:\\cfg\\";
  Put("D:\\cfg\\PROD.P00");
  ExpectError(kMissingName);

  Put(std::string(kFixed4) + "PROD.P00");
  ExpectFound(kFixed4);
}

TEST_F(LocateProfileTest, WithoutHintTheFourPlacesAreTriedInOrder) {
  Put(std::string(kFixed4) + "PROD.P00");
  ExpectFound(kFixed4);
  std::fclose(run_.profileStream);
  run_.profileStream = nullptr;

  Put(std::string(kFixed2) + "PROD.P00");
  ExpectFound(kFixed2);
  std::fclose(run_.profileStream);
  run_.profileStream = nullptr;

  Put(std::string(kFixed1) + "PROD.P00");
  ExpectFound(kFixed1);
  std::fclose(run_.profileStream);
  run_.profileStream = nullptr;

  // The current directory comes first and fails the directory test.
  Put("PROD.P00");
  ExpectError(kSorry);
}

TEST_F(LocateProfileTest, HintFileNamesTheBaseDirectory) {
  struct Case {
    const char* name;
    std::string hint;
    std::string fileAt;     // directory that holds the profile, "" for none
    std::string directory;  // expected directory, or "" when an error is expected
    std::string error;
  } cases[] = {
      {"last directory line, first suffix", "rem PRTG\r\nC:\\PRTG\r\nE:\\Monitor\r\n",
       std::string("E:\\Monitor\\") + kSuffix1, std::string("E:\\Monitor\\") + kSuffix1, ""},
      {"hint below Program Files (x86)", "C:\\Program Files (x86)\n", kFixed4,
       std::string("C:") + kFixed4, ""},
      {"hint is the sensor folder in upper case",
       "C:\\Program Files (x86)\\PRTG Network Monitor\\Custom Sensors\\EXEXML",
       "C:\\Program Files (x86)\\PRTG Network Monitor\\Custom Sensors\\EXEXML\\",
       "C:\\Program Files (x86)\\PRTG Network Monitor\\Custom Sensors\\EXEXML\\", ""},
      {"second suffix", "D:\\PRTG Network Monitor\\\n",
       "D:\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\",
       "D:\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\", ""},
      {"folder not ending in ExeXml", "E:\\Monitor\n", "E:\\Monitor\\", "", kSorry},
      {"no directory line: root of the current drive", "rem none\n", "\\", "", kSorry},
      {"profile not in the hinted place", "E:\\Monitor\n", "", "", kMissingName},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(base_ / "root");
    Put(kHintFile, c.hint);
    Put(std::string(kFixed2) + "PROD.P00");  // never searched while a hint file exists
    if (!c.fileAt.empty()) Put(c.fileAt + "PROD.P00");
    if (c.error.empty()) {
      ExpectFound(c.directory);
      std::fclose(run_.profileStream);
      run_.profileStream = nullptr;
    } else {
      ExpectError(c.error);
    }
  }
}

TEST_F(LocateProfileTest, HintFileThatIsADirectoryIsNoHint) {
  PutDirectory(kHintFile);
  Put(std::string(kFixed2) + "PROD.P00");
  ExpectFound(kFixed2);
}

}  // namespace
}  // namespace qm
