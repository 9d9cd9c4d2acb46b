// The stand-in as the program sees it: through the function record only,
// in a temporary working directory with its own landscape and call log.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
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

std::vector<std::string> handlerCalls;
void RecordingHandler(char* operation) { handlerCalls.push_back(operation); }

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("rfcsim_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    SetVariable("RFCSIM_LANDSCAPE", (dir_ / "land.ini").string());
    SetVariable("RFCSIM_LOG", (dir_ / "calls.log").string());
    ResetForTests();
    handlerCalls.clear();
  }

  void TearDown() override {
    ResetForTests();
    ClearVariable("RFCSIM_LANDSCAPE");
    ClearVariable("RFCSIM_LOG");
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }

  static std::vector<std::string> TraceErrors() { return TraceErrorLines(kTraceFileName); }

  static void InstallHandler() {
    RfcEnvironmentRecord environment{RecordingHandler, nullptr};
    lib->RfcEnvironment(&environment);
  }

  // RfcOpen in mode 0; empty texts are passed as null where the program does.
  static RfcHandle OpenServer(const char* host, int sysnr, const char* client = "000",
                              const char* user = "MONITOR     ",
                              const char* password = "secret    ", const char* dest = "PRD") {
    RfcServerRecord server{const_cast<char*>(host), sysnr, nullptr, nullptr};
    RfcOptionsRecord options{const_cast<char*>(dest),
                             0,
                             &server,
                             const_cast<char*>(client),
                             const_cast<char*>(user),
                             const_cast<char*>(password),
                             const_cast<char*>("E"),
                             0};
    return lib->RfcOpen(&options);
  }

  // One remote call as the collection makes it: create, call, receive.
  struct Answer {
    int code = -1;
    std::string exception;
    std::vector<std::vector<unsigned char>> rows;
    std::int32_t interval = 0;
    char lastWrite[25];
  };
  static Answer CallFunction(RfcHandle handle, const char* function) {
    bool top = std::strcmp(function, "GET_TOP_SINGLE") == 0;
    const char* tableName = top ? "TF_TOP_SINGLE" : "TF_CPU_ALL";
    unsigned rowLength = top ? 68 : 48;
    Answer answer;
    RfcTableHandle table = lib->ItCreate(tableName, rowLength, 0, 0);
    EXPECT_NE(table, nullptr);
    RfcTable tables[2] = {
        {tableName, static_cast<unsigned>(std::strlen(tableName)), 1, rowLength, table, 0},
        {nullptr, 0, 0, 0, nullptr, 0}};
    answer.code = lib->RfcCall(handle, function, nullptr, tables);
    if (answer.code == 0) {
      RfcParameter received[] = {{"INTERVAL", 8, kRfcTypeInt, 4, &answer.interval},
                                 {"LASTCOLLWRT", 11, kRfcTypeChar, 25, answer.lastWrite},
                                 {nullptr, 0, 0, 0, nullptr}};
      char* exception = nullptr;
      answer.code = lib->RfcReceive(handle, received, tables, &exception);
      if (exception != nullptr) answer.exception = exception;
      for (unsigned n = 1; n <= lib->ItFill(table); ++n) {
        auto* row = static_cast<unsigned char*>(lib->ItGetLine(table, n));
        answer.rows.emplace_back(row, row + rowLength);
      }
    }
    EXPECT_EQ(lib->ItDelete(table), 0);
    return answer;
  }

  static const RfcLibrary* lib;
  fs::path previous_, dir_;
};

const RfcLibrary* LibraryTest::lib = RfcSimLibrary();

TEST_F(LibraryTest, RecordIsTheSameOnEveryCall) {
  EXPECT_EQ(RfcSimLibrary(), RfcSimLibrary());
  EXPECT_NE(RfcSimLibrary()->RfcReceive, nullptr);
}

