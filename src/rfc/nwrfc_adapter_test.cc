// The adapter over the NetWeaver RFC SDK, run against the SDK's test double
// (nwrfcfake), which plays the stand-in's simulated systems: what the
// adapter delivers must be what the stand-in delivers for the same system.
#include "rfc/nwrfc_adapter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "collect/structures.h"
#include "rfcsim.h"
#include "state.h"
#include "test_environment.h"
#include "test_files.h"

namespace qm {
namespace {

using testsupport::ClearVariable;
using testsupport::ReadFileBytes;
using testsupport::SetVariable;
using testsupport::TraceErrorLines;
using testsupport::WriteFileBytes;

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Through the SDK's test double.

std::vector<std::string> handlerCalls;
void RecordingHandler(char* operation) { handlerCalls.push_back(operation); }

// What one remote call gave: the result, the rows, the exception text and
// the received control values.
struct CallResult {
  int result = -1;
  std::vector<unsigned char> rows;
  std::string exception;
  std::int32_t interval = 0;
  char readFlag[3] = {'?', '?', '?'};
};

class NwRfcAdapterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string reason;
    SharedLibrary fake = LoadSharedLibrary(QUILLMARK_NWRFC_FAKE, &reason);
    ASSERT_NE(fake, nullptr) << reason;
    std::string missing;
    ASSERT_TRUE(FindNwRfcApi(fake, &api_, &missing)) << missing;
    fakeReset_ = reinterpret_cast<void (*)()>(FindSymbol(fake, "NwRfcFakeReset"));
    ASSERT_NE(fakeReset_, nullptr);
  }

