#include "config/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_names.h"

namespace qm {
namespace {

TEST(ParseSettings, ReadsTheCallerProduct) {
  struct Case {
    std::string bytes;
    OutputMode mode;
  } cases[] = {
      {"", OutputMode::kExeXml},
      {"Caller=Velkira", OutputMode::kVelkira},
      {"caller=zephanor\n", OutputMode::kZephanor},
      {"CALLER = QUENRIK\r\n", OutputMode::kQuenrik},
      {" \tCaller\t=\t Hollent \t\r\n", OutputMode::kHollent},
      {"\xEF\xBB\xBF"
       "Caller=Hollent\n",
       OutputMode::kHollent},
      {"\xEF\xBB\xBF\xEF\xBB\xBF"
       "Caller=Hollent\n",
       OutputMode::kExeXml},  // one mark only
      {"# note\nTimeout=5\n\nCaller=Velkira\nnonsense\n", OutputMode::kVelkira},
      {"Caller=EXEXML\n", OutputMode::kExeXml},
      {"Caller=Velkira2\nCaller=\nCaller\n", OutputMode::kExeXml},
      {"Caller=Quenrik\rCaller=Hollent\n", OutputMode::kExeXml},  // CR alone ends no line
      {"Caller Name=Velkira\n", OutputMode::kExeXml},
      {"Caller=Velkira=x\n", OutputMode::kExeXml},
      {"Caller=Hollent\nCaller=Zephanor\n", OutputMode::kHollent},  // fixed order, not line order
      {"Caller=Quenrik\nCaller=Velkira\n", OutputMode::kQuenrik},
      {"Caller=Zephanor\nCaller=Bogus\n", OutputMode::kZephanor},  // invalid lines ignored
      // The plugin and Prometheus forms come after Hollent, in this order.
      {"caller=plugin\n", OutputMode::kPlugin},
      {"Caller=PROMETHEUS\n", OutputMode::kPrometheus},
      {"Caller=Plugin\nCaller=Hollent\n", OutputMode::kPlugin},
      {"Caller=Prometheus\nCaller=Plugin\nCaller=Velkira\n", OutputMode::kPrometheus},
      {"Caller=Velkira\n" + std::string(10000, 'x') + "=" + std::string(10000, 'y') +
           "\nCaller=Zephanor",
       OutputMode::kZephanor},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseSettings(c.bytes).outputMode, c.mode) << c.bytes.substr(0, 60);
  }
}

TEST(ParseSettings, ParallelAndSystemTimeoutKeepTheLastValidLine) {
  struct Case {
    std::string bytes;
    unsigned parallel;
    unsigned long systemTimeout;
  } cases[] = {
      {"", kDefaultParallel, 20},
      {"Parallel=1\nSystemTimeout=0\n", 1, 0},
      {"parallel = 64\r\nsystemtimeout = 5\r\n", 64, 5},
      {"Parallel=32\nParallel=0\nParallel=65\nParallel=-1\nParallel=2 0\n", 32, 20},
      {"SystemTimeout=7\nSystemTimeout=x\nSystemTimeout=1234567890\n", kDefaultParallel, 7},
      {"Parallel=4\nParallel=16\n", 16, 20},
  };
  for (const Case& c : cases) {
    ProgramSettings settings = ParseSettings(c.bytes);
    EXPECT_EQ(settings.parallel, c.parallel) << c.bytes;
    EXPECT_EQ(settings.systemTimeoutSeconds, c.systemTimeout) << c.bytes;
  }
}

TEST(ParseSettings, TimeoutAndRfcLibraryKeepTheLastValidLine) {
  struct Case {
    std::string bytes;
    unsigned long timeout;
    std::string library;
  } cases[] = {
      {"", 50, ""},
      {"Timeout=20\n", 20, ""},
      {"timeout = 0\r\n", 0, ""},
      {"Timeout=20\nTimeout=-5\nTimeout=1 0\nTimeout=abc\nTimeout=\n", 20, ""},
      {"Timeout=1234567890\n", 50, ""},  // too large to be meant: ignored
      {"Timeout=30\nTimeout=40\n", 40, ""},
      {"RfcLibrary = /opt/nwrfc/lib/libsapnwrfc.so \n", 50, "/opt/nwrfc/lib/libsapnwrfc.so"},
      {"RFCLIBRARY=standin\nRfcLibrary=\n", 50, "standin"},
      {"RfcLibrary=C:\\nwrfc\\sapnwrfc.dll\nRfcLibrary=standin\n", 50, "standin"},
      // A NUL byte ends a line's text, as in every text file of the program.
      {std::string("Timeout=1\0x\nRfcLibrary=standin\0 junk\n", 31), 1, "standin"},
  };
  for (const Case& c : cases) {
    ProgramSettings settings = ParseSettings(c.bytes);
    EXPECT_EQ(settings.timeoutSeconds, c.timeout) << c.bytes;
    EXPECT_EQ(settings.rfcLibrary, c.library) << c.bytes;
  }
}

// Runs a test body in a fresh temporary working directory.
class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    directory_ =
        std::filesystem::temp_directory_path() /
        ("quillmark_settings_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
    std::filesystem::current_path(directory_);
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(directory_);
  }
  static void WriteFile(const std::string& bytes) {
    std::ofstream(kSettingsFile, std::ios::binary) << bytes;
  }

  std::filesystem::path previous_;
  std::filesystem::path directory_;
};

TEST_F(SettingsFileTest, ReadsTheFileInTheWorkingDirectory) {
  WriteFile(
      "\xEF\xBB\xBF"
      "Caller = quenrik\r\n\x1A\r\n");
  EXPECT_EQ(ReadSettingsFile().outputMode, OutputMode::kQuenrik);
}

TEST_F(SettingsFileTest, ReadsAtMostTheCapAndDropsTheLineItCuts) {
  // The first line ends within the cap; the second runs past it.
  std::string first = "Caller=Zephanor\n";
  std::string second = "Timeout=7" + std::string(kSettingsFileLimit, ' ') + "\n";
  WriteFile(first + second + "Caller=Hollent\n");
  ProgramSettings settings = ReadSettingsFile();
  EXPECT_EQ(settings.outputMode, OutputMode::kZephanor);
  EXPECT_EQ(settings.timeoutSeconds, kDefaultTimeoutSeconds);

  WriteFile(std::string(kSettingsFileLimit - first.size() + 1, '\n') + first);
  EXPECT_EQ(ReadSettingsFile().outputMode, OutputMode::kExeXml);  // ends one byte too late
  WriteFile(std::string(kSettingsFileLimit - first.size(), '\n') + first);
  EXPECT_EQ(ReadSettingsFile().outputMode, OutputMode::kZephanor);  // ends at the last byte
}

TEST_F(SettingsFileTest, MissingFileOrDirectoryCountsAsEmpty) {
  EXPECT_EQ(ReadSettingsFile().outputMode, OutputMode::kExeXml);
  std::filesystem::create_directory(kSettingsFile);
  EXPECT_EQ(ReadSettingsFile().outputMode, OutputMode::kExeXml);
}

}  // namespace
}  // namespace qm
