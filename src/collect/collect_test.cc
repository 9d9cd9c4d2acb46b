#include "collect/collect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "collect/structures.h"
#include "collect/test_rows.h"

namespace qm {
namespace {

using testing_rows::MakeTopRow;
using testing_rows::TopRow;

// What the fake library answers.
struct Script {
  int installResult = 0;
  bool createFails = false;
  int callResult = 0;
  int receiveResult = 0;
  const char* exception = nullptr;
  std::vector<std::string> rows;
  std::vector<unsigned> fillAnswers;  // answers of ItFill in turn; then rows.size()
  unsigned failingRow = 0;            // ItGetLine answers null for this row
  int deleteResult = 0;
};

// A parameter or table record as it was passed.
struct Passed {
  std::string name;
  unsigned nameLength, type, length;
  std::string value;  // character parameters only
};

struct CallLog {
  std::vector<std::string> calls;
  std::vector<Passed> exporting, importing, tables;
  const RfcTypeElement* elements = nullptr;
  bool exceptionWasNull = false;
};

Script script;
CallLog callLog;
int tableToken;  // its address is the table handle
const RfcHandle kConnection = 7;
const RfcTypeHandle kTypeHandle = 5;

std::vector<Passed> ParameterList(const RfcParameter* list) {
  std::vector<Passed> passed;
  for (; list->name != nullptr; ++list) {
    std::string value;
    if (list->type == kRfcTypeChar) value.assign(static_cast<char*>(list->address), list->length);
    passed.push_back({list->name, list->nameLength, list->type, list->length, value});
  }
  return passed;
}

std::vector<Passed> TableList(const RfcTable* list) {
  std::vector<Passed> passed;
  for (; list->name != nullptr; ++list) {
    EXPECT_EQ(list->table, &tableToken);
    passed.push_back({list->name, list->nameLength, list->type, list->rowLength, ""});
  }
  return passed;
}

int FakeInstall(const char* name, const RfcTypeElement* elements, unsigned count,
                RfcTypeHandle* handle) {
  callLog.calls.push_back("RfcInstallStructure " + std::string(name) + " " + std::to_string(count));
  callLog.elements = elements;
  if (script.installResult == 0) *handle = kTypeHandle;
  return script.installResult;
}

RfcTableHandle FakeCreate(const char* name, unsigned rowLength, unsigned occurs, unsigned memsize) {
  callLog.calls.push_back("ItCreate " + std::string(name) + " " + std::to_string(rowLength) + " " +
                          std::to_string(occurs) + " " + std::to_string(memsize));
  return script.createFails ? nullptr : &tableToken;
}

int FakeCall(RfcHandle connection, const char* function, RfcParameter* exporting,
             RfcTable* tables) {
  callLog.calls.push_back("RfcCall " + std::to_string(connection) + " " + function);
  callLog.exporting = ParameterList(exporting);
  callLog.tables = TableList(tables);
  return script.callResult;
}

int FakeReceive(RfcHandle connection, RfcParameter* importing, RfcTable* tables, char** exception) {
  callLog.calls.push_back("RfcReceive " + std::to_string(connection));
  callLog.importing = ParameterList(importing);
  EXPECT_EQ(TableList(tables).size(), 1u);
  callLog.exceptionWasNull = *exception == nullptr;
  *exception = const_cast<char*>(script.exception);
  return script.receiveResult;
}

unsigned FakeFill(RfcTableHandle) {
  callLog.calls.push_back("ItFill");
  std::size_t turn = 0;
  for (const std::string& call : callLog.calls) turn += call == "ItFill";
  if (turn <= script.fillAnswers.size()) return script.fillAnswers[turn - 1];
  return static_cast<unsigned>(script.rows.size());
}

void* FakeGetLine(RfcTableHandle, unsigned line) {
  callLog.calls.push_back("ItGetLine " + std::to_string(line));
  if (line == script.failingRow || line > script.rows.size()) return nullptr;
  return script.rows[line - 1].data();
}

int FakeDelete(RfcTableHandle) {
  callLog.calls.push_back("ItDelete");
  return script.deleteResult;
}

RfcLibrary FakeLibrary() {
  RfcLibrary library{};
  library.RfcInstallStructure = FakeInstall;
  library.ItCreate = FakeCreate;
  library.RfcCall = FakeCall;
  library.RfcReceive = FakeReceive;
  library.ItFill = FakeFill;
  library.ItGetLine = FakeGetLine;
  library.ItDelete = FakeDelete;
  return library;
}

// In the program the reporter ends the process; here it leaves the step by
// an exception the test catches.
struct Fatal {
  std::string operation;
};
void ThrowFatal(const char* operation) { throw Fatal{operation}; }

class CollectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    script = Script{};
    callLog = CallLog{};
    rfc_.library = &library_;
    rfc_.reportError = ThrowFatal;
    target_.destination = "PRD";
  }

