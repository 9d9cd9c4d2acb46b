#include "collect/collect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rfc/row_structures.h"
#include "test_rows.h"

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

class CollectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    script = Script{};
    callLog = CallLog{};
    rfc_.library = &library_;
  }

  StepOutcome CpuAll() { return CollectCpuAll(rfc_, kConnection); }
  ProcessOutcome TopSingle(const std::string& parameters = "") {
    return CollectTopSingle(rfc_, kConnection,
                            MakeRowSelection(ProcessFilterOf(ParseParameters(parameters)), "PRD"));
  }

  RfcLibrary library_ = FakeLibrary();
  RfcAccess rfc_;
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
  StepOutcome outcome = CpuAll();
  EXPECT_EQ(outcome.result, StepResult::kOk);
  EXPECT_EQ(outcome.rfcResult, 0);
  EXPECT_EQ(outcome.errorText, "");
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

TEST_F(CollectTest, TopSingleCallsInOrderAndSumsEveryRow) {
  script.rows = {MakeTopRow({"prdadm", "dw.sapPRD", 250, "     100", 3000, 2000}),
                 MakeTopRow({"root", "init", 150, "      20", 1000, 500})};
  ProcessOutcome outcome = TopSingle();
  EXPECT_EQ(outcome.step.result, StepResult::kOk);
  EXPECT_TRUE(outcome.rowsComplete);
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
  EXPECT_EQ(outcome.totals.cpuUtilSum, 400);
  EXPECT_EQ(outcome.totals.systemCpuUtilSum, 250);
  EXPECT_EQ(outcome.totals.cpuTimeSum, 120);
  EXPECT_EQ(outcome.totals.residentSizeSum, 4000);
  EXPECT_EQ(outcome.totals.privatePagesSum, 2500);
}

TEST_F(CollectTest, TopSingleAppliesTheFilterOfTheParameterText) {
  script.rows = {MakeTopRow({"sapadm", "x", 900, "1", 0, 0}),
                 MakeTopRow({"prdadm", "x", 100, "1", 0, 0})};
  ProcessOutcome outcome = TopSingle("user=sapadm");
  EXPECT_EQ(outcome.totals.cpuUtilSum, 900);
  EXPECT_EQ(outcome.totals.cpuTimeSum, 1);
}

TEST_F(CollectTest, EmptyTableIsASuccess) {
  EXPECT_EQ(CpuAll().result, StepResult::kOk);
  EXPECT_EQ(callLog.calls.back(), "ItDelete");
  EXPECT_EQ(callLog.calls[callLog.calls.size() - 2], "ItFill");

  callLog = CallLog{};
  ProcessOutcome outcome = TopSingle();
  EXPECT_EQ(outcome.step.result, StepResult::kOk);
  EXPECT_TRUE(outcome.rowsComplete);
  EXPECT_EQ(outcome.totals.cpuUtilSum + outcome.totals.residentSizeSum, 0);
}

