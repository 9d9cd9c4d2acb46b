#include "platform/platform.h"

#include <gtest/gtest.h>

#include "platform/line_reader.h"

namespace qm {
namespace {

TEST(MapPath, FollowsTheWindowsFormRules) {
  struct Case {
    const char* path;
    const char* mapped;
  } cases[] = {
      {"D:PRTG", "/r/D/PRTG"},
      {"D:\\PRTG", "/r/D/PRTG"},
      {"d:\\PRTG\\x.P00", "/r/D/PRTG/x.P00"},
      {"C:\\PRTG_Path.Txt", "/r/C/PRTG_Path.Txt"},
      {"\\\\server\\share\\PRTG", "/r/UNC/server/share/PRTG"},
      {"\\Program Files\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\PRD.P00",
       "/r/C/Program Files/PRTG Network Monitor/Custom Sensors/ExeXml/PRD.P00"},
      {"SapRfc.ini", "SapRfc.ini"},
      {"cfg\\PRD.P00", "cfg/PRD.P00"},
      {"/tmp/x\\y", "/tmp/x/y"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MapPathWithRoot(c.path, "/r"), c.mapped) << c.path;
  }
  EXPECT_EQ(MapPathWithRoot("E:\\x", ""), "/E/x");
  EXPECT_EQ(MapPathWithRoot("\\x", "/r/"), "/r/C/x");
}

TEST(LineReader, ReadsPiecesLikeFgets) {
  std::string bytes = std::string(5, 'a') + "\r\nbb\n\ncc";
  LineReader reader(bytes);
  std::string line;
  ASSERT_TRUE(reader.ReadLine(4, &line));
  EXPECT_EQ(line, "aaaa");  // a longer line is read as several pieces
  ASSERT_TRUE(reader.ReadLine(4, &line));
  EXPECT_EQ(line, "a");  // CR LF removed
  ASSERT_TRUE(reader.ReadLine(4, &line));
  EXPECT_EQ(line, "bb");
  ASSERT_TRUE(reader.ReadLine(4, &line));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(reader.ReadLine(4, &line));
  EXPECT_EQ(line, "cc");
  EXPECT_FALSE(reader.ReadLine(4, &line));
}

TEST(LineReader, NulEndsThePieceAndCrOnlyIsNoLineEnd) {
  std::string bytes("ab\0cd\nx\ry\r", 11);
  LineReader reader(bytes);
  std::string line;
  ASSERT_TRUE(reader.ReadLine(99, &line));
  EXPECT_EQ(line, "ab");
  ASSERT_TRUE(reader.ReadLine(99, &line));
  EXPECT_EQ(line, "x\ry");  // only one CR at the end is removed
  EXPECT_FALSE(reader.ReadLine(99, &line));
}

TEST(LineReader, ReadsAStreamAcrossBufferRefills) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  std::string longLine(10000, 'x');
  std::fputs((longLine + "\r\nend").c_str(), f);
  std::rewind(f);
  LineReader reader(f);
  std::string piece;
  std::size_t total = 0;
  int pieces = 0;
  while (reader.ReadLine(199, &piece) && piece != "end") {
    total += piece.size();
    ++pieces;
  }
  EXPECT_EQ(piece, "end");
  EXPECT_EQ(total, 10000u);
  EXPECT_EQ(pieces, 51);  // 50 full pieces of 199, then 50 characters and CR LF
  std::fclose(f);
}

}  // namespace
}  // namespace qm