  int CpuAll() { return CollectCpuAll(rfc_, kConnection, out_, status_); }
  int TopSingle() { return CollectTopSingle(rfc_, kConnection, target_, out_, console_, status_); }
  // The operation text the step reported as fatal, or "" when none.
  template <typename Step>
  std::string FatalOperation(Step step) {
    try {
      step();
    } catch (const Fatal& fatal) {
      return fatal.operation;
    }
    return "";
  }

  RfcLibrary library_ = FakeLibrary();
  RfcAccess rfc_;
  ReadingTarget target_;
  SensorOutput out_;
  StringConsole console_;
  RunStatus status_ = RunStatus::kErr;
};

void ExpectList(const std::vector<Passed>& passed, const std::vector<Passed>& expected) {
  ASSERT_EQ(passed.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(passed[i].name, expected[i].name) << i;
    EXPECT_EQ(passed[i].nameLength, expected[i].nameLength) << expected[i].name;
    EXPECT_EQ(passed[i].type, expected[i].type) << expected[i].name;
    EXPECT_EQ(passed[i].length, expected[i].length) << expected[i].name;
    if (!expected[i].value.empty()) {
      EXPECT_EQ(passed[i].value, expected[i].value) << expected[i].name;
    }
  }
}

const std::vector<Passed> kSent = {
    {"LOCAL_REMOTE", 12, kRfcTypeChar, 6, "LOCAL "},
    {"LOGICAL_DESTINATION", 19, kRfcTypeChar, 32, std::string(32, ' ')},
};

TEST_F(CollectTest, CpuAllCallsInOrderAndFetchesEveryRow) {
  script.rows = {std::string(kCpuAllRowLength, 'a'), std::string(kCpuAllRowLength, 'b')};
  out_.text = "kept";
  EXPECT_EQ(CpuAll(), 0);
  EXPECT_EQ(status_, RunStatus::kOk);
  EXPECT_EQ(out_.text, "kept");
  EXPECT_EQ(callLog.calls, (std::vector<std::string>{
                               "ItCreate TF_CPU_ALL 48 0 0", "RfcInstallStructure CPU_ALL 13",
                               "RfcCall 7 GET_CPU_ALL", "RfcReceive 7", "ItFill", "ItGetLine 1",
                               "ItFill", "ItGetLine 2", "ItFill", "ItDelete"}));
  EXPECT_EQ(callLog.elements, kCpuAllElements);
  ExpectList(callLog.exporting, kSent);
  ExpectList(callLog.tables, {{"TF_CPU_ALL", 10, kTypeHandle, kCpuAllRowLength, ""}});
  ExpectList(callLog.importing, {{"ACTIVEFLAG", 10, 8, 4, ""},
                                 {"DETAILSCOLL", 11, 8, 4, ""},
                                 {"DETAILSMODE", 11, 8, 4, ""},
                                 {"DETAILSREQI", 11, 8, 4, ""},
                                 {"F_CPU_ALL_READ", 14, 0, 3, ""},
                                 {"INTERVAL", 8, 8, 4, ""},
                                 {"LASTCOLLINT", 11, 8, 4, ""},
                                 {"LASTCOLLWRT", 11, 0, 25, ""},
                                 {"NORMCOLLINT", 11, 8, 4, ""},
                                 {"OP_SYSTEM", 9, 0, 52, ""}});
  EXPECT_TRUE(callLog.exceptionWasNull);
}

