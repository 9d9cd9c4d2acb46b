// The stand-in used by many threads at once, each with its own connections
// and tables, through the function record only: every thread sees its own
// rows, last error, exception text and aborts; the call log holds whole
// lines in order; no lock is held while the stand-in sleeps or calls back.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <barrier>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <future>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "logs.h"
#include "rfcsim.h"
#include "state.h"
#include "test_environment.h"
#include "test_files.h"

namespace rfcsim {
namespace {

using testsupport::ClearVariable;
using testsupport::ReadFileBytes;
using testsupport::SetVariable;
using testsupport::TraceErrorLines;
using testsupport::WriteFileBytes;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const RfcLibrary* const lib = RfcSimLibrary();

class ThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("rfcsim_threads_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    SetVariable("RFCSIM_LANDSCAPE", (dir_ / "land.ini").string());
    SetVariable("RFCSIM_LOG", (dir_ / "calls.log").string());
    ResetForTests();
  }

  void TearDown() override {
    ResetForTests();
    ClearVariable("RFCSIM_LANDSCAPE");
    ClearVariable("RFCSIM_LOG");
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }

  fs::path previous_, dir_;
};

RfcHandle OpenServer(const char* host, int sysnr) {
  RfcServerRecord server{const_cast<char*>(host), sysnr, nullptr, nullptr};
  RfcOptionsRecord options{const_cast<char*>("PRD"),
                           0,
                           &server,
                           const_cast<char*>("000"),
                           const_cast<char*>("MONITOR     "),
                           const_cast<char*>("secret    "),
                           const_cast<char*>("E"),
                           0};
  return lib->RfcOpen(&options);
}

// Sends `function` and receives its answer into `table` (when not null).
int Call(RfcHandle handle, const char* function, RfcTableHandle table, char** exception) {
  bool top = std::strcmp(function, "GET_TOP_SINGLE") == 0;
  RfcTable tables[] = {
      {top ? "TF_TOP_SINGLE" : "TF_CPU_ALL", top ? 13u : 10u, 1, top ? 68u : 48u, table, 0},
      {nullptr, 0, 0, 0, nullptr, 0}};
  int code = lib->RfcCall(handle, function, nullptr, tables);
  return code != 0 ? code : lib->RfcReceive(handle, nullptr, tables, exception);
}

// Walks a TOP_SINGLE table as the program does (the row count before every
// row); the number of rows whose PROC_ID is their row number, up to the
// first row that is refused.
unsigned WalkRows(RfcTableHandle table) {
  unsigned good = 0;
  for (unsigned n = 1; n <= lib->ItFill(table); ++n) {
    const auto* row = static_cast<const unsigned char*>(lib->ItGetLine(table, n));
    if (row == nullptr) break;
    std::int32_t procId;
    std::memcpy(&procId, row + 8, 4);
    if (procId == static_cast<std::int32_t>(n)) ++good;
  }
  return good;
}

std::string LastErrorText() {
  RfcErrorInfo info{};
  lib->RfcLastError(&info);
  return std::string(info.key) + "/" + info.status + "/" + info.message;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A number after `name=` in a call-log line, or 0.
unsigned Field(const std::string& line, const char* name) {
  std::size_t at = line.find(std::string(" ") + name + "=");
  return at == std::string::npos ? 0 : std::stoul(line.substr(at + std::strlen(name) + 2));
}

constexpr int kThreads = 16;

// Thread i (from 1) measures system S<i>: 40 * i rows, an exception of its
// own at GET_CPU_ALL, an abort of ItGetLine on every fourth system.
std::string SixteenSystems() {
  std::string text;
  for (int i = 1; i <= kThreads; ++i) {
    text += "[S" + std::to_string(i) + "]\nhost = h\nsysnr = " + std::to_string(i) +
            "\ntop = synthetic " + std::to_string(40 * i) + "\nGET_CPU_ALL = exception CPU_S" +
            std::to_string(i) + "\ndelay_ms = 5\n";
    if (i % 4 == 0) text += "abort = ItGetLine lost S" + std::to_string(i) + "\n";
  }
  return text;
}

struct ThreadResult {
  RfcHandle handle = 0;
  int exceptionCode = -1;
  std::string exceptionAfterAll;  // the exception text once every thread had its own
  bool failedOpenRefused = false;
  unsigned fill = 0;
  unsigned walked = 0;        // with the connection open
  unsigned walkedClosed = 0;  // after closing it
  std::string lastError;
  int deleted = -1;
};

TEST_F(ThreadsTest, EachThreadSeesItsOwnRowsErrorsAndAborts) {
  WriteFileBytes("land.ini", SixteenSystems());
  std::barrier failedOpens(kThreads), walked(kThreads);
  std::vector<ThreadResult> results(kThreads + 1);
  auto measure = [&](int i) {
    ThreadResult& r = results[i];
    r.handle = OpenServer("h", i);
    char* exception = nullptr;
    r.exceptionCode = Call(r.handle, "GET_CPU_ALL", nullptr, &exception);
    // A server that does not answer: a last error that names this thread's number.
    r.failedOpenRefused = OpenServer("nohost", 50 + i) == 0;
    failedOpens.arrive_and_wait();
    RfcTableHandle table = lib->ItCreate("TF_TOP_SINGLE", 68, 0, 0);
    Call(r.handle, "GET_TOP_SINGLE", table, nullptr);
    r.fill = lib->ItFill(table);
    r.walked = WalkRows(table);
    walked.arrive_and_wait();  // every thread has walked while every connection was open
    r.exceptionAfterAll = exception != nullptr ? exception : "null";
    r.lastError = LastErrorText();
    lib->RfcClose(r.handle);
    r.walkedClosed = WalkRows(table);
    r.deleted = lib->ItDelete(table);
  };
  std::vector<std::thread> threads;
  for (int i = 1; i <= kThreads; ++i) threads.emplace_back(measure, i);
  for (std::thread& thread : threads) thread.join();

  std::set<RfcHandle> handles;
  for (int i = 1; i <= kThreads; ++i) {
    const ThreadResult& r = results[i];
    SCOPED_TRACE("thread " + std::to_string(i));
    handles.insert(r.handle);
    EXPECT_EQ(r.exceptionCode, 2);
    EXPECT_EQ(r.exceptionAfterAll, "CPU_S" + std::to_string(i));
    EXPECT_TRUE(r.failedOpenRefused);
    EXPECT_EQ(r.fill, 40u * i);
    bool aborted = i % 4 == 0;
    EXPECT_EQ(r.walked, aborted ? 0u : 40u * i);
    EXPECT_EQ(r.walkedClosed, 40u * i);  // closed, its system's abort no longer applies
    EXPECT_EQ(r.lastError, aborted ? "ItGetLine/FAILURE/lost S" + std::to_string(i)
                                   : "RfcOpen/FAILURE/partner 'nohost:sapgw" +
                                         std::to_string(50 + i) + "' not reached");
    EXPECT_EQ(r.deleted, 0);
  }
  std::set<RfcHandle> expected;
  for (RfcHandle h = 1; h <= kThreads; ++h) expected.insert(h);
  EXPECT_EQ(handles, expected);  // numbered 1, 2, ... per process, none twice
  EXPECT_EQ(TraceErrorLines(kTraceFileName).size(), kThreads + kThreads / 4u);

  // Every line whole; each connection's and each table's lines in the order
  // of its thread's calls.
  const std::regex whole(
      "RfcOpen dest=\\[PRD\\] mode=0 host=\\[(h|nohost)\\] sysnr=\\d+ gwhost=null "
      "gwservice=null client=\\[000\\] user=\\[MONITOR     \\] passwd=\\[secret    \\] "
      "lang=\\[E\\] trace=0|ItCreate name=\\[TF_TOP_SINGLE\\] length=68|"
      "RfcCall handle=\\d+ function=\\[GET_(CPU_ALL|TOP_SINGLE)\\]|RfcReceive handle=\\d+|"
      "ItFill table=\\d+|ItGetLine table=\\d+ row=\\d+|RfcLastError|RfcClose handle=\\d+|"
      "ItDelete table=\\d+");
  std::map<unsigned, std::string> byHandle;
  std::map<unsigned, std::vector<unsigned>> rowsByTable;
  std::map<unsigned, unsigned> deletesByTable;
  std::size_t lineCount = 0;
  for (const std::string& line : Lines(ReadFileBytes("calls.log"))) {
    ++lineCount;
    ASSERT_TRUE(std::regex_match(line, whole)) << line;
    if (unsigned handle = Field(line, "handle"); handle != 0) {
      byHandle[handle] += line.substr(0, line.find(' ')) + " ";
    }
    if (unsigned table = Field(line, "table"); table != 0) {
      if (line.rfind("ItGetLine", 0) == 0) rowsByTable[table].push_back(Field(line, "row"));
      if (line.rfind("ItDelete", 0) == 0) ++deletesByTable[table];
      EXPECT_EQ(deletesByTable[table], line.rfind("ItDelete", 0) == 0 ? 1u : 0u) << line;
    }
  }
  EXPECT_GT(lineCount, 2u * 40 * kThreads);
  EXPECT_EQ(byHandle.size(), static_cast<std::size_t>(kThreads));
  for (const auto& [handle, calls] : byHandle) {
    EXPECT_EQ(calls, "RfcCall RfcReceive RfcCall RfcReceive RfcClose ") << handle;
  }
  // The rows each table was asked for: 1 ... n twice, or (aborted) 1 and,
  // once closed, 1 ... n.
  std::vector<std::vector<unsigned>> walks, expectedWalks;
  for (const auto& [table, rows] : rowsByTable) walks.push_back(rows);
  for (unsigned i = 1; i <= kThreads; ++i) {
    std::vector<unsigned> rows;
    if (i % 4 == 0) rows.push_back(1);
    for (int pass = i % 4 == 0 ? 1 : 0; pass < 2; ++pass) {
      for (unsigned n = 1; n <= 40 * i; ++n) rows.push_back(n);
    }
    expectedWalks.push_back(rows);
  }
  std::sort(walks.begin(), walks.end());
  std::sort(expectedWalks.begin(), expectedWalks.end());
  EXPECT_TRUE(walks == expectedWalks);
}

// What the notice of RfcOnIniRead saw.
struct NoticeLog {
  int calls = 0;
  std::thread::id thread;
  Clock::time_point at;
};

void RecordNotice(void* context) {
  auto* log = static_cast<NoticeLog*>(context);
  ++log->calls;
  log->thread = std::this_thread::get_id();
  log->at = Clock::now();
}

TEST_F(ThreadsTest, IniReadNoticeComesOncePerOpenExBeforeTheDelay) {
  WriteFileBytes("land.ini",
                 "[PRD]\nhost = sap01\nsysnr = 0\nlogon = monitor secret\ndelay_ms = 150\n"
                 "[ABR]\nhost = sap02\nsysnr = 0\ndelay_ms = 150\nabort = RfcOpenEx broken\n");
  WriteFileBytes("SapRfc.ini",
                 "DEST=PRD\nTYPE=A\nASHOST=sap01\nSYSNR=00\n"
                 "DEST=ABR\nTYPE=A\nASHOST=sap02\nSYSNR=00\n"
                 "DEST=FAR\nTYPE=A\nASHOST=sap09\nSYSNR=03\n"
                 "DEST=R2\nTYPE=R\n");
  struct Case {
    const char* connect;
    bool opens;
    bool sleeps;  // the system is found, so delay_ms applies after the notice
  } cases[] = {
      {"CLIENT=000 USER=MONITOR PASSWD=secret LANG=E DEST=PRD", true, true},
      {"CLIENT=000 USER=MONITOR PASSWD=wrong LANG=E DEST=PRD", false, true},
      {"CLIENT=000 USER=MONITOR PASSWD=secret LANG=E DEST=ABR", false, true},
      {"CLIENT=000 USER=MONITOR PASSWD=secret LANG=E DEST=FAR", false, false},
      {"CLIENT=000 USER=MONITOR PASSWD=secret LANG=E DEST=R2", false, false},
      {"CLIENT=000 USER=MONITOR PASSWD=secret LANG=E DEST=NONE", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.connect);
    NoticeLog notice;
    lib->RfcOnIniRead(RecordNotice, &notice);
    RfcErrorInfo error{};
    RfcHandle handle = lib->RfcOpenEx(c.connect, &error);
    Clock::time_point returned = Clock::now();
    EXPECT_EQ(handle != 0, c.opens);
    EXPECT_EQ(notice.calls, 1);
    EXPECT_EQ(notice.thread, std::this_thread::get_id());
    if (c.sleeps) {
      EXPECT_GE(returned - notice.at, std::chrono::milliseconds(150));
    }
    // Used up: the next open does not call it again.
    lib->RfcClose(lib->RfcOpenEx(c.connect, &error));
    EXPECT_EQ(notice.calls, 1);
    lib->RfcClose(handle);
  }

  // Also without SapRfc.ini; RfcOpen does not use the notice up, null clears it.
  const char* prd = cases[0].connect;
  fs::remove("SapRfc.ini");
  NoticeLog notice;
  lib->RfcOnIniRead(RecordNotice, &notice);
  lib->RfcClose(OpenServer("sap01", 0));
  EXPECT_EQ(lib->RfcOpenEx(prd, nullptr), 0u);
  EXPECT_EQ(notice.calls, 1);
  lib->RfcOnIniRead(RecordNotice, &notice);
  lib->RfcOnIniRead(nullptr, nullptr);
  lib->RfcOpenEx(prd, nullptr);
  EXPECT_EQ(notice.calls, 1);

  // A notice belongs to the thread that registered it.
  NoticeLog other;
  std::promise<void> registered, mainOpened;
  std::thread thread([&] {
    lib->RfcOnIniRead(RecordNotice, &other);
    registered.set_value();
    mainOpened.get_future().wait();
    lib->RfcOpenEx(prd, nullptr);
  });
  registered.get_future().wait();
  lib->RfcOpenEx(prd, nullptr);
  EXPECT_EQ(other.calls, 0);
  mainOpened.set_value();
  std::thread::id otherId = thread.get_id();
  thread.join();
  EXPECT_EQ(other.calls, 1);
  EXPECT_EQ(other.thread, otherId);
  // It writes no call-log line.
  EXPECT_EQ(ReadFileBytes("calls.log").find("OnIniRead"), std::string::npos);
}

// A whole measurement on system FAST (sysnr 3): open, rows, a failure with
// its trace block, the last error, close. Empty when it went as expected.
std::string MeasureFast() {
  RfcTypeHandle type = 0;
  RfcTypeElement element{"TYPE", kRfcTypeInt2, 2, 0, 0};
  if (lib->RfcInstallStructure("TOP_SINGLE", &element, 1, &type) != 0) return "structure";
  RfcHandle handle = OpenServer("h", 3);
  if (handle == 0) return "open";
  RfcTableHandle table = lib->ItCreate("TF_TOP_SINGLE", 68, 0, 0);
  if (Call(handle, "GET_TOP_SINGLE", table, nullptr) != 0 || WalkRows(table) != 3) return "rows";
  if (Call(handle, "GET_CPU_ALL", nullptr, nullptr) != 1) return "failure";
  if (LastErrorText() != "RfcReceive/FAILURE/Collector down") return LastErrorText();
  if (lib->ItDelete(table) != 0) return "delete";
  lib->RfcClose(handle);
  return "";
}

// A measurement that did not end in time, waited for once the callback
// that started it has returned (and released what it blocked on).
std::vector<std::future<std::string>> stragglers;

// Runs MeasureFast on another thread and waits for it, as a program's
// handler may wait for its other workers. "timed out" when it did not end
// within 20 s: it waited for a lock the waiting thread holds.
std::string MeasureFastElsewhere() {
  std::future<std::string> done = std::async(std::launch::async, MeasureFast);
  if (done.wait_for(std::chrono::seconds(20)) == std::future_status::ready) return done.get();
  stragglers.push_back(std::move(done));
  return "timed out";
}

std::vector<std::string> callbackOutcomes;
void WaitingHandler(char*) { callbackOutcomes.push_back(MeasureFastElsewhere()); }
void WaitingNotice(void*) { callbackOutcomes.push_back(MeasureFastElsewhere()); }
void SignallingNotice(void* context) { static_cast<std::promise<void>*>(context)->set_value(); }

TEST_F(ThreadsTest, NoLockIsHeldWhileCallingBackOrSleeping) {
  WriteFileBytes("land.ini",
                 "[SLOW]\nhost = h\nsysnr = 1\ndelay_ms = 2000\n"
                 "[ABR]\nhost = h\nsysnr = 2\nabort = RfcCall broken\n"
                 "[FAST]\nhost = h\nsysnr = 3\ntop = synthetic 3\n"
                 "GET_CPU_ALL = failure Collector down\n");
  WriteFileBytes("SapRfc.ini", "DEST=SLOW\nTYPE=A\nASHOST=h\nSYSNR=01\n");
  callbackOutcomes.clear();
  RfcEnvironmentRecord environment{WaitingHandler, nullptr};
  lib->RfcEnvironment(&environment);
  RfcHandle aborted = OpenServer("h", 2);
  EXPECT_EQ(lib->RfcCall(aborted, "GET_TOP_SINGLE", nullptr, nullptr), 1);
  lib->RfcClose(aborted);
  lib->RfcOnIniRead(WaitingNotice, nullptr);
  EXPECT_EQ(lib->RfcOpenEx("CLIENT=000 USER=u PASSWD=p LANG=E DEST=NONE", nullptr), 0u);
  for (std::future<std::string>& straggler : stragglers) straggler.wait();
  stragglers.clear();
  EXPECT_EQ(callbackOutcomes, (std::vector<std::string>{"", ""}));  // handler, then notice

  // While one thread sleeps its delay_ms, another measures.
  std::promise<void> sleeping;
  std::atomic<bool> slowReturned{false};
  std::thread slow([&] {
    lib->RfcOnIniRead(SignallingNotice, &sleeping);
    lib->RfcOpenEx("CLIENT=000 USER=u PASSWD=p LANG=E DEST=SLOW", nullptr);
    slowReturned = true;
  });
  sleeping.get_future().wait();
  EXPECT_EQ(MeasureFast(), "");
  EXPECT_FALSE(slowReturned);
  slow.join();
  EXPECT_EQ(TraceErrorLines(kTraceFileName),
            (std::vector<std::string>{"broken", "Collector down", "Collector down",
                                      "partner 'NONE' not reached", "Collector down"}));
}

}  // namespace
}  // namespace rfcsim