TEST_F(LibraryTest, OpenFindsTheSystemOrTracesThePartner) {
  WriteFileBytes("land.ini",
                 "[PRD]\nhost = sap01\nsysnr = 00\n"
                 "[QAS]\nhost = sap01\nsysnr = 01\ngwhost = gw02\ngwservice = sapgw01\n");
  // Mode 0: host without regard to case and the system number's value.
  RfcHandle prd = OpenServer("SAP01", 0, "000", "u", "p", "ignored");
  EXPECT_NE(prd, 0u);
  RfcHandle qas = OpenServer("sap01", 1);
  EXPECT_NE(qas, 0u);
  EXPECT_NE(prd, qas);
  // Null host: the system named as the destination.
  EXPECT_NE(OpenServer(nullptr, 0, "000", "u", "p", "QAS"), 0u);
  // Mode 1: gateway host without regard to case, service exactly.
  RfcGatewayRecord gateway{const_cast<char*>("GW02"), const_cast<char*>("sapgw01")};
  RfcOptionsRecord options{const_cast<char*>("X"),
                           1,
                           &gateway,
                           const_cast<char*>("000"),
                           const_cast<char*>("u"),
                           const_cast<char*>("p"),
                           const_cast<char*>("E"),
                           0};
  EXPECT_NE(lib->RfcOpen(&options), 0u);

  EXPECT_TRUE(TraceErrors().empty());
  EXPECT_EQ(OpenServer("sap01", 5), 0u);
  EXPECT_EQ(OpenServer(nullptr, 0, "000", "u", "p", "DEV"), 0u);
  gateway.gatewayService = const_cast<char*>("SAPGW01");
  EXPECT_EQ(lib->RfcOpen(&options), 0u);
  EXPECT_EQ(TraceErrors(), (std::vector<std::string>{"partner 'sap01:sapgw05' not reached",
                                                     "partner 'DEV' not reached",
                                                     "partner 'GW02:SAPGW01' not reached"}));
  RfcErrorInfo info{};
  lib->RfcLastError(&info);
  EXPECT_STREQ(info.message, "partner 'GW02:SAPGW01' not reached");
}

TEST_F(LibraryTest, NoLandscapeFileMeansNoSystem) {
  EXPECT_EQ(OpenServer(nullptr, 0, "000", "u", "p", "PRD"), 0u);
  EXPECT_EQ(TraceErrors(), std::vector<std::string>{"partner 'PRD' not reached"});
}

TEST_F(LibraryTest, OpenExFindsTheSystemThroughSapRfcIniAndChecksTheLogon) {
  WriteFileBytes("land.ini",
                 "[PRD]\nhost = sap01\nsysnr = 00\nclient = 000 100\nlogon = monitor pass word\n");
  WriteFileBytes("SapRfc.ini",
                 "DEST=QAS\r\nTYPE=A\r\nASHOST=sap01\r\nSYSNR=00\r\n"
                 "* the system\r\nDEST = PRD\r\ntype = a\r\nashost = SAP01\r\nsysnr = 0\r\n"
                 "DEST=R3\nTYPE=R\nASHOST=sap01\nSYSNR=00\n"
                 "DEST=FAR\nTYPE=A\nASHOST=sap09\nSYSNR=03\n");
  RfcErrorInfo error{};
  EXPECT_NE(lib->RfcOpenEx("CLIENT=100 USER=MONITOR PASSWD=pass word LANG=D DEST=PRD", &error), 0u);
  // QAS's entry leads to the same server: the entry, not the name, finds it.
  EXPECT_NE(lib->RfcOpenEx("CLIENT=000 USER=monitor PASSWD=pass word LANG=D DEST=QAS", &error), 0u);
  EXPECT_TRUE(TraceErrors().empty());

  struct Case {
    const char* connect;
    const char* trace;
  } cases[] = {
      {"CLIENT=200 USER=x PASSWD=y LANG=D DEST=PRD", "client 200 is not available in this system"},
      {"CLIENT=000 USER=MONITOR PASSWD=pass  word LANG=D DEST=PRD",
       "Name or password is incorrect (repeat logon)"},
      {"CLIENT=000 USER=MONITOR PASSWD=pass word LANG=D DEST=DEV", "partner 'DEV' not reached"},
      {"CLIENT=000 USER=MONITOR PASSWD=pass word LANG=D DEST=R3", "partner 'R3' not reached"},
      {"CLIENT=000 USER=MONITOR PASSWD=pass word LANG=D DEST=FAR",
       "partner 'sap09:sapgw03' not reached"},
  };
  for (const Case& c : cases) {
    std::memset(&error, 0, sizeof error);
    EXPECT_EQ(lib->RfcOpenEx(c.connect, &error), 0u) << c.connect;
    EXPECT_EQ(TraceErrors().back(), c.trace) << c.connect;
    EXPECT_STREQ(error.message, c.trace);
    EXPECT_STREQ(error.key, "RfcOpenEx");
  }
  std::remove("SapRfc.ini");
  EXPECT_EQ(lib->RfcOpenEx("CLIENT=100 USER=MONITOR PASSWD=pass word LANG=D DEST=PRD", &error), 0u);
  EXPECT_EQ(TraceErrors().back(), "partner 'PRD' not reached");
}

