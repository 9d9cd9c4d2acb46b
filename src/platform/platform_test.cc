#include "platform/platform.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>

#include "platform/line_reader.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

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

#ifndef _WIN32
// Only a regular file can be opened; a FIFO nobody writes to is refused at
// once instead of blocking the run.
TEST(OpenForReading, OpensOnlyRegularFiles) {
  fs::path dir = fs::temp_directory_path() / ("qm_open_" + std::to_string(CurrentProcessId()));
  fs::create_directories(dir);
  std::ofstream(dir / "file") << "x";
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_symlink(dir / "file", dir / "link");
  struct Case {
    std::string path;
    bool opens;
  } cases[] = {
      {(dir / "file").string(), true},
      {(dir / "link").string(), true},
      {(dir / "fifo").string(), false},
      {dir.string(), false},
      {"/dev/null", false},
      {(dir / "missing").string(), false},
  };
  for (const Case& c : cases) {
    std::FILE* f = OpenForReading(c.path);
    EXPECT_EQ(f != nullptr, c.opens) << c.path;
    if (f != nullptr) {
      EXPECT_EQ(std::fgetc(f), 'x');
      std::fclose(f);
    }
  }
  fs::remove_all(dir);
}
#endif

TEST(ExecutableDirectory, IsTheFolderOfTheTestProgram) {
  std::string directory = ExecutableDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_TRUE(directory.back() == '/' || directory.back() == '\\');
  EXPECT_TRUE(fs::is_directory(directory));
}

TEST(StartDetachedThread, RunsTheBodyOnASmallStack) {
  std::promise<int> done;
  auto body = [](void* context) { static_cast<std::promise<int>*>(context)->set_value(7); };
  ASSERT_TRUE(StartDetachedThread(body, &done, 64 * 1024));
  auto result = done.get_future();
  ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(result.get(), 7);
}

}  // namespace
}  // namespace qm