  void SetUp() override {
    previous_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("nwrfc_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    SetVariable("RFCSIM_LANDSCAPE", (dir_ / "land.ini").string());
    fakeReset_();
    rfcsim::ResetForTests();
    library_ = NwRfcAdapterLibrary(api_);
    ResetNwRfcAdapterForTests();
    handlerCalls.clear();
    RfcEnvironmentRecord environment{RecordingHandler, nullptr};
    library_->RfcEnvironment(&environment);
  }

  void TearDown() override {
    fakeReset_();
    rfcsim::ResetForTests();
    ClearVariable("RFCSIM_LANDSCAPE");
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }

  static std::vector<std::string> TraceErrors() { return TraceErrorLines("Dev_Rfc.Trc"); }

  // Opens by options record: host and system number, logon data.
  static RfcHandle Open(const RfcLibrary& library, const char* host, int sysnr,
                        const char* user = "MONITOR     ", const char* password = "secret    ") {
    static std::string h, c, u, p, l, d;
    static RfcServerRecord server;
    static RfcOptionsRecord options;
    h = host;
    c = "100";
    u = user;
    p = password;
    l = "E";
    d = "PRD";
    server = RfcServerRecord{h.data(), sysnr, nullptr, nullptr};
    options = RfcOptionsRecord{d.data(), 0, &server, c.data(), u.data(), p.data(), l.data(), 0};
    return library.RfcOpen(&options);
  }

  // One call of GET_TOP_SINGLE or GET_CPU_ALL the way the program makes it.
  static CallResult Call(const RfcLibrary& library, RfcHandle handle, bool top,
                         const RfcTypeElement* elements = nullptr, unsigned count = 0,
                         unsigned rowLength = 0) {
    if (elements == nullptr) {
      // The structures as the collection step installs them.
      elements = top ? kTopSingleElements : kCpuAllElements;
      count = top ? std::size(kTopSingleElements) : std::size(kCpuAllElements);
      rowLength = top ? kTopSingleRowLength : kCpuAllRowLength;
    }
    const char* tableName = top ? "TF_TOP_SINGLE" : "TF_CPU_ALL";
    RfcTypeHandle type = 0;
    EXPECT_EQ(library.RfcInstallStructure(top ? "TOP_SINGLE" : "CPU_ALL", elements, count, &type),
              0);
    RfcTableHandle table = library.ItCreate(tableName, rowLength, 0, 0);
    char localRemote[6] = {'L', 'O', 'C', 'A', 'L', ' '};
    char logical[32];
    std::memset(logical, ' ', sizeof logical);
    RfcParameter exporting[] = {{"LOCAL_REMOTE", 12, kRfcTypeChar, 6, localRemote},
                                {"LOGICAL_DESTINATION", 19, kRfcTypeChar, 32, logical},
                                {nullptr, 0, 0, 0, nullptr}};
    RfcTable tables[] = {
        {tableName, static_cast<unsigned>(std::strlen(tableName)), type, rowLength, table, 0},
        {nullptr, 0, 0, 0, nullptr, 0}};
    CallResult out;
    out.result = library.RfcCall(handle, top ? "GET_TOP_SINGLE" : "GET_CPU_ALL", exporting, tables);
    if (out.result != 0) return out;
    const char* flagName = top ? "F_TOP_SINGLE_READ" : "F_CPU_ALL_READ";
    RfcParameter importing[] = {
        {"INTERVAL", 8, kRfcTypeInt, 4, &out.interval},
        {flagName, static_cast<unsigned>(std::strlen(flagName)), kRfcTypeChar, 3, out.readFlag},
        {nullptr, 0, 0, 0, nullptr}};
    char* exception = nullptr;
    out.result = library.RfcReceive(handle, importing, tables, &exception);
    if (exception != nullptr) out.exception = exception;
    for (unsigned line = 1; line <= library.ItFill(table); ++line) {
      auto* row = static_cast<unsigned char*>(library.ItGetLine(table, line));
      out.rows.insert(out.rows.end(), row, row + rowLength);
    }
    EXPECT_EQ(library.ItDelete(table), 0);
    return out;
  }

  static RfcErrorInfo LastError(const RfcLibrary& library) {
    RfcErrorInfo info;
    std::memset(&info, 'x', sizeof info);
    library.RfcLastError(&info);
    return info;
  }

  static inline NwRfcApi api_;
  static inline void (*fakeReset_)() = nullptr;
  const RfcLibrary* library_ = nullptr;
  fs::path previous_, dir_;
};

// Synthetic and CSV rows arrive byte for byte as the stand-in delivers them,
// with the received control values.
TEST_F(NwRfcAdapterTest, RowsAsTheStandInDeliversThem) {
  WriteFileBytes("top.csv",
                 "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES,PROC_ID\n"
                 "prdadm,\"dw.sap, W1\",1250,\"   12345\",2048,1024,77\n"
                 "M\xfcller,a-command-that-is-longer-than-twenty,-5,,0,2147483647,-2147483648\n");
  WriteFileBytes("land.ini",
                 "[SYN]\nhost = syn\nsysnr = 1\ntop = synthetic 997\ncpu = synthetic 3\n"
                 "[CSV]\nhost = csv\nsysnr = 2\ntop = top.csv\n");
  const RfcLibrary& standIn = *RfcSimLibrary();
  for (const char* host : {"syn", "csv"}) {
    int sysnr = host[0] == 's' ? 1 : 2;
    for (bool top : {true, false}) {
      SCOPED_TRACE(std::string(host) + (top ? " TOP_SINGLE" : " CPU_ALL"));
      CallResult expected = Call(standIn, Open(standIn, host, sysnr), top);
      CallResult got = Call(*library_, Open(*library_, host, sysnr), top);
      ASSERT_EQ(got.result, 0);
      EXPECT_EQ(got.rows.size(), expected.rows.size());
      EXPECT_TRUE(got.rows == expected.rows);
      EXPECT_EQ(got.interval, 10);
      EXPECT_EQ(std::string(got.readFlag, 3), "X  ");
    }
  }
  EXPECT_FALSE(fs::exists("Dev_Rfc.Trc"));
  EXPECT_TRUE(handlerCalls.empty());
}

// Fields are copied by name into the installed structure's layout: another
// order, explicit offsets and a row too short for the last field.
TEST_F(NwRfcAdapterTest, RowsFollowTheInstalledStructure) {
  WriteFileBytes("land.ini", "[SYN]\nhost = syn\nsysnr = 1\ntop = synthetic 8\n");
  const RfcTypeElement elements[] = {
      {"COMMAND", kRfcTypeChar, 6, 0, 0},     // cut to 6 characters
      {"PROC_ID", kRfcTypeInt, 4, 0, 8},      // explicit offset
      {"SERIALNR", kRfcTypeInt2, 2, 0, 0},    // aligned after PROC_ID: 12
      {"NO_SUCH", kRfcTypeInt, 4, 0, 0},      // unknown to the system: 0
      {"PRIV_PAGES", kRfcTypeInt, 4, 0, 20},  // beyond the 20-byte row: left out
  };
  CallResult got = Call(*library_, Open(*library_, "syn", 1), true, elements, 5, 20);
  ASSERT_EQ(got.result, 0);
  ASSERT_EQ(got.rows.size(), 8u * 20);
  const unsigned char* row3 = got.rows.data() + 2 * 20;
  std::int32_t procId, unknown;
  std::int16_t serial;
  std::memcpy(&procId, row3 + 8, 4);
  std::memcpy(&serial, row3 + 12, 2);
  std::memcpy(&unknown, row3 + 16, 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(row3), 6), "dw.sap");
  EXPECT_EQ(procId, 3);
  EXPECT_EQ(serial, 3);
  EXPECT_EQ(unknown, 0);
  EXPECT_EQ(row3[6], 0);  // padding stays zero
}