TEST_F(LibraryTest, RfcOpenLeavesTheLogonToTheFirstReceive) {
  WriteFileBytes("land.ini",
                 "[PRD]\nhost = sap01\nsysnr = 00\nclient = 000\n"
                 "logon = MONITOR secret\nlogon = other pw\n"
                 "GET_CPU_ALL = call_code 5\n");
  struct Case {
    const char* client;
    const char* user;
    const char* password;
    const char* fault;  // null: the logon is good
  } cases[] = {
      {" 000 ", "monitor     ", "secret    ", nullptr},  // padded, user in any case
      {"000", "OTHER", "pw", nullptr},
      {"001", "nobody", "wrong", "client 001 is not available in this system"},  // client first
      {"000", "MONITOR", "Secret", "Name or password is incorrect (repeat logon)"},
      {"000", "nobody", "secret", "Name or password is incorrect (repeat logon)"},
  };
  for (const Case& c : cases) {
    RfcHandle handle = OpenServer("sap01", 0, c.client, c.user, c.password);
    ASSERT_NE(handle, 0u) << c.user;
    // A call_code is answered by RfcCall before the logon is looked at.
    EXPECT_EQ(CallFunction(handle, "GET_CPU_ALL").code, 5);
    Answer answer = CallFunction(handle, "GET_TOP_SINGLE");
    if (c.fault == nullptr) {
      EXPECT_EQ(answer.code, 0) << c.user;
    } else {
      EXPECT_EQ(answer.code, 1) << c.user;
      EXPECT_EQ(TraceErrors().back(), c.fault);
    }
    lib->RfcClose(handle);
  }
}

