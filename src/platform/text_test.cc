#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/console.h"
#include "platform/platform.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

TEST(Text, LetterCaseTouchesOnlyAsciiLetters) {
  EXPECT_EQ(UpperCaseAscii("az AZ 09 _-@[`{ \xE4\xFC"), "AZ AZ 09 _-@[`{ \xE4\xFC");
  EXPECT_EQ(LowerAscii('Q'), 'q');
  EXPECT_EQ(LowerAscii('\xC4'), '\xC4');
  EXPECT_TRUE(EqualsIgnoringCase("StandIn", "STANDIN"));
  EXPECT_FALSE(EqualsIgnoringCase("standin", "standin2"));
  EXPECT_FALSE(EqualsIgnoringCase("\xE4", "\xC4"));  // beyond ASCII letters count as they are
}

TEST(Text, TrimsBlanksAndTabsOnly) {
  EXPECT_EQ(TrimBlanksAndTabs(" \t a b\t \t"), "a b");
  EXPECT_EQ(TrimBlanksAndTabs(" \t "), "");
  EXPECT_EQ(TrimBlanksAndTabs("\r x \n"), "\r x \n");
}

TEST(Text, SplitsLinesAtLineFeedsWithOneCarriageReturnRemoved) {
  auto lines = SplitLines("a\r\nb\n\nc\r\r\nd");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "a");
  EXPECT_EQ(lines[1], "b");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], "c\r");
  EXPECT_EQ(lines[4], "d");
  EXPECT_TRUE(SplitLines("").empty());
  EXPECT_EQ(SplitLines("x\n").size(), 1u);
}

TEST(Text, ReadsAWholeFileUpToItsCap) {
  fs::path dir = fs::temp_directory_path() / ("qm_text_" + std::to_string(CurrentProcessId()));
  fs::create_directories(dir);
  fs::path file = dir / "f.txt";
  std::ofstream(file, std::ios::binary) << "0123456789";
  std::string bytes;
  EXPECT_EQ(ReadWholeFile(file.string(), 10, &bytes), FileRead::kRead);
  EXPECT_EQ(bytes, "0123456789");
  EXPECT_EQ(ReadWholeFile(file.string(), 9, &bytes), FileRead::kTooLarge);
  EXPECT_EQ(bytes, "012345678");
  EXPECT_EQ(ReadWholeFile(file.string(), 0, &bytes), FileRead::kTooLarge);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(ReadWholeFile((dir / "missing").string(), 10, &bytes), FileRead::kCannotOpen);
  EXPECT_EQ(ReadWholeFile(dir.string(), 10, &bytes), FileRead::kCannotOpen);  // a folder
  fs::remove_all(dir);
}

TEST(StringConsole, CollectsWritesUnchanged) {
  StringConsole console;
  console.Write("a\n");
  console.Write(std::string_view("b\0c", 3));
  EXPECT_EQ(console.written, std::string("a\nb\0c", 5));
}

}  // namespace
}  // namespace qm