// Each outcome of the system gets its classic result; only result 1 writes
// its message to the trace file, and exceptions hand out the SDK's key.
TEST_F(NwRfcAdapterTest, OutcomesBecomeClassicResults) {
  const std::string longName = "AN_EXCEPTION_NAME_LONGER_THAN_32_CHARACTERS";
  struct {
    std::string outcome;
    int result;
    std::string exception;
    std::string key;
    std::string message;
    bool traced;
  } cases[] = {
      {"failure connection reset by peer", 1, "", "RFC_COMMUNICATION_FAILURE",
       "connection reset by peer", true},
      {"exception NO_DATA", 2, "NO_DATA", "NO_DATA", "NO_DATA", false},
      {"exception " + longName, 2, longName, longName.substr(0, 32), longName, false},
      {"system_exception SYSTEM_FAILURE", 3, "SYSTEM_FAILURE", "SYSTEM_FAILURE", "SYSTEM_FAILURE",
       false},
      {"code 4", 4, "", "RFC_EXTERNAL_FAILURE", "code 4", false},
      {"code 9", 4, "", "RFC_EXTERNAL_FAILURE", "code 9", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.outcome);
    fs::remove("Dev_Rfc.Trc");
    WriteFileBytes("land.ini", "[S]\nhost = s\nsysnr = 0\nGET_CPU_ALL = " + c.outcome + "\n");
    fakeReset_();
    RfcHandle handle = Open(*library_, "s", 0);
    ASSERT_NE(handle, 0u);
    CallResult got = Call(*library_, handle, false);
    EXPECT_EQ(got.result, c.result);
    EXPECT_EQ(got.exception, c.exception);
    EXPECT_EQ(got.interval, 0);  // a failed receive leaves the values alone
    RfcErrorInfo info = LastError(*library_);
    EXPECT_STREQ(info.key, c.key.c_str());
    EXPECT_STREQ(info.status, "FAILURE");
    EXPECT_STREQ(info.message, c.message.c_str());
    EXPECT_STREQ(info.internalStatus, "");
    EXPECT_EQ(TraceErrors(),
              c.traced ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    library_->RfcClose(handle);
  }
  EXPECT_TRUE(handlerCalls.empty());
}

// Bad row data fails the call like a communication failure, as the
// stand-in's receive does.
TEST_F(NwRfcAdapterTest, BadRowDataIsAFailureWithItsTraceText) {
  WriteFileBytes(
      "bad.csv",
      "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\nroot,x,notanumber,,1,1\n");
  WriteFileBytes("land.ini", "[S]\nhost = s\nsysnr = 0\ntop = bad.csv\n");
  CallResult got = Call(*library_, Open(*library_, "s", 0), true);
  EXPECT_EQ(got.result, 1);
  EXPECT_TRUE(got.rows.empty());
  EXPECT_EQ(TraceErrors(), std::vector<std::string>{"bad row data: bad.csv line 2"});
}

// RfcOpen keeps the classic logon: the open succeeds, every receive on the
// connection answers 1 with the SDK's message in the trace file.
TEST_F(NwRfcAdapterTest, LogonFaultAtOpenShowsAtEachReceive) {
  WriteFileBytes("land.ini",
                 "[S]\nhost = s\nsysnr = 0\nlogon = MONITOR secret\ntop = synthetic 2\n");
  RfcHandle good = Open(*library_, "s", 0, "monitor     ", "secret    ");
  EXPECT_EQ(Call(*library_, good, true).result, 0);

  RfcHandle bad = Open(*library_, "s", 0, "MONITOR     ", "wrong     ");
  ASSERT_NE(bad, 0u);
  EXPECT_FALSE(fs::exists("Dev_Rfc.Trc"));
  EXPECT_EQ(Call(*library_, bad, true).result, 1);
  EXPECT_EQ(Call(*library_, bad, false).result, 1);
  const std::string fault = "Name or password is incorrect (repeat logon)";
  EXPECT_EQ(TraceErrors(), (std::vector<std::string>{fault, fault}));
  EXPECT_STREQ(LastError(*library_).key, "RFC_LOGON_FAILURE");
  EXPECT_STREQ(LastError(*library_).message, fault.c_str());
}

// A system that is not reached: no handle, the SDK's message in the trace
// file and the last error; the handler is not called.
TEST_F(NwRfcAdapterTest, OpenThatReachesNoSystem) {
  WriteFileBytes("land.ini", "[S]\nhost = s\nsysnr = 0\n");
  EXPECT_EQ(Open(*library_, "elsewhere", 7), 0u);
  EXPECT_EQ(TraceErrors(), std::vector<std::string>{"partner 'elsewhere:sapgw07' not reached"});
  RfcErrorInfo info = LastError(*library_);
  EXPECT_STREQ(info.key, "RFC_COMMUNICATION_FAILURE");
  EXPECT_STREQ(info.status, "FAILURE");
  EXPECT_STREQ(info.message, "partner 'elsewhere:sapgw07' not reached");
  EXPECT_TRUE(handlerCalls.empty());
  // The trace block has the classic form.
  std::string trace = ReadFileBytes("Dev_Rfc.Trc");
  EXPECT_EQ(trace.rfind("**** ERROR file opened at ", 0), 0u);
  EXPECT_EQ(trace.substr(trace.find('\n') + 1),
            "ERROR       partner 'elsewhere:sapgw07' not reached\n");
}

// RfcOpenEx: SapRfc.ini's TYPE=A and TYPE=B entries reach the system; a
// logon fault or a missing entry fails the open and fills the error record.
TEST_F(NwRfcAdapterTest, OpenExThroughSapRfcIni) {
  WriteFileBytes("land.ini",
                 "[PRD]\nhost = sapprd\nsysnr = 0\nmshost = msprd\nr3name = PRD\ngroup = SPACE\n"
                 "logon = MON pw\ncpu = synthetic 1\n");
  WriteFileBytes("SapRfc.ini",
                 "DEST=A1\nTYPE=A\nASHOST=sapprd\nSYSNR=00\n"
                 "DEST=B1\nTYPE=B\nMSHOST=msprd\nR3NAME=PRD\nGROUP=SPACE\n"
                 "DEST=B2\nTYPE=B\nMSHOST=msprd\nR3NAME=PRD\nGROUP=OTHER\n");
  RfcErrorInfo error;
  for (const char* dest : {"A1", "B1"}) {
    SCOPED_TRACE(dest);
    std::string connect = std::string("CLIENT=100 USER=MON PASSWD=pw LANG=D DEST=") + dest;
    RfcHandle handle = library_->RfcOpenEx(connect.c_str(), &error);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(Call(*library_, handle, false).rows.size(), 48u);
    library_->RfcClose(handle);
  }
  struct {
    const char* connect;
    const char* message;
  } faults[] = {
      {"CLIENT=100 USER=MON PASSWD=bad LANG=D DEST=A1",
       "Name or password is incorrect (repeat logon)"},
      {"CLIENT=100 USER=MON PASSWD=pw LANG=D DEST=B2", "partner 'msprd:sapmsPRD' not reached"},
      {"CLIENT=100 USER=MON PASSWD=pw LANG=D DEST=C1", "SapRfc.ini has no entry DEST=C1"},
  };
  for (const auto& f : faults) {
    SCOPED_TRACE(f.connect);
    std::memset(&error, 0, sizeof error);
    EXPECT_EQ(library_->RfcOpenEx(f.connect, &error), 0u);
    EXPECT_STREQ(error.message, f.message);
    EXPECT_STREQ(error.status, "FAILURE");
    EXPECT_EQ(TraceErrors().back(), f.message);
  }
  EXPECT_TRUE(handlerCalls.empty());
}

// The adapter's own tables, and calls on connections that are not open.
TEST_F(NwRfcAdapterTest, TablesAndBadHandles) {
  EXPECT_EQ(library_->ItCreate("T", 0, 0, 0), nullptr);
  RfcTableHandle table = library_->ItCreate("T", 4, 0, 0);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(library_->ItFill(table), 0u);
  EXPECT_EQ(library_->ItGetLine(table, 1), nullptr);
  EXPECT_EQ(library_->ItDelete(table), 0);
  EXPECT_NE(library_->ItDelete(table), 0);
  EXPECT_EQ(library_->ItFill(table), 0u);

  RfcParameter none[] = {{nullptr, 0, 0, 0, nullptr}};
  RfcTable noTables[] = {{nullptr, 0, 0, 0, nullptr, 0}};
  char* exception = nullptr;
  EXPECT_EQ(library_->RfcCall(42, "GET_CPU_ALL", none, noTables), 1);
  EXPECT_EQ(library_->RfcReceive(42, none, noTables, &exception), 1);
  library_->RfcClose(42);
  library_->RfcClose(0);
  EXPECT_FALSE(fs::exists("Dev_Rfc.Trc"));
}

}  // namespace
}  // namespace qm