TEST_F(LibraryTest, EachOutcomeAnswersWithItsCode) {
  WriteFileBytes("land.ini",
                 "[OK]\nhost = h\nsysnr = 1\ntop = synthetic 3\ncpu = synthetic 2\n"
                 "[FAIL]\nhost = h\nsysnr = 2\nGET_TOP_SINGLE = failure Collector not active\n"
                 "[EXC]\nhost = h\nsysnr = 3\nGET_TOP_SINGLE = exception NOT_AUTHORIZED\n"
                 "[SYS]\nhost = h\nsysnr = 4\nGET_TOP_SINGLE = system_exception SYSTEM_FAILURE\n"
                 "[CODE]\nhost = h\nsysnr = 5\nGET_TOP_SINGLE = code 7\n"
                 "[CODE3]\nhost = h\nsysnr = 6\nGET_TOP_SINGLE = code 3\n"
                 "[CALL]\nhost = h\nsysnr = 7\nGET_TOP_SINGLE = call_code 1\n"
                 "[BAD]\nhost = h\nsysnr = 8\nlogon = a b\nGET_TOP_SINGLE = exception X\n");
  struct Case {
    int sysnr;
    int code;
    const char* exception;
    const char* trace;  // the new trace line, or null for none
  } cases[] = {
      {1, 0, "", nullptr},
      {2, 1, "", "Collector not active"},
      {3, 2, "NOT_AUTHORIZED", nullptr},
      {4, 3, "SYSTEM_FAILURE", nullptr},
      {5, 7, "", nullptr},
      {6, 3, "", nullptr},
      {7, 1, "", nullptr},
      {8, 1, "", "Name or password is incorrect (repeat logon)"},  // logon before outcome
  };
  for (const Case& c : cases) {
    std::size_t tracesBefore = TraceErrors().size();
    RfcHandle handle = OpenServer("h", c.sysnr);
    ASSERT_NE(handle, 0u);
    Answer answer = CallFunction(handle, "GET_TOP_SINGLE");
    EXPECT_EQ(answer.code, c.code) << c.sysnr;
    EXPECT_EQ(answer.exception, c.exception) << c.sysnr;
    std::vector<std::string> traces = TraceErrors();
    if (c.trace == nullptr) {
      EXPECT_EQ(traces.size(), tracesBefore) << c.sysnr;
    } else {
      ASSERT_EQ(traces.size(), tracesBefore + 1) << c.sysnr;
      EXPECT_EQ(traces.back(), c.trace);
    }
    lib->RfcClose(handle);
  }

  RfcHandle ok = OpenServer("h", 1);
  Answer top = CallFunction(ok, "GET_TOP_SINGLE");
  ASSERT_EQ(top.rows.size(), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(top.rows[2].data()) + 24, 6), "dw.sap");
  EXPECT_EQ(top.interval, 10);
  EXPECT_EQ(top.lastWrite[24], ' ');  // blank-padded to its 25 bytes
  EXPECT_EQ(CallFunction(ok, "GET_CPU_ALL").rows.size(), 2u);
}

TEST_F(LibraryTest, BadRowDataFailsTheCallWithTheLine) {
  fs::create_directories("rows");
  WriteFileBytes("rows/top.csv",
                 "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n"
                 "root,init,1,2,3,4\n"
                 "root,init,many,2,3,4\n");
  WriteFileBytes("rows/good.csv",
                 "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\nroot,init,1,2,3,4\n");
  WriteFileBytes("land.ini",
                 "[PRD]\nhost = h\nsysnr = 0\ntop = rows/top.csv\ncpu = rows/missing.csv\n"
                 "[QAS]\nhost = h\nsysnr = 1\ntop = rows/good.csv\n");
  RfcHandle prd = OpenServer("h", 0);
  Answer top = CallFunction(prd, "GET_TOP_SINGLE");
  EXPECT_EQ(top.code, 1);
  EXPECT_TRUE(top.rows.empty());
  EXPECT_EQ(CallFunction(prd, "GET_CPU_ALL").code, 1);
  EXPECT_EQ(TraceErrors(), (std::vector<std::string>{"bad row data: rows/top.csv line 3",
                                                     "bad row data: rows/missing.csv line 0"}));
  // The CSV path is taken relative to the landscape file, not the working directory.
  RfcHandle qas = OpenServer("h", 1);
  fs::current_path(fs::temp_directory_path());
  Answer good = CallFunction(qas, "GET_TOP_SINGLE");
  fs::current_path(dir_);
  EXPECT_EQ(good.code, 0);
  EXPECT_EQ(good.rows.size(), 1u);
}

