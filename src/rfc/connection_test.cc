#include "rfc/connection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "test_files.h"

namespace qm {
namespace {

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace fs = std::filesystem;

SystemEntry PrdEntry() {
  SystemEntry entry;
  entry.destination = "PRD";
  entry.client = "100";
  entry.user = "MONITOR";
  entry.password = "secret";
  entry.language = "E";
  entry.mode = "";
  entry.hostname = "sapprd";
  entry.sysnr = "07";
  entry.gwhost = "gwprd";
  entry.gwservice = "sapgw07";
  return entry;
}

std::string TextOf(const char* text) { return text == nullptr ? "<null>" : text; }

TEST(BuildConnectionRecords, PadsUserAndPasswordAndFillsTheServerRecord) {
  ConnectionFields fields;
  BuildConnectionRecords(PrdEntry(), Parameters(), &fields);
  const RfcOptionsRecord& options = fields.options;
  EXPECT_EQ(TextOf(options.destination), "PRD");
  EXPECT_EQ(TextOf(options.client), "100");
  EXPECT_EQ(TextOf(options.user), "MONITOR     ");
  EXPECT_EQ(TextOf(options.password), "secret    ");
  EXPECT_EQ(TextOf(options.language), "E");
  EXPECT_EQ(options.trace, 0);
  ASSERT_EQ(options.mode, 0);
  ASSERT_EQ(options.connection, &fields.server);
  EXPECT_EQ(TextOf(fields.server.hostname), "sapprd");
  EXPECT_EQ(fields.server.sysnr, 7);
  EXPECT_EQ(TextOf(fields.server.gatewayHost), "gwprd");
  EXPECT_EQ(TextOf(fields.server.gatewayService), "sapgw07");
}

TEST(BuildConnectionRecords, LongUserAndPasswordArePassedWhole) {
  SystemEntry entry = PrdEntry();
  entry.user = "AVERYLONGUSERNAME";
  entry.password = "twelve-chars";
  ConnectionFields fields;
  BuildConnectionRecords(entry, Parameters(), &fields);
  EXPECT_EQ(TextOf(fields.options.user), "AVERYLONGUSERNAME");
  EXPECT_EQ(TextOf(fields.options.password), "twelve-chars");
}

TEST(BuildConnectionRecords, OnlyExactlyR2SelectsTheGatewayRecord) {
  struct Case {
    const char* mode;
    int expected;
  } cases[] = {{"R/2", 1}, {"r/2", 0}, {"R/3", 0}, {"", 0}, {"R/2 ", 0}};
  for (const Case& c : cases) {
    SystemEntry entry = PrdEntry();
    entry.mode = c.mode;
    ConnectionFields fields;
    BuildConnectionRecords(entry, Parameters(), &fields);
    EXPECT_EQ(fields.options.mode, c.expected) << c.mode;
    if (c.expected == 1) {
      EXPECT_EQ(fields.options.connection, &fields.gateway);
      EXPECT_EQ(TextOf(fields.gateway.gatewayHost), "gwprd");
      EXPECT_EQ(TextOf(fields.gateway.gatewayService), "sapgw07");
    } else {
      EXPECT_EQ(fields.options.connection, &fields.server) << c.mode;
    }
  }
}

TEST(BuildConnectionRecords, EmptyHostAndGatewayTextsBecomeNull) {
  SystemEntry entry = PrdEntry();
  entry.hostname.clear();
  entry.gwhost.clear();
  entry.gwservice.clear();
  ConnectionFields fields;
  BuildConnectionRecords(entry, Parameters(), &fields);
  EXPECT_EQ(fields.server.hostname, nullptr);
  EXPECT_EQ(fields.server.gatewayHost, nullptr);
  EXPECT_EQ(fields.server.gatewayService, nullptr);
  EXPECT_EQ(fields.gateway.gatewayHost, nullptr);
  EXPECT_EQ(fields.gateway.gatewayService, nullptr);
}

TEST(BuildConnectionRecords, HostAndNumberOverridesEmptyThoseFields) {
  struct Case {
    const char* parameterText;
    const char* host;
    int sysnr;
  } cases[] = {
      {"USER=X", "sapprd", 7},        {"X,HOST=ABC", "<null>", 7}, {"X,NO=12", "sapprd", 0},
      {"X,HOST=A,NO=1", "<null>", 0}, {"HOST=ABC", "sapprd", 7},  // only with the comma in front
  };
  for (const Case& c : cases) {
    ConnectionFields fields;
    BuildConnectionRecords(PrdEntry(), ParseParameters(c.parameterText), &fields);
    EXPECT_EQ(TextOf(fields.server.hostname), c.host) << c.parameterText;
    EXPECT_EQ(fields.server.sysnr, c.sysnr) << c.parameterText;
  }
}

TEST(BuildConnectionRecords, SystemNumberIsLoadedAfreshForEveryEntry) {
  ConnectionFields fields;
  BuildConnectionRecords(PrdEntry(), Parameters(), &fields);
  ASSERT_EQ(fields.server.sysnr, 7);
  SystemEntry next = PrdEntry();
  next.sysnr.clear();
  next.hostname.clear();
  BuildConnectionRecords(next, Parameters(), &fields);
  EXPECT_EQ(fields.server.sysnr, 0);
  EXPECT_EQ(fields.server.hostname, nullptr);
}

TEST(BuildConnectString, UsesTheEntryUnpaddedAndAlwaysLanguageD) {
  SystemEntry entry = PrdEntry();
  entry.password = "pass word";
  EXPECT_EQ(BuildConnectString(entry), "CLIENT=100 USER=MONITOR PASSWD=pass word LANG=D DEST=PRD");
}

// A stand-in library that records how the connection was opened.
struct OpenLog {
  int openCalls = 0;
  std::string openUser, openPassword, openDestination;
  int openExCalls = 0;
  std::string connect;
};
OpenLog openLog;

RfcHandle FakeOpen(RfcOptionsRecord* options) {
  ++openLog.openCalls;
  openLog.openUser = options->user;
  openLog.openPassword = options->password;
  openLog.openDestination = options->destination;
  return 11;
}

RfcHandle FakeOpenEx(const char* connect, RfcErrorInfo* error) {
  ++openLog.openExCalls;
  openLog.connect = connect;
  EXPECT_NE(error, nullptr);
  return 22;
}

RfcLibrary FakeLibrary() {
  RfcLibrary library{};
  library.RfcOpen = FakeOpen;
  library.RfcOpenEx = FakeOpenEx;
  return library;
}

// Whether another thread gets the lock on SapRfc.lck within `wait`. The
// thread is left to itself: when it does not get the lock in time, it takes
// and drops it once the lock is free.
bool OtherThreadGetsTheLock(std::chrono::milliseconds wait) {
  auto taken = std::make_shared<std::promise<bool>>();
  std::future<bool> result = taken->get_future();
  std::string path = (fs::current_path() / "SapRfc.lck").string();
  std::thread([taken, path] {
    ProgramFileLock lock;
    taken->set_value(lock.Lock(path));
  }).detach();
  return result.wait_for(wait) == std::future_status::ready && result.get();
}

// A library that says when it has read SapRfc.ini, and what the lock was
// like before and after it said so.
struct IniReadLog {
  RfcIniReadNotice notice = nullptr;
  void* context = nullptr;
  bool freeBeforeNotice = true;
  bool freeAfterNotice = false;
};
IniReadLog iniReadLog;

void FakeOnIniRead(RfcIniReadNotice notice, void* context) {
  iniReadLog.notice = notice;
  iniReadLog.context = context;
}

RfcHandle FakeOpenExWithNotice(const char*, RfcErrorInfo*) {
  iniReadLog.freeBeforeNotice = OtherThreadGetsTheLock(std::chrono::milliseconds(200));
  bool notified = iniReadLog.notice != nullptr;
  if (notified) iniReadLog.notice(iniReadLog.context);
  iniReadLog.freeAfterNotice = OtherThreadGetsTheLock(notified ? std::chrono::milliseconds(10000)
                                                               : std::chrono::milliseconds(200));
  return 33;
}

// Runs each test in a fresh temporary working directory.
class OpenRfcConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    openLog = OpenLog{};
    previous_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("qm_connection_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }

  fs::path previous_, dir_;
  // Opens with a notice that records it was given.
  RfcHandle Open() {
    return OpenRfcConnection(library_, PrdEntry(), Parameters(), [this] { ++notices_; });
  }

  RfcLibrary library_ = FakeLibrary();
  int notices_ = 0;
};

TEST_F(OpenRfcConnectionTest, WithoutDestinationFileOpensWithTheOptionsRecord) {
  WriteFileBytes("SapRfc.ini", "old");
  EXPECT_EQ(Open(), 11u);
  EXPECT_EQ(openLog.openCalls, 1);
  EXPECT_EQ(openLog.openExCalls, 0);
  EXPECT_EQ(openLog.openUser, "MONITOR     ");
  EXPECT_EQ(openLog.openPassword, "secret    ");
  EXPECT_EQ(openLog.openDestination, "PRD");
  EXPECT_EQ(notices_, 0);
  EXPECT_EQ(ReadFileBytes("SapRfc.ini"), "old");
}

TEST_F(OpenRfcConnectionTest, DestinationFileIsCopiedAndOpenedByConnectString) {
  const char raw[] = "DEST=PRD\r\nTYPE=A\r\nASHOST=sapprd\n\0\x1a\xff end";
  const std::string bytes(raw, sizeof raw - 1);
  WriteFileBytes("SapRfc.PRD", bytes);
  WriteFileBytes("SapRfc.ini", std::string(500, 'x'));  // longer earlier content is replaced
  EXPECT_EQ(Open(), 22u);
  EXPECT_EQ(notices_, 1);
  EXPECT_EQ(ReadFileBytes("SapRfc.ini"), bytes);
  EXPECT_EQ(openLog.openCalls, 0);
  ASSERT_EQ(openLog.openExCalls, 1);
  EXPECT_EQ(openLog.connect, "CLIENT=100 USER=MONITOR PASSWD=secret LANG=D DEST=PRD");
}

TEST_F(OpenRfcConnectionTest, NoticeComesBeforeTheRewrite) {
  WriteFileBytes("SapRfc.PRD", "DEST=PRD\n");
  WriteFileBytes("SapRfc.ini", "old");
  std::string seen;
  OpenRfcConnection(library_, PrdEntry(), Parameters(),
                    [&] { seen = ReadFileBytes("SapRfc.ini"); });
  EXPECT_EQ(seen, "old");
  EXPECT_EQ(ReadFileBytes("SapRfc.ini"), "DEST=PRD\n");
}

// Files in the working directory whose names start with `prefix`.
std::vector<std::string> FilesStartingWith(const std::string& prefix) {
  std::vector<std::string> names;
  for (const auto& item : fs::directory_iterator(".")) {
    std::string name = item.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(OpenRfcConnectionTest, RewriteGoesThroughATemporaryFileAndLeavesTheLockFile) {
  WriteFileBytes("SapRfc.PRD", "DEST=PRD\n");
  EXPECT_EQ(Open(), 22u);
  // Only the renamed result remains; the lock file stays for the next run.
  EXPECT_EQ(FilesStartingWith("SapRfc."),
            (std::vector<std::string>{"SapRfc.PRD", "SapRfc.ini", "SapRfc.lck"}));
  // The lock was released: a second open in the same folder does not wait.
  EXPECT_EQ(Open(), 22u);
  EXPECT_EQ(openLog.openExCalls, 2);
}

TEST_F(OpenRfcConnectionTest, UnreplaceableSapRfcIniOpensNothingAndLeavesNoTemporaryFile) {
  WriteFileBytes("SapRfc.PRD", "DEST=PRD\n");
  fs::create_directory("SapRfc.ini");  // the rename over it fails
  EXPECT_EQ(Open(), 0u);
  EXPECT_EQ(openLog.openCalls + openLog.openExCalls, 0);
  EXPECT_EQ(FilesStartingWith("SapRfc.ini"), std::vector<std::string>{"SapRfc.ini"});
  EXPECT_TRUE(fs::is_directory("SapRfc.ini"));
}

// The lock keeps other runs and threads from rewriting SapRfc.ini until the
// library has read it; a library that says so releases it then, before it
// connects, and the notice is withdrawn after the open.
TEST_F(OpenRfcConnectionTest, LockEndsWhenTheLibraryHasReadItsEntry) {
  WriteFileBytes("SapRfc.PRD", "DEST=PRD\n");
  iniReadLog = IniReadLog{};
  library_.RfcOpenEx = FakeOpenExWithNotice;
  library_.RfcOnIniRead = FakeOnIniRead;
  EXPECT_EQ(Open(), 33u);
  EXPECT_FALSE(iniReadLog.freeBeforeNotice);
  EXPECT_TRUE(iniReadLog.freeAfterNotice);
  EXPECT_EQ(iniReadLog.notice, nullptr);

  // Without the notice the lock lasts as long as the open.
  iniReadLog = IniReadLog{};
  library_.RfcOnIniRead = nullptr;
  EXPECT_EQ(Open(), 33u);
  EXPECT_FALSE(iniReadLog.freeBeforeNotice);
  EXPECT_FALSE(iniReadLog.freeAfterNotice);
  EXPECT_TRUE(OtherThreadGetsTheLock(std::chrono::seconds(10)));
}

TEST_F(OpenRfcConnectionTest, UnusableLockFileOpensNothing) {
  WriteFileBytes("SapRfc.PRD", "DEST=PRD\n");
  WriteFileBytes("SapRfc.ini", "old");
  fs::create_directory("SapRfc.lck");
  EXPECT_EQ(Open(), 0u);
  EXPECT_EQ(openLog.openCalls + openLog.openExCalls, 0);
  EXPECT_EQ(ReadFileBytes("SapRfc.ini"), "old");  // not rewritten without the lock
}

}  // namespace
}  // namespace qm
