// The adapter over the NetWeaver RFC SDK, run against the SDK's test double
// (nwrfcfake), which plays the stand-in's simulated systems: what the
// adapter delivers must be what the stand-in delivers for the same system.
#include "rfc/nwrfc_adapter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "rfc/nwrfc_probe.h"
#include "rfc/row_structures.h"
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
    thread_local std::string h, c, u, p, l, d;
    thread_local RfcServerRecord server;
    thread_local RfcOptionsRecord options;
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

// Rows of the stand-in's CSV form, for the systems that retype fields.
const std::string kTypedRowsHeader =
    "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES,PROC_ID\n";
const std::string kPlainRows = kTypedRowsHeader +
                               "prdadm,dw.sapPRD,1250,\"  987654\",812000,402000,77\n"
                               "root,sshd,-3,\"      -7\",0,2147483647,8\n";

// Every field type the system may describe gives the rows the stand-in
// gives for the plain figures: integers of every size, NUM, CHAR, STRING,
// packed and floating numbers (decimals cut toward zero), decimal floats.
TEST_F(NwRfcAdapterTest, FieldsAreReadByTheirDescribedTypes) {
  WriteFileBytes("plain.csv", kPlainRows);
  struct {
    std::string fieldTypes;
    std::string rows;
  } cases[] = {
      {"TOP_SINGLE-CPU_TIME:BCD(8,0) TOP_SINGLE-RES_SIZE:INT8 TOP_SINGLE-CPU_UTIL:FLOAT",
       "prdadm,dw.sapPRD,1250.9,987654,812000,402000,77\n"
       "root,sshd,-3.99,-7,0,2147483647,8\n"},
      {"TOP_SINGLE-PRIV_PAGES:DECF34 TOP_SINGLE-RES_SIZE:DECF16 TOP_SINGLE-CPU_TIME:DECF16",
       "prdadm,dw.sapPRD,1250,9.87654E+5,812000.5,4.02E5,77\n"
       "root,sshd,-3,-7.9,0,2147483647.25,8\n"},
      {"TOP_SINGLE-CPU_UTIL:CHAR(10) TOP_SINGLE-USERNAME:STRING TOP_SINGLE-COMMAND:CHAR(40) "
       "TOP_SINGLE-CPU_TIME:INT TOP_SINGLE-PROC_ID:NUM(10)",
       "prdadm,dw.sapPRD,\" 1250 \",987654,812000,402000,77\n"
       "root,sshd,-3,-7,0,2147483647,8\n"},
      {"TOP_SINGLE-CPU_UTIL:INT2 TOP_SINGLE-PROC_ID:INT1 TOP_SINGLE-CPU_TIME:BCD(6,2) "
       "TOP_SINGLE-RES_SIZE:NUM(8) TOP_SINGLE-PRIV_PAGES:STRING",
       "prdadm,dw.sapPRD,1250,987654.99,00812000,402000,77\n"
       "root,sshd,-3,-7.5,0,2147483647,8\n"},
  };
  WriteFileBytes("land.ini", "[PLAIN]\nhost = plain\nsysnr = 0\ntop = plain.csv\n");
  const RfcLibrary& standIn = *RfcSimLibrary();
  CallResult expected = Call(standIn, Open(standIn, "plain", 0), true);
  ASSERT_EQ(expected.result, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fieldTypes);
    WriteFileBytes("typed.csv", kTypedRowsHeader + c.rows);
    WriteFileBytes("land.ini", "[TYPED]\nhost = typed\nsysnr = 0\ntop = typed.csv\nfield_types = " +
                                   c.fieldTypes + "\n");
    fakeReset_();
    CallResult got = Call(*library_, Open(*library_, "typed", 0), true);
    ASSERT_EQ(got.result, 0) << LastError(*library_).message;
    EXPECT_TRUE(got.rows == expected.rows);
  }
  EXPECT_FALSE(fs::exists("Dev_Rfc.Trc"));
}