TEST_F(LibraryTest, AbortOfARemoteOperationCallsTheHandler) {
  const char* operations[] = {"RfcOpen", "RfcCall", "RfcReceive", "RfcOpenEx"};
  for (const char* operation : operations) {
    ResetForTests();
    handlerCalls.clear();
    std::remove(kTraceFileName);
    WriteFileBytes("land.ini", std::string("[PRD]\nhost = h\nsysnr = 0\nabort = ") + operation +
                                   " Connection to partner broken\n");
    WriteFileBytes("SapRfc.ini", "DEST=PRD\nTYPE=A\nASHOST=h\nSYSNR=00\n");
    InstallHandler();
    int result;
    if (std::strcmp(operation, "RfcOpen") == 0) {
      result = static_cast<int>(OpenServer("h", 0));
    } else if (std::strcmp(operation, "RfcOpenEx") == 0) {
      RfcErrorInfo error{};
      result = static_cast<int>(lib->RfcOpenEx("CLIENT=0 USER=u PASSWD=p LANG=D DEST=PRD", &error));
      EXPECT_STREQ(error.message, "Connection to partner broken");
    } else {
      RfcHandle handle = OpenServer("h", 0);
      ASSERT_NE(handle, 0u);
      result = CallFunction(handle, "GET_TOP_SINGLE").code;
    }
    EXPECT_EQ(result, std::strncmp(operation, "RfcOpen", 7) == 0 ? 0 : 1) << operation;
    EXPECT_EQ(handlerCalls, std::vector<std::string>{operation});
    EXPECT_EQ(TraceErrors(), std::vector<std::string>{"Connection to partner broken"});
    RfcErrorInfo info;
    std::memset(&info, 'x', sizeof info);
    lib->RfcLastError(&info);
    EXPECT_STREQ(info.key, operation);
    EXPECT_STREQ(info.status, "FAILURE");
    EXPECT_STREQ(info.message, "Connection to partner broken");
    EXPECT_STREQ(info.internalStatus, "");
  }
}

TEST_F(LibraryTest, AbortOfATableOperationAppliesWhileTheConnectionIsOpen) {
  for (const char* operation : {"RfcInstallStructure", "ItCreate", "ItGetLine", "ItDelete"}) {
    ResetForTests();
    handlerCalls.clear();
    WriteFileBytes("land.ini",
                   std::string("[PRD]\nhost = h\nsysnr = 0\ntop = synthetic 2\nabort = ") +
                       operation + " no memory\n[QAS]\nhost = h\nsysnr = 1\n");
    InstallHandler();
    RfcTypeElement element{"TYPE", kRfcTypeInt2, 2, 0, 0};
    RfcTypeHandle type = 0;
    // Before any connection, and with the other system's connection open: no abort.
    RfcTableHandle early = lib->ItCreate("TF_TOP_SINGLE", 68, 0, 0);
    ASSERT_NE(early, nullptr);
    RfcHandle qas = OpenServer("h", 1);
    EXPECT_EQ(lib->RfcInstallStructure("TOP_SINGLE", &element, 1, &type), 0);
    lib->RfcClose(qas);

    RfcHandle prd = OpenServer("h", 0);
    ASSERT_NE(prd, 0u);
    bool failed;
    if (std::strcmp(operation, "RfcInstallStructure") == 0) {
      failed = lib->RfcInstallStructure("TOP_SINGLE", &element, 1, &type) != 0;
    } else if (std::strcmp(operation, "ItCreate") == 0) {
      failed = lib->ItCreate("TF_TOP_SINGLE", 68, 0, 0) == nullptr;
    } else if (std::strcmp(operation, "ItGetLine") == 0) {
      RfcTable tables[] = {{"TF_TOP_SINGLE", 13, type, 68, early, 0},
                           {nullptr, 0, 0, 0, nullptr, 0}};
      ASSERT_EQ(lib->RfcCall(prd, "GET_TOP_SINGLE", nullptr, tables), 0);
      ASSERT_EQ(lib->RfcReceive(prd, nullptr, tables, nullptr), 0);
      ASSERT_EQ(lib->ItFill(early), 2u);
      failed = lib->ItGetLine(early, 1) == nullptr;
    } else {
      failed = lib->ItDelete(early) != 0;
    }
    EXPECT_TRUE(failed) << operation;
    EXPECT_TRUE(handlerCalls.empty()) << operation;  // the program reports these itself
    RfcErrorInfo info{};
    lib->RfcLastError(&info);
    EXPECT_STREQ(info.key, operation);
    EXPECT_STREQ(info.message, "no memory");
    EXPECT_EQ(TraceErrors().back(), "no memory");
    // Closed again, the system's abort no longer applies.
    lib->RfcClose(prd);
    if (std::strcmp(operation, "ItGetLine") == 0) {
      EXPECT_NE(lib->ItGetLine(early, 1), nullptr);
    }
    EXPECT_EQ(lib->ItDelete(early), 0) << operation;
  }
}