TEST_F(CollectTest, RowCountIsReadAgainBeforeEveryRow) {
  script.rows = {std::string(kCpuAllRowLength, 'a'), std::string(kCpuAllRowLength, 'b')};
  script.fillAnswers = {2, 1};  // the table shrinks after the first row
  EXPECT_EQ(CpuAll().result, StepResult::kOk);
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
    std::string exceptionText;  // kept apart for the setup check
  } cases[] = {
      {0, 1, nullptr, "Error 1014: RFC-Failure raised !", ""},
      {0, 2, "ABC", "Error 1012: Exception.: ABC", "ABC"},
      {0, 2, nullptr, "Error 1012: Exception.: ", ""},
      {0, 2, longName.c_str(), "Error 1012: Exception.: " + longName.substr(0, 255),
       longName.substr(0, 255)},
      {0, 3, "SYSTEM_FAILURE", "Error 1013: Sys-Exception raised !", "SYSTEM_FAILURE"},
      {0, 4, nullptr, "Error 1015: Other Failure raised !", ""},
      {0, -1, nullptr, "Error 1015: Other Failure raised !", ""},
      {1, 0, nullptr, "Error 1014: RFC-Failure raised !", ""},
      {2, 0, "NOT_RECEIVED", "Error 1012: Exception.: ", ""},
      {3, 0, nullptr, "Error 1013: Sys-Exception raised !", ""},
      {9, 0, nullptr, "Error 1015: Other Failure raised !", ""},
  };
  for (bool topSingle : {false, true}) {
    for (const Case& c : cases) {
      script.callResult = c.callResult;
      script.receiveResult = c.receiveResult;
      script.exception = c.exception;
      callLog = CallLog{};
      ProcessOutcome top;
      if (topSingle) top = TopSingle();
      StepOutcome outcome = topSingle ? top.step : CpuAll();
      int expected = c.callResult != 0 ? c.callResult : c.receiveResult;
      std::string label = std::to_string(c.callResult) + "/" + std::to_string(c.receiveResult);
      EXPECT_EQ(outcome.result, StepResult::kRemoteFailure) << label;
      EXPECT_EQ(outcome.rfcResult, expected) << label;
      EXPECT_EQ(outcome.errorText, c.text) << label;
      EXPECT_EQ(outcome.exceptionText, c.exceptionText) << label;
      EXPECT_FALSE(top.rowsComplete) << label;
      EXPECT_EQ(callLog.calls.back(), "ItDelete") << label;
      bool received = std::count(callLog.calls.begin(), callLog.calls.end(), "RfcReceive 7") > 0;
      EXPECT_EQ(received, c.callResult == 0) << label;
      EXPECT_EQ(std::count(callLog.calls.begin(), callLog.calls.end(), "ItFill"), 0) << label;
    }
  }
}

// A library failure ends the step at once: no library call follows the one
// that failed (the RFC error report ends the process after it).
TEST_F(CollectTest, LibraryFailuresNameTheirOperationAndEndTheStep) {
  struct Case {
    void (*arrange)();
    const char* cpuAll;
    const char* topSingle;
    const char* lastCall;
    bool rowsComplete;
  } cases[] = {
      {[] { script.installResult = 1; }, "RfcInstallStructure", "RfcInstallStructure",
       "RfcInstallStructure", false},
      {[] { script.createFails = true; }, "ItCreate TF_CPU_ALL", "ItCreate TF_TOP_SINGLE",
       "ItCreate", false},
      {[] { script.failingRow = 2; }, "ItGetLine TF_CPU_ALL", "ItGetLine TF_TOP_SINGLE",
       "ItGetLine 2", false},
      {[] { script.deleteResult = 1; }, "ItDelete TF_CPU_ALL", "ItDelete TF_TOP_SINGLE", "ItDelete",
       true},
  };
  for (const Case& c : cases) {
    script = Script{};
    script.rows = {MakeTopRow(TopRow{"u", "x", 100}), MakeTopRow(TopRow{"u", "x", 200})};
    c.arrange();
    rfc_.cpuAllType = rfc_.topSingleType = 0;
    callLog = CallLog{};
    StepOutcome cpu = CpuAll();
    EXPECT_EQ(cpu.result, StepResult::kLibraryFailure) << c.cpuAll;
    EXPECT_EQ(cpu.failedOperation, c.cpuAll);
    EXPECT_EQ(callLog.calls.back().rfind(c.lastCall, 0), 0u) << callLog.calls.back();
    rfc_.cpuAllType = rfc_.topSingleType = 0;
    callLog = CallLog{};
    ProcessOutcome top = TopSingle();
    EXPECT_EQ(top.step.result, StepResult::kLibraryFailure) << c.topSingle;
    EXPECT_EQ(top.step.failedOperation, c.topSingle);
    EXPECT_EQ(callLog.calls.back().rfind(c.lastCall, 0), 0u) << callLog.calls.back();
    // Only a failed deletion comes after every row was summed.
    EXPECT_EQ(top.rowsComplete, c.rowsComplete) << c.topSingle;
    if (c.rowsComplete) {
      EXPECT_EQ(top.totals.cpuUtilSum, 300);
    }
  }
}

TEST_F(CollectTest, FailedInstallationIsTriedAgainNextTime) {
  script.installResult = 1;
  EXPECT_EQ(CpuAll().failedOperation, "RfcInstallStructure");
  EXPECT_EQ(rfc_.cpuAllType, 0u);
  script.installResult = 0;
  EXPECT_EQ(CpuAll().result, StepResult::kOk);
  EXPECT_EQ(rfc_.cpuAllType, kTypeHandle);
}

}  // namespace
}  // namespace qm