TEST_F(CollectTest, TopSingleCallsInOrderAndWritesTheReadings) {
  script.rows = {MakeTopRow({"prdadm", "dw.sapPRD", 250, "     100", 3000, 2000}),
                 MakeTopRow({"root", "init", 150, "      20", 1000, 500})};
  EXPECT_EQ(TopSingle(), 0);
  EXPECT_EQ(status_, RunStatus::kOk);
  EXPECT_EQ(callLog.calls, (std::vector<std::string>{
                               "ItCreate TF_TOP_SINGLE 68 0 0", "RfcInstallStructure TOP_SINGLE 11",
                               "RfcCall 7 GET_TOP_SINGLE", "RfcReceive 7", "ItFill", "ItGetLine 1",
                               "ItFill", "ItGetLine 2", "ItFill", "ItDelete"}));
  EXPECT_EQ(callLog.elements, kTopSingleElements);
  ExpectList(callLog.exporting, kSent);
  ExpectList(callLog.tables, {{"TF_TOP_SINGLE", 13, kTypeHandle, kTopSingleRowLength, ""}});
  ExpectList(callLog.importing, {{"ACTIVEFLAG", 10, 8, 4, ""},
                                 {"DETAILSCOLL", 11, 8, 4, ""},
                                 {"DETAILSMODE", 11, 8, 4, ""},
                                 {"DETAILSREQI", 11, 8, 4, ""},
                                 {"F_TOP_SINGLE_READ", 17, 0, 3, ""},
                                 {"INTERVAL", 8, 8, 4, ""},
                                 {"LASTCOLLINT", 11, 8, 4, ""},
                                 {"LASTCOLLWRT", 11, 0, 25, ""},
                                 {"NORMCOLLINT", 11, 8, 4, ""}});
  EXPECT_NE(out_.text.find("<Text>(PRD) System-Procs: CPU-Usage=4%, CPU-Time=120 Sec, "
                           "Working-Set=4 MB, Prv-Pages=2 MB</Text>"),
            std::string::npos)
      << out_.text;
  EXPECT_NE(out_.text.find("<Channel>SID-Usage</Channel>\n<Unit>Custom</Unit>\n"
                           "<CustomUnit>PerCent</CustomUnit>\n<Value>2</Value>"),
            std::string::npos);
}

TEST_F(CollectTest, TopSingleAppliesTheFilterOfTheParameterText) {
  script.rows = {MakeTopRow({"sapadm", "x", 900, "1", 0, 0}),
                 MakeTopRow({"prdadm", "x", 100, "1", 0, 0})};
  target_.parameterText = "USER=SAPADM";
  target_.rawParameterText = "user=sapadm";
  EXPECT_EQ(TopSingle(), 0);
  EXPECT_NE(out_.text.find("(PRD) Active Proc[SAPADM]: CPU-Usage=9%, CPU-Time=1 Sec"),
            std::string::npos)
      << out_.text;
}

TEST_F(CollectTest, EmptyTableIsASuccess) {
  EXPECT_EQ(CpuAll(), 0);
  EXPECT_EQ(status_, RunStatus::kOk);
  EXPECT_EQ(callLog.calls.back(), "ItDelete");
  EXPECT_EQ(callLog.calls[callLog.calls.size() - 2], "ItFill");

  callLog = CallLog{};
  EXPECT_EQ(TopSingle(), 0);
  EXPECT_NE(out_.text.find("CPU-Usage=0%, CPU-Time=0 Sec, Working-Set=0 MB, Prv-Pages=0 MB"),
            std::string::npos);
}

TEST_F(CollectTest, RowCountIsReadAgainBeforeEveryRow) {
  script.rows = {std::string(kCpuAllRowLength, 'a'), std::string(kCpuAllRowLength, 'b')};
  script.fillAnswers = {2, 1};  // the table shrinks after the first row
  EXPECT_EQ(CpuAll(), 0);
  EXPECT_EQ(std::count(callLog.calls.begin(), callLog.calls.end(), "ItGetLine 1"), 1);
  EXPECT_EQ(std::count(callLog.calls.begin(), callLog.calls.end(), "ItGetLine 2"), 0);
}

TEST_F(CollectTest, StructuresAreInstalledOncePerProcess) {
  CpuAll();
  CpuAll();
  TopSingle();
  TopSingle();
  EXPECT_EQ(
      std::count(callLog.calls.begin(), callLog.calls.end(), "RfcInstallStructure CPU_ALL 13"), 1);
  EXPECT_EQ(
      std::count(callLog.calls.begin(), callLog.calls.end(), "RfcInstallStructure TOP_SINGLE 11"),
      1);
  EXPECT_EQ(rfc_.cpuAllType, kTypeHandle);
  EXPECT_EQ(rfc_.topSingleType, kTypeHandle);
}