TEST_F(LibraryTest, TablesHandRowsOutByNumber) {
  WriteFileBytes("land.ini", "[PRD]\nhost = h\nsysnr = 0\ntop = synthetic 2\n");
  RfcTableHandle table = lib->ItCreate("TF_TOP_SINGLE", 68, 0, 0);
  EXPECT_EQ(lib->ItFill(table), 0u);
  EXPECT_EQ(lib->ItGetLine(table, 1), nullptr);
  RfcHandle handle = OpenServer("h", 0);
  RfcTable tables[] = {{"TF_TOP_SINGLE", 13, 1, 68, table, 0}, {nullptr, 0, 0, 0, nullptr, 0}};
  ASSERT_EQ(lib->RfcCall(handle, "GET_TOP_SINGLE", nullptr, tables), 0);
  char* exception = nullptr;
  ASSERT_EQ(lib->RfcReceive(handle, nullptr, tables, &exception), 0);
  EXPECT_EQ(lib->RfcReceive(handle, nullptr, tables, &exception), 1);  // nothing pending
  EXPECT_EQ(lib->ItFill(table), 2u);
  auto* first = static_cast<unsigned char*>(lib->ItGetLine(table, 1));
  auto* second = static_cast<unsigned char*>(lib->ItGetLine(table, 2));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(second - first, 68);
  EXPECT_EQ(lib->ItGetLine(table, 0), nullptr);
  EXPECT_EQ(lib->ItGetLine(table, 3), nullptr);
  EXPECT_EQ(lib->ItDelete(table), 0);
  EXPECT_NE(lib->ItDelete(table), 0);
  EXPECT_EQ(lib->RfcCall(99, "GET_TOP_SINGLE", nullptr, tables), 1);
  lib->RfcClose(0);
}

// Two tables of the same byte size but different row lengths, asked in
// turn: each answers with its own row count and its own last row.
TEST_F(LibraryTest, EachTableCountsItsOwnRows) {
  WriteFileBytes("land.ini",
                 "[PRD]\nhost = h\nsysnr = 0\ntop = synthetic 12\ncpu = synthetic 17\n");
  RfcTableHandle top = lib->ItCreate("TF_TOP_SINGLE", 68, 0, 0);
  RfcTableHandle cpu = lib->ItCreate("TF_CPU_ALL", 48, 0, 0);
  RfcHandle handle = OpenServer("h", 0);
  char* exception = nullptr;
  RfcTable topList[] = {{"TF_TOP_SINGLE", 13, 1, 68, top, 0}, {nullptr, 0, 0, 0, nullptr, 0}};
  ASSERT_EQ(lib->RfcCall(handle, "GET_TOP_SINGLE", nullptr, topList), 0);
  ASSERT_EQ(lib->RfcReceive(handle, nullptr, topList, &exception), 0);
  RfcTable cpuList[] = {{"TF_CPU_ALL", 10, 1, 48, cpu, 0}, {nullptr, 0, 0, 0, nullptr, 0}};
  ASSERT_EQ(lib->RfcCall(handle, "GET_CPU_ALL", nullptr, cpuList), 0);
  ASSERT_EQ(lib->RfcReceive(handle, nullptr, cpuList, &exception), 0);  // 816 bytes each
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(lib->ItFill(top), 12u);
    EXPECT_EQ(lib->ItFill(cpu), 17u);
    EXPECT_NE(lib->ItGetLine(cpu, 17), nullptr);
    EXPECT_EQ(lib->ItGetLine(top, 13), nullptr);
    EXPECT_NE(lib->ItGetLine(top, 12), nullptr);
    EXPECT_EQ(lib->ItGetLine(cpu, 18), nullptr);
  }
  EXPECT_EQ(lib->ItDelete(top), 0);
  EXPECT_EQ(lib->ItFill(top), 0u);  // a deleted table has no rows
  EXPECT_EQ(lib->ItFill(cpu), 17u);
  EXPECT_EQ(lib->ItDelete(cpu), 0);
  lib->RfcClose(handle);
}