// A reading whose value cannot be delivered exactly fails the receive with
// result 1, no rows and a trace text naming structure, field, type and
// value; other fields keep 0 or blanks in the same case.
TEST_F(NwRfcAdapterTest, ReadingThatCannotBeDeliveredFailsTheReceive) {
  struct {
    std::string keys;
    std::string row;
    std::string trace;
  } cases[] = {
      {"missing_fields = TOP_SINGLE-RES_SIZE", "prdadm,dw.sap,1,\"       1\",1,1,1",
       "TOP_SINGLE-RES_SIZE: the system does not describe this field"},
      {"field_types = TOP_SINGLE-CPU_UTIL:CHAR", "prdadm,dw.sap,x7,\"       1\",1,1,1",
       "TOP_SINGLE-CPU_UTIL: CHAR value 'x7' is not a number"},
      {"field_types = TOP_SINGLE-RES_SIZE:INT8", "prdadm,dw.sap,1,\"       1\",4294967296,1,1",
       "TOP_SINGLE-RES_SIZE: INT8 value 4294967296 does not fit 4 bytes"},
      {"field_types = TOP_SINGLE-CPU_TIME:BCD(8,0)", "prdadm,dw.sap,1,123456789,1,1,1",
       "TOP_SINGLE-CPU_TIME: BCD value 123456789 does not fit 8 characters"},
      {"field_types = TOP_SINGLE-PRIV_PAGES:FLOAT", "prdadm,dw.sap,1,1,1,-3e9,1",
       "TOP_SINGLE-PRIV_PAGES: FLOAT value -3000000000 does not fit 4 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    fs::remove("Dev_Rfc.Trc");
    // The first row is good, so a receive that fails later takes it back.
    WriteFileBytes("typed.csv", kTypedRowsHeader + "root,sshd,0,0,0,0,0\n" + c.row + "\n");
    WriteFileBytes("land.ini",
                   "[TYPED]\nhost = typed\nsysnr = 0\ntop = typed.csv\n" + c.keys + "\n");
    fakeReset_();
    CallResult got = Call(*library_, Open(*library_, "typed", 0), true);
    EXPECT_EQ(got.result, 1);
    EXPECT_TRUE(got.rows.empty());
    EXPECT_EQ(TraceErrors(), std::vector<std::string>{c.trace});
    EXPECT_STREQ(LastError(*library_).key, "RfcReceive");
    EXPECT_STREQ(LastError(*library_).message, c.trace.c_str());
  }
  // Fields the readings do not use: 0 when missing or beyond their width.
  WriteFileBytes("typed.csv", kTypedRowsHeader + "root,sshd,5,1,1,1,4294967296\n");
  WriteFileBytes("land.ini",
                 "[TYPED]\nhost = typed\nsysnr = 0\ntop = typed.csv\n"
                 "missing_fields = TOP_SINGLE-PRIORITY\nfield_types = TOP_SINGLE-PROC_ID:INT8\n");
  fakeReset_();
  CallResult got = Call(*library_, Open(*library_, "typed", 0), true);
  ASSERT_EQ(got.result, 0);
  ASSERT_EQ(got.rows.size(), 68u);
  std::int32_t procId = -1, cpuUtil = -1;
  std::memcpy(&procId, got.rows.data() + 8, 4);
  std::memcpy(&cpuUtil, got.rows.data() + 44, 4);
  EXPECT_EQ(procId, 0);
  EXPECT_EQ(cpuUtil, 5);
}

// The double reads values only as the SDK's getters do: an INT8 is no
// RFC_INT, a CHAR is read by RfcGetInt the way atoi reads it (which is why
// the adapter never reads a CHAR with RfcGetInt), RfcGetNum takes no
// negative number, and a buffer too small is refused.
TEST_F(NwRfcAdapterTest, DoubleConvertsOnlyAsTheSdkDoes) {
  WriteFileBytes("typed.csv", kTypedRowsHeader + "prdadm,dw.sap,x7,-7,4294967296,1.5,77\n");
  WriteFileBytes("land.ini",
                 "[TYPED]\nhost = typed\nsysnr = 0\ntop = typed.csv\nfield_types = "
                 "TOP_SINGLE-CPU_UTIL:CHAR(4) TOP_SINGLE-CPU_TIME:BCD(4,1) "
                 "TOP_SINGLE-RES_SIZE:INT8 TOP_SINGLE-PRIV_PAGES:DECF16\n");
  const std::u16string ashost = u"ashost", typed = u"typed", sysnr = u"sysnr", zero = u"00";
  RFC_CONNECTION_PARAMETER parameters[] = {{ashost.c_str(), typed.c_str()},
                                           {sysnr.c_str(), zero.c_str()}};
  RFC_ERROR_INFO info{};
  EXPECT_EQ(api_.RfcOpenConnection(parameters, 0, &info), nullptr);
  EXPECT_EQ(info.code, RFC_INVALID_PARAMETER);
  RFC_CONNECTION_HANDLE connection = api_.RfcOpenConnection(parameters, 2, &info);
  ASSERT_NE(connection, nullptr);
  RFC_FUNCTION_DESC_HANDLE description =
      api_.RfcGetFunctionDesc(connection, u"GET_TOP_SINGLE", &info);
  RFC_FUNCTION_HANDLE function = api_.RfcCreateFunction(description, &info);
  ASSERT_EQ(api_.RfcInvoke(connection, function, &info), RFC_OK);
  RFC_TABLE_HANDLE table = nullptr;
  ASSERT_EQ(api_.RfcGetTable(function, u"TF_TOP_SINGLE", &table, &info), RFC_OK);
  ASSERT_EQ(api_.RfcMoveTo(table, 0, &info), RFC_OK);

  RFC_INT number = -1;
  RFC_INT8 big = 0;
  RFC_FLOAT floating = 0;
  EXPECT_EQ(api_.RfcGetInt(table, u"RES_SIZE", &number, &info), RFC_CONVERSION_FAILURE);
  EXPECT_EQ(api_.RfcGetInt8(table, u"RES_SIZE", &big, &info), RFC_OK);
  EXPECT_EQ(big, 4294967296LL);
  EXPECT_EQ(api_.RfcGetInt(table, u"CPU_UTIL", &number, &info), RFC_OK);
  EXPECT_EQ(number, 0);  // "x7" as atoi reads it
  EXPECT_EQ(api_.RfcGetFloat(table, u"CPU_TIME", &floating, &info), RFC_OK);
  EXPECT_EQ(floating, -7.0);
  EXPECT_EQ(api_.RfcGetFloat(table, u"PRIV_PAGES", &floating, &info), RFC_CONVERSION_FAILURE);
  SAP_UC text[16];
  unsigned length = 0;
  EXPECT_EQ(api_.RfcGetString(table, u"CPU_TIME", text, 16, &length, &info), RFC_OK);
  EXPECT_EQ(std::u16string(text, length), u"-7.0");
  EXPECT_EQ(api_.RfcGetString(table, u"CPU_TIME", text, 4, &length, &info), RFC_BUFFER_TOO_SMALL);
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(api_.RfcGetNum(table, u"CPU_TIME", text, 8, &info), RFC_CONVERSION_FAILURE);
  EXPECT_EQ(api_.RfcGetNum(table, u"PROC_ID", text, 4, &info), RFC_OK);
  EXPECT_EQ(std::u16string(text, 4), u"0077");
  EXPECT_EQ(api_.RfcGetChars(table, u"CPU_UTIL", text, 3, &info), RFC_BUFFER_TOO_SMALL);
  EXPECT_EQ(api_.RfcGetChars(table, u"NO_SUCH", text, 8, &info), RFC_INVALID_PARAMETER);
  RFC_FIELD_DESC field{};
  RFC_PARAMETER_DESC parameter{};
  ASSERT_EQ(api_.RfcGetParameterDescByName(description, u"TF_TOP_SINGLE", &parameter, &info),
            RFC_OK);
  ASSERT_EQ(api_.RfcGetFieldDescByName(parameter.typeDescHandle, u"CPU_TIME", &field, &info),
            RFC_OK);
  EXPECT_EQ(field.type, RFCTYPE_BCD);
  EXPECT_EQ(field.nucLength, 4u);
  EXPECT_EQ(field.decimals, 1u);
  api_.RfcDestroyFunction(function, &info);
  api_.RfcCloseConnection(connection, &info);
}

// A function module the system does not have: the SDK's metadata lookup
// raises FU_NOT_FOUND, an exception for the program.
TEST_F(NwRfcAdapterTest, MissingFunctionModuleIsAnException) {
  WriteFileBytes("land.ini", "[S]\nhost = s\nsysnr = 0\nGET_TOP_SINGLE = missing\n");
  RfcHandle handle = Open(*library_, "s", 0);
  CallResult got = Call(*library_, handle, true);
  EXPECT_EQ(got.result, 2);
  EXPECT_EQ(got.exception, "FU_NOT_FOUND");
  EXPECT_EQ(Call(*library_, handle, false).result, 0);
  EXPECT_FALSE(fs::exists("Dev_Rfc.Trc"));
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

// Every logon parameter of the SapRfc.ini entry reaches the SDK: SNC where
// the system demands it, a SAProuter in front of the system (as a
// parameter or in front of the host), and values the SDK refuses fail the
// open with the SDK's message in the trace file. The double logs each open
// with the password hidden, and the password is in no file the run writes.
TEST_F(NwRfcAdapterTest, EnterpriseLogonThroughSapRfcIni) {
  WriteFileBytes("land.ini",
                 "[SNC]\nhost = sapsnc\nsysnr = 0\nsnc = p:CN=SNC, O=Example\n"
                 "logon = MON Secret99\ncpu = synthetic 1\n"
                 "[RT]\nhost = saprt\nsysnr = 0\nrouter = /H/gate/S/3299/H/\ncpu = synthetic 1\n");
  WriteFileBytes("snclib", "");
  const std::string snc = "TYPE=A\nASHOST=sapsnc\nSYSNR=00\n";
  const std::string sncKeys = "SNC_MODE=1\nSNC_PARTNERNAME=p:CN=SNC, O=Example\nSNC_LIB=snclib\n";
  struct {
    std::string entry;
    std::string fault;  // empty: the open succeeds
  } cases[] = {
      {snc + sncKeys + "SNC_QOP=9\n", ""},
      {snc, "SNC with partner name p:CN=SNC, O=Example is required"},
      {snc + "SNC_MODE=1\nSNC_PARTNERNAME=p:cn=SNC, O=Example\nSNC_LIB=snclib\n",
       "SNC with partner name p:CN=SNC, O=Example is required"},
      {snc + "SNC_MODE=1\nSNC_PARTNERNAME=p:CN=SNC, O=Example\nSNC_LIB=nosuch\n",
       "SNC library not found: nosuch"},
      {snc + sncKeys + "SNC_QOP=5\n", "Invalid value '5' for parameter SNC_QOP"},
      {"TYPE=A\nASHOST=saprt\nSYSNR=00\nSAPROUTER=/H/gate/S/3299/H/\n", ""},
      {"TYPE=A\nASHOST=/H/gate/S/3299/H/saprt\nSYSNR=00\n", ""},
      {"TYPE=A\nASHOST=saprt\nSYSNR=00\n",
       "partner 'saprt:sapgw00' not reached (the system lies behind SAProuter /H/gate/S/3299/H/)"},
      {"TYPE=A\nASHOST=/H/other/S/3299/H/saprt\nSYSNR=00\n",
       "partner '/H/other/S/3299/H/saprt:sapgw00' not reached (the system lies behind SAProuter "
       "/H/gate/S/3299/H/)"},
  };
  SetVariable("RFCSIM_LOG", (dir_ / "calls.log").string());
  fakeReset_();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    fs::remove("Dev_Rfc.Trc");
    WriteFileBytes("SapRfc.ini", "DEST=PRD\n" + c.entry);
    RfcErrorInfo error{};
    RfcHandle handle =
        library_->RfcOpenEx("CLIENT=100 USER=MON PASSWD=Secret99 LANG=D DEST=PRD", &error);
    if (c.fault.empty()) {
      ASSERT_NE(handle, 0u) << error.message;
      EXPECT_EQ(Call(*library_, handle, false).result, 0);
      library_->RfcClose(handle);
      continue;
    }
    EXPECT_EQ(handle, 0u);
    EXPECT_STREQ(error.message, c.fault.c_str());
    EXPECT_EQ(TraceErrors(), std::vector<std::string>{c.fault});
  }
  ClearVariable("RFCSIM_LOG");
  std::string log = ReadFileBytes("calls.log");
  EXPECT_EQ(log.substr(0, log.find('\n')),
            "RfcOpenConnection ashost=[sapsnc] sysnr=[00] snc_mode=[1] "
            "snc_partnername=[p:CN=SNC, O=Example] snc_lib=[snclib] snc_qop=[9] client=[100] "
            "user=[MON] passwd=*** lang=[D]");
  EXPECT_EQ(log.find("Secret99"), std::string::npos);
}

// RfcOpen without a host looks the destination up in SapRfc.ini (under
// the lock of a connect-string run); without an entry there the SDK's own
// sapnwrfc.ini decides.
TEST_F(NwRfcAdapterTest, DestinationOnlyOpens) {
  WriteFileBytes("land.ini",
                 "[PRD]\nhost = sapprd\nsysnr = 0\nmshost = msprd\nr3name = PRD\n"
                 "logon = MONITOR secret\ncpu = synthetic 1\n");
  WriteFileBytes("SapRfc.ini", "DEST=PRD\nTYPE=B\nMSHOST=msprd\nR3NAME=PRD\n");
  WriteFileBytes("sapnwrfc.ini", "DEST=INI\nASHOST=sapprd\nSYSNR=00\n");
  static std::string client = "100", user = "MONITOR     ", password = "secret    ", lang = "E";
  auto open = [&](std::string dest) {
    static std::string held;
    held = dest;
    static RfcServerRecord server;
    static RfcOptionsRecord options;
    server = RfcServerRecord{nullptr, 0, nullptr, nullptr};
    options = RfcOptionsRecord{held.data(),     0,           &server, client.data(), user.data(),
                               password.data(), lang.data(), 0};
    return library_->RfcOpen(&options);
  };
  for (const char* dest : {"PRD", "INI"}) {
    RfcHandle handle = open(dest);
    ASSERT_NE(handle, 0u) << dest;
    EXPECT_EQ(Call(*library_, handle, false).result, 0) << dest;
    library_->RfcClose(handle);
  }
  EXPECT_TRUE(fs::exists("SapRfc.lck"));
  EXPECT_EQ(open("NONE"), 0u);
  EXPECT_EQ(TraceErrors(),
            std::vector<std::string>{"Parameter ASHOST, GWHOST, MSHOST or PORT is missing."});
}

// A SapRfc.ini larger than any a connect-string run writes is not read:
// both kinds of open fail with that reason.
TEST_F(NwRfcAdapterTest, OversizedSapRfcIniIsNotRead) {
  WriteFileBytes("land.ini", "[PRD]\nhost = sapprd\nsysnr = 0\n");
  WriteFileBytes("SapRfc.ini",
                 "DEST=PRD\nTYPE=A\nASHOST=sapprd\nSYSNR=00\n" + std::string(1024 * 1024, '#'));
  RfcErrorInfo error{};
  EXPECT_EQ(library_->RfcOpenEx("CLIENT=100 USER=U PASSWD=p LANG=D DEST=PRD", &error), 0u);
  EXPECT_STREQ(error.message, "SapRfc.ini is larger than 1048576 bytes");
  static char dest[] = "PRD", client[] = "100", user[] = "U", password[] = "p", lang[] = "E";
  static RfcServerRecord server{nullptr, 0, nullptr, nullptr};
  static RfcOptionsRecord options{dest, 0, &server, client, user, password, lang, 0};
  EXPECT_EQ(library_->RfcOpen(&options), 0u);
  EXPECT_EQ(TraceErrors(), std::vector<std::string>(2, "SapRfc.ini is larger than 1048576 bytes"));
}

// The adapter's own tables, and calls on connections that are not open.
// Threads at once, each on a connection of its own, as the workers of a
// global run: every thread gets its own system's rows, and its own
// exception text and last error, however the calls interleave; opens that
// fail together leave one whole trace entry each.
TEST_F(NwRfcAdapterTest, ThreadsWorkOnConnectionsOfTheirOwn) {
  WriteFileBytes("land.ini",
                 "[A]\nhost = a\nsysnr = 1\ntop = synthetic 50\n"
                 "[B]\nhost = b\nsysnr = 2\ntop = synthetic 37\n"
                 "[X]\nhost = x\nsysnr = 3\nGET_TOP_SINGLE = exception FIRST_KEY\n"
                 "[Y]\nhost = y\nsysnr = 4\nGET_TOP_SINGLE = system_exception SECOND_KEY\n");
  const RfcLibrary& library = *library_;
  const std::vector<unsigned char> rowsOfA = Call(library, Open(library, "a", 1), true).rows;
  const std::vector<unsigned char> rowsOfB = Call(library, Open(library, "b", 2), true).rows;
  ASSERT_FALSE(rowsOfA.empty());
  ASSERT_NE(rowsOfA, rowsOfB);

  enum class Outcome { kRows, kException, kNotReached };
  struct Worker {
    const char* host;
    int sysnr;
    Outcome outcome;
    const std::vector<unsigned char>* rows;
    const char* key;
  };
  const Worker workers[] = {{"a", 1, Outcome::kRows, &rowsOfA, ""},
                            {"b", 2, Outcome::kRows, &rowsOfB, ""},
                            {"x", 3, Outcome::kException, nullptr, "FIRST_KEY"},
                            {"y", 4, Outcome::kException, nullptr, "SECOND_KEY"},
                            {"nowhere", 9, Outcome::kNotReached, nullptr, ""}};
  constexpr int kCopies = 10;
  constexpr int kRounds = 300;
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int copy = 0; copy < kCopies; ++copy) {
    const Worker& w = workers[copy % std::size(workers)];
    threads.emplace_back([&library, &wrong, w] {
      for (int round = 0; round < kRounds; ++round) {
        RfcHandle handle = Open(library, w.host, w.sysnr);
        if (w.outcome == Outcome::kNotReached) {
          if (handle != 0) ++wrong;
          continue;
        }
        CallResult got = Call(library, handle, true);
        bool own = w.outcome == Outcome::kRows ? got.result == 0 && got.rows == *w.rows
                                               : got.result != 0 && got.exception == w.key &&
                                                     std::string(LastError(library).key) == w.key;
        if (!own) ++wrong;
        library.RfcClose(handle);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong, 0);

  const std::string notReached = "partner 'nowhere:sapgw09' not reached";
  std::vector<std::string> errors = TraceErrors();
  EXPECT_EQ(std::count(errors.begin(), errors.end(), notReached),
            kCopies / std::size(workers) * kRounds);
  std::string trace = ReadFileBytes("Dev_Rfc.Trc");
  EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'),
            2 * static_cast<std::ptrdiff_t>(errors.size()));
}

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

// ---------------------------------------------------------------------------
// What the setup check asks beyond the classic operations.

// The row type as the system describes it, in its order: retyped fields
// with their SDK types, a missing field left out; a call is answered.
TEST_F(NwRfcAdapterTest, ProbeReadsTheRowTypeAsTheSystemDescribesIt) {
  WriteFileBytes("land.ini",
                 "[S]\nhost = s\nsysnr = 0\ntop = synthetic 2\n"
                 "field_types = TOP_SINGLE-RES_SIZE:INT8 TOP_SINGLE-CPU_TIME:BCD(10,2)\n"
                 "missing_fields = TOP_SINGLE-PRIORITY\n");
  FunctionProbe probe = ProbeFunction(Open(*library_, "s", 0), "GET_TOP_SINGLE", "TF_TOP_SINGLE");
  EXPECT_EQ(probe.description, RemoteAnswer::kOk);
  EXPECT_EQ(probe.call, RemoteAnswer::kOk) << probe.callError;
  ASSERT_TRUE(probe.tableDescribed) << probe.tableError;
  std::vector<std::string> names;
  for (const DescribedField& field : probe.fields) names.push_back(field.name);
  EXPECT_EQ(names, (std::vector<std::string>{"TYPE", "SUBTYPE", "SERIALNR", "PROC_ID", "USERNAME",
                                             "COMMAND", "CPU_UTIL", "CPU_TIME", "RES_SIZE",
                                             "PRIV_PAGES"}));
  EXPECT_EQ(probe.fields[4].type, RFCTYPE_CHAR);
  EXPECT_EQ(probe.fields[4].length, 12u);
  EXPECT_EQ(probe.fields[7].type, RFCTYPE_BCD);
  EXPECT_EQ(probe.fields[7].length, 10u);
  EXPECT_EQ(probe.fields[7].decimals, 2u);
  EXPECT_EQ(probe.fields[8].type, RFCTYPE_INT8);
}

// A missing function module, a refused call, a logon fault: each told
// apart, the password in none of the texts.
TEST_F(NwRfcAdapterTest, ProbeTellsWhyAFunctionCannotBeUsed) {
  WriteFileBytes("land.ini",
                 "[GONE]\nhost = gone\nsysnr = 0\nGET_CPU_ALL = missing\n"
                 "[DENIED]\nhost = denied\nsysnr = 0\n"
                 "GET_CPU_ALL = system_exception RFC_NO_AUTHORITY\n"
                 "[LOCKED]\nhost = locked\nsysnr = 0\nlogon = MONITOR secret\n");
  FunctionProbe gone = ProbeFunction(Open(*library_, "gone", 0), "GET_CPU_ALL", "TF_CPU_ALL");
  EXPECT_EQ(gone.description, RemoteAnswer::kNotFound);
  EXPECT_EQ(gone.descriptionError.rfind("FU_NOT_FOUND: ", 0), 0u) << gone.descriptionError;

  FunctionProbe denied = ProbeFunction(Open(*library_, "denied", 0), "GET_CPU_ALL", "TF_CPU_ALL");
  EXPECT_EQ(denied.description, RemoteAnswer::kOk);
  EXPECT_TRUE(denied.tableDescribed);
  EXPECT_EQ(denied.call, RemoteAnswer::kNotAuthorised);
  EXPECT_EQ(denied.callError, "RFC_NO_AUTHORITY");

  RfcHandle locked = Open(*library_, "locked", 0, "MONITOR     ", "wrong     ");
  const std::string fault = "RFC_LOGON_FAILURE: Name or password is incorrect (repeat logon)";
  EXPECT_EQ(AdapterLogonFault(locked), fault);
  EXPECT_EQ(AdapterLogonFault(Open(*library_, "gone", 0)), "");
  FunctionProbe refused = ProbeFunction(locked, "GET_CPU_ALL", "TF_CPU_ALL");
  EXPECT_EQ(refused.description, RemoteAnswer::kFailed);
  EXPECT_EQ(refused.descriptionError, fault);
  EXPECT_EQ(ProbeFunction(999, "GET_CPU_ALL", "TF_CPU_ALL").description, RemoteAnswer::kFailed);
}

// The adapter tells the SDK's version; the record is known as the
// adapter's, another is not.
TEST_F(NwRfcAdapterTest, VersionAndRecord) {
  LibraryVersion version = VersionOf(*library_);
  EXPECT_TRUE(version.told);
  EXPECT_EQ(version.text, "Quillmark test double of the NetWeaver RFC SDK 7.50");
  EXPECT_EQ(version.major, 7500u);
  EXPECT_EQ(version.patchLevel, 0u);
  EXPECT_TRUE(IsNwRfcAdapter(library_));
  EXPECT_FALSE(IsNwRfcAdapter(RfcSimLibrary()));
  EXPECT_FALSE(VersionOf(*RfcSimLibrary()).told);
}

}  // namespace
}  // namespace qm