TEST_F(CollectTest, RemoteFailuresAppendTheirErrorText) {
  const std::string longName(300, 'E');
  struct Case {
    int callResult;
    int receiveResult;
    const char* exception;
    std::string text;
  } cases[] = {
      {0, 1, nullptr, "Error 1014: RFC-Failure raised !"},
      {0, 2, "ABC", "Error 1012: Exception.: ABC"},
      {0, 2, nullptr, "Error 1012: Exception.: "},
      {0, 2, longName.c_str(), "Error 1012: Exception.: " + longName.substr(0, 255)},
      {0, 3, "SYSTEM_FAILURE", "Error 1013: Sys-Exception raised !"},
      {0, 4, nullptr, "Error 1015: Other Failure raised !"},
      {0, -1, nullptr, "Error 1015: Other Failure raised !"},
      {1, 0, nullptr, "Error 1014: RFC-Failure raised !"},
      {2, 0, "NOT_RECEIVED", "Error 1012: Exception.: "},
      {3, 0, nullptr, "Error 1013: Sys-Exception raised !"},
      {9, 0, nullptr, "Error 1015: Other Failure raised !"},
  };
  for (bool topSingle : {false, true}) {
    for (const Case& c : cases) {
      script.callResult = c.callResult;
      script.receiveResult = c.receiveResult;
      script.exception = c.exception;
      callLog = CallLog{};
      out_.text = "<before>";
      status_ = RunStatus::kErr;
      int result = topSingle ? TopSingle() : CpuAll();
      int expected = c.callResult != 0 ? c.callResult : c.receiveResult;
      std::string label = std::to_string(c.callResult) + "/" + std::to_string(c.receiveResult);
      EXPECT_EQ(result, expected) << label;
      EXPECT_EQ(out_.text, "<before>" + c.text) << label;
      EXPECT_EQ(status_, RunStatus::kErr) << label;
      EXPECT_EQ(callLog.calls.back(), "ItDelete") << label;
      bool received = std::count(callLog.calls.begin(), callLog.calls.end(), "RfcReceive 7") > 0;
      EXPECT_EQ(received, c.callResult == 0) << label;
      EXPECT_EQ(std::count(callLog.calls.begin(), callLog.calls.end(), "ItFill"), 0) << label;
      EXPECT_EQ(console_.written, "");
    }
  }
}

TEST_F(CollectTest, LibraryFailuresAreReportedWithTheirOperation) {
  struct Case {
    void (*arrange)();
    const char* cpuAll;
    const char* topSingle;
  } cases[] = {
      {[] { script.installResult = 1; }, "RfcInstallStructure", "RfcInstallStructure"},
      {[] { script.createFails = true; }, "ItCreate TF_CPU_ALL", "ItCreate TF_TOP_SINGLE"},
      {[] { script.failingRow = 2; }, "ItGetLine TF_CPU_ALL", "ItGetLine TF_TOP_SINGLE"},
      {[] { script.deleteResult = 1; }, "ItDelete TF_CPU_ALL", "ItDelete TF_TOP_SINGLE"},
  };
  for (const Case& c : cases) {
    script = Script{};
    script.rows = {MakeTopRow(TopRow{}), MakeTopRow(TopRow{})};
    c.arrange();
    rfc_.cpuAllType = rfc_.topSingleType = 0;
    EXPECT_EQ(FatalOperation([&] { CpuAll(); }), c.cpuAll);
    EXPECT_EQ(FatalOperation([&] { TopSingle(); }), c.topSingle);
  }
  EXPECT_EQ(console_.written, "");  // no readings after a failed row
}

TEST_F(CollectTest, FailedInstallationIsTriedAgainNextTime) {
  script.installResult = 1;
  EXPECT_EQ(FatalOperation([&] { CpuAll(); }), "RfcInstallStructure");
  EXPECT_EQ(rfc_.cpuAllType, 0u);
  script.installResult = 0;
  EXPECT_EQ(CpuAll(), 0);
  EXPECT_EQ(rfc_.cpuAllType, kTypeHandle);
}

TEST_F(CollectTest, GlobalModePrintsOnlyTheItemChannel) {
  script.rows = {MakeTopRow({"u", "x", 4200, "1", 0, 0})};
  target_.globalMode = true;
  target_.globalItem = "CPU-Usage";
  target_.itemLabel = "PRD";
  EXPECT_EQ(TopSingle(), 0);
  EXPECT_TRUE(target_.itemFound);
  EXPECT_EQ(console_.written,
            "\n<Result><Channel>PRD</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>PerCent"
            "</CustomUnit>\n<Value>42</Value></Result>\n");
  EXPECT_EQ(out_.text, "");
}

}  // namespace
}  // namespace qm