TEST_F(LibraryTest, TraceBlockFormat) {
  EXPECT_EQ(FormatTraceBlock("partner 'x' not\nreached", "20240131 235959"),
            "**** ERROR file opened at 20240131 235959\n"
            "ERROR       partner 'x' not reached\n");
  AppendTrace("one");
  AppendTrace("two");
  std::string text = ReadFileBytes(kTraceFileName);
  ASSERT_EQ(text.size(), 2 * (41 + 1 + 15 + 1));
  EXPECT_EQ(text.substr(0, 26), "**** ERROR file opened at ");
  EXPECT_EQ(text.substr(41, 16), "\nERROR       one");
}

TEST_F(LibraryTest, CallLogLines) {
  WriteFileBytes("land.ini", "[PRD]\nhost = sap01\nsysnr = 0\n");
  InstallHandler();
  lib->RfcEnvironment(nullptr);
  RfcHandle handle = OpenServer("sap01", 0, "000", "MONITOR     ", "a]b\nc");
  RfcGatewayRecord gateway{nullptr, const_cast<char*>("sapgw00")};
  RfcOptionsRecord options{
      const_cast<char*>("R2"), 1, &gateway, nullptr, const_cast<char*>("u"), const_cast<char*>("p"),
      const_cast<char*>("D"),  0};
  lib->RfcOpen(&options);
  lib->RfcOpenEx("CLIENT=000 USER=X PASSWD=a b LANG=D DEST=PRD", nullptr);
  RfcTypeHandle type = 0;
  RfcTypeElement element{"TYPE", kRfcTypeInt2, 2, 0, 0};
  lib->RfcInstallStructure("CPU_ALL", &element, 13, &type);
  RfcTableHandle table = lib->ItCreate("TF_CPU_ALL", 48, 0, 0);
  lib->RfcCall(handle, "GET_CPU_ALL", nullptr, nullptr);
  lib->RfcReceive(handle, nullptr, nullptr, nullptr);
  lib->ItFill(table);
  lib->ItGetLine(table, 1);
  lib->ItDelete(table);
  RfcErrorInfo info{};
  lib->RfcLastError(&info);
  lib->RfcClose(handle);
  EXPECT_EQ(ReadFileBytes("calls.log"),
            "RfcEnvironment handler=set\n"
            "RfcEnvironment handler=null\n"
            "RfcOpen dest=[PRD] mode=0 host=[sap01] sysnr=0 gwhost=null gwservice=null "
            "client=[000] user=[MONITOR     ] passwd=[a\\x5Db\\x0Ac] lang=[E] trace=0\n"
            "RfcOpen dest=[R2] mode=1 gwhost=null gwservice=[sapgw00] client=null user=[u] "
            "passwd=[p] lang=[D] trace=0\n"
            "RfcOpenEx connect=[CLIENT=000 USER=X PASSWD=a b LANG=D DEST=PRD]\n"
            "RfcInstallStructure name=[CPU_ALL] fields=13\n"
            "ItCreate name=[TF_CPU_ALL] length=48\n"
            "RfcCall handle=1 function=[GET_CPU_ALL]\n"
            "RfcReceive handle=1\n"
            "ItFill table=1\n"
            "ItGetLine table=1 row=1\n"
            "ItDelete table=1\n"
            "RfcLastError\n"
            "RfcClose handle=1\n");
}

TEST_F(LibraryTest, DelayWaitsBeforeOpenCallAndReceive) {
  WriteFileBytes("land.ini", "[PRD]\nhost = h\nsysnr = 0\ndelay_ms = 40\n");
  auto start = std::chrono::steady_clock::now();
  RfcHandle handle = OpenServer("h", 0);
  EXPECT_EQ(CallFunction(handle, "GET_CPU_ALL").code, 0);
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(120));
}

}  // namespace
}  // namespace rfcsim
