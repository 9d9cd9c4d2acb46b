#include "landscape.h"

#include <gtest/gtest.h>

#include <iterator>

#include "lookup.h"

namespace rfcsim {
namespace {

TEST(LandscapeTest, ReadsSystemsKeysCommentsAndCrLf) {
  Landscape landscape = ParseLandscape(
      "# comment\r\n"
      "; another\r\n"
      "[PRD]\r\n"
      "  HOST =  sap01  \r\n"
      "SysNr=00\r\n"
      "gwhost = gw01\n"
      "gwservice = sapgw00\n"
      "client = 000  100\n"
      "logon = monitor  secret word \n"
      "LOGON = admin\n"
      "top = rows/prd.csv\n"
      "cpu = synthetic 5\n"
      "GET_CPU_ALL = failure  No answer from collector\n"
      "get_top_single = exception NOT_FOUND\n"
      "abort = RfcCall connection lost\n"
      "delay_ms = 250\n"
      "\n"
      "[ QAS ]\n"
      "top = /abs/qas.csv\n"
      "GET_TOP_SINGLE = call_code 4\n",
      "/land/");
  ASSERT_EQ(landscape.systems.size(), 2u);
  EXPECT_TRUE(landscape.problems.empty()) << landscape.problems[0];

  const System& prd = landscape.systems[0];
  EXPECT_EQ(prd.name, "PRD");
  EXPECT_EQ(prd.host, "sap01");
  EXPECT_TRUE(prd.hasSysnr);
  EXPECT_EQ(prd.sysnr, 0);
  EXPECT_EQ(prd.gwhost, "gw01");
  EXPECT_EQ(prd.gwservice, "sapgw00");
  EXPECT_FALSE(prd.anyClient);
  EXPECT_EQ(prd.clients, (std::vector<std::string>{"000", "100"}));
  ASSERT_EQ(prd.logons.size(), 2u);
  EXPECT_EQ(prd.logons[0].user, "monitor");
  EXPECT_EQ(prd.logons[0].password, "secret word");
  EXPECT_EQ(prd.logons[1].user, "admin");
  EXPECT_EQ(prd.logons[1].password, "");
  EXPECT_EQ(prd.top.kind, RowSource::kCsv);
  EXPECT_EQ(prd.top.text, "rows/prd.csv");
  EXPECT_EQ(prd.top.path, "/land/rows/prd.csv");
  EXPECT_EQ(prd.cpu.kind, RowSource::kSynthetic);
  EXPECT_EQ(prd.cpu.count, 5u);
  EXPECT_EQ(prd.getCpuAll.kind, Outcome::kFailure);
  EXPECT_EQ(prd.getCpuAll.text, "No answer from collector");
  EXPECT_EQ(prd.getTopSingle.kind, Outcome::kException);
  EXPECT_EQ(prd.getTopSingle.text, "NOT_FOUND");
  ASSERT_NE(prd.FindAbort("RfcCall"), nullptr);
  EXPECT_EQ(prd.FindAbort("RfcCall")->message, "connection lost");
  EXPECT_EQ(prd.FindAbort("RfcReceive"), nullptr);
  EXPECT_EQ(prd.delayMs, 250u);

  const System& qas = landscape.systems[1];
  EXPECT_EQ(qas.name, "QAS");
  EXPECT_FALSE(qas.hasSysnr);
  EXPECT_TRUE(qas.anyClient);
  EXPECT_TRUE(qas.logons.empty());
  EXPECT_EQ(qas.top.path, "/abs/qas.csv");
  EXPECT_EQ(qas.cpu.kind, RowSource::kNone);
  EXPECT_EQ(qas.getCpuAll.kind, Outcome::kOk);
  EXPECT_EQ(qas.getTopSingle.kind, Outcome::kCallCode);
  EXPECT_EQ(qas.getTopSingle.code, 4);
}

TEST(LandscapeTest, OutcomeAndRowSourceForms) {
  struct Case {
    const char* line;
    Outcome::Kind kind;
    const char* text;
    int code;
  } cases[] = {
      {"GET_CPU_ALL = ok", Outcome::kOk, "", 0},
      {"GET_CPU_ALL = failure", Outcome::kFailure, "", 0},
      {"GET_CPU_ALL = system_exception SYSTEM_FAILURE", Outcome::kSystemException, "SYSTEM_FAILURE",
       0},
      {"GET_CPU_ALL = code 7", Outcome::kCode, "", 7},
      {"GET_CPU_ALL = call_code -1", Outcome::kCallCode, "", -1},
  };
  for (const Case& c : cases) {
    Landscape landscape = ParseLandscape(std::string("[A]\n") + c.line + "\n", "");
    ASSERT_EQ(landscape.systems.size(), 1u) << c.line;
    EXPECT_TRUE(landscape.problems.empty()) << c.line;
    const Outcome& outcome = landscape.systems[0].getCpuAll;
    EXPECT_EQ(outcome.kind, c.kind) << c.line;
    EXPECT_EQ(outcome.text, c.text) << c.line;
    EXPECT_EQ(outcome.code, c.code) << c.line;
  }
  Landscape live = ParseLandscape("[A]\ntop = LIVE\ncpu = live\n", "");
  EXPECT_EQ(live.systems[0].top.kind, RowSource::kLive);
  EXPECT_EQ(live.systems[0].cpu.kind, RowSource::kLive);
}

TEST(LandscapeTest, SkipsAndListsWhatItCannotUse) {
  Landscape landscape = ParseLandscape(
      "host = orphan\n"  // 1: before any system
      "[A]\n"
      "colour = blue\n"         // 3: unknown key
      "sysnr = twelve\n"        // 4: not a number
      "GET_CPU_ALL = maybe\n"   // 5: unknown outcome
      "code_only\n"             // 6: no '='
      "abort = RfcFly x\n"      // 7: unknown operation
      "top = synthetic lots\n"  // 8: bad count
      "delay_ms = -5\n"         // 9: negative
      "[]\n"                    // 10: empty name
      "logon = lost\n"          // 11: no system above
      "[B\n",                   // 12: no ]
      "");
  ASSERT_EQ(landscape.systems.size(), 1u);
  const System& a = landscape.systems[0];
  EXPECT_FALSE(a.hasSysnr);
  EXPECT_EQ(a.getCpuAll.kind, Outcome::kOk);
  EXPECT_TRUE(a.aborts.empty());
  EXPECT_EQ(a.top.kind, RowSource::kNone);
  EXPECT_EQ(a.delayMs, 0u);
  std::vector<std::string> lines;
  for (const std::string& p : landscape.problems) lines.push_back(p.substr(0, p.find(':')));
  EXPECT_EQ(lines,
            (std::vector<std::string>{"line 1", "line 3", "line 4", "line 5", "line 6", "line 7",
                                      "line 8", "line 9", "line 10", "line 11", "line 12"}));
}

// The keys only the SDK's test double acts on parse without a problem;
// bad values of them are listed like any other.
TEST(LandscapeTest, KeysOfTheSdkDouble) {
  Landscape landscape = ParseLandscape(
      "[PRD]\n"
      "snc = p:CN=PRD, O=Example\n"
      "router = /H/gate.example/S/3299/H/\n"
      "field_types = TOP_SINGLE-CPU_TIME:BCD(8,0) TOP_SINGLE-RES_SIZE:int8\n"
      "field_types = TOP_SINGLE-CPU_UTIL:FLOAT  CPU_ALL-NBR_CPU:NUM TOP_SINGLE-RES_SIZE:DECF34\n"
      "field_types = TOP_SINGLE-COMMAND:CHAR(40) TOP_SINGLE-PROC_ID:CHAR\n"
      "missing_fields = TOP_SINGLE-PRIORITY CPU_ALL-SYSC_SEC\n"
      "GET_TOP_SINGLE = Missing\n"
      "GET_CPU_ALL = missing\n"
      "GET_CPU_ALL = ok\n"
      "field_types = TOP_SINGLE-CPU_TIME:BCD(8)x\n"    // 11: text after the length
      "field_types = TOP_SINGLE-CPU_TIME:BCD(1,1)\n"   // 12: no integer digit
      "field_types = TOP_SINGLE-CPU_TIME:BCD(17)\n"    // 13: more than 16 bytes
      "field_types = TOP_SINGLE-CPU_UTIL:INT8(8)\n"    // 14: a length for a fixed type
      "field_types = TOP_SINGLE-CPU_UTIL:CHAR(4,1)\n"  // 15: decimals of a text
      "field_types = TOP_SINGLE-NO_SUCH:INT\n"         // 16: unknown field
      "field_types = TOP_ALL-CPU_UTIL:INT\n"           // 17: unknown structure
      "field_types = TOP_SINGLE-CPU_UTIL:DATE\n"       // 18: unknown type
      "missing_fields = TOP_SINGLE-CPU_UTIL x\n"       // 19: not STRUCT-FIELD
      "snc =\n",                                       // 20: empty
      "");
  ASSERT_EQ(landscape.systems.size(), 1u);
  const System& prd = landscape.systems[0];
  EXPECT_EQ(prd.snc, "p:CN=PRD, O=Example");
  EXPECT_EQ(prd.router, "/H/gate.example/S/3299/H/");
  EXPECT_TRUE(prd.getTopSingleMissing);
  EXPECT_FALSE(prd.getCpuAllMissing);
  EXPECT_EQ(prd.getTopSingle.kind, Outcome::kOk);  // what the stand-in answers
  struct {
    const char* structure;
    const char* field;
    FieldType::Kind kind;
    unsigned length, decimals;
  } types[] = {
      {"TOP_SINGLE", "CPU_TIME", FieldType::kBcd, 8, 0},
      {"TOP_SINGLE", "CPU_UTIL", FieldType::kFloat, 0, 0},
      {"CPU_ALL", "NBR_CPU", FieldType::kNum, 11, 0},
      {"TOP_SINGLE", "RES_SIZE", FieldType::kDecf34, 0, 0},  // the later entry wins
      {"TOP_SINGLE", "COMMAND", FieldType::kChar, 40, 0},
      {"TOP_SINGLE", "PROC_ID", FieldType::kChar, 11, 0},
  };
  EXPECT_EQ(prd.fieldTypes.size(), std::size(types));
  for (const auto& t : types) {
    const FieldType* found = prd.FindFieldType(t.structure, t.field);
    ASSERT_NE(found, nullptr) << t.field;
    EXPECT_EQ(found->kind, t.kind) << t.field;
    EXPECT_EQ(found->length, t.length) << t.field;
    EXPECT_EQ(found->decimals, t.decimals) << t.field;
  }
  EXPECT_TRUE(prd.IsMissingField("TOP_SINGLE", "PRIORITY"));
  EXPECT_TRUE(prd.IsMissingField("CPU_ALL", "SYSC_SEC"));
  EXPECT_FALSE(prd.IsMissingField("TOP_SINGLE", "CPU_UTIL"));
  std::vector<std::string> lines;
  for (const std::string& p : landscape.problems) lines.push_back(p.substr(0, p.find(':')));
  EXPECT_EQ(lines,
            (std::vector<std::string>{"line 11", "line 12", "line 13", "line 14", "line 15",
                                      "line 16", "line 17", "line 18", "line 19", "line 20"}));
}

TEST(LandscapeTest, GarbageNeverCrashes) {
  std::string bytes;
  for (int i = 0; i < 4096; ++i) bytes.push_back(static_cast<char>((i * 131 + 7) % 256));
  bytes += "\n[\n=\n[X]\n=\n = \nsysnr=99999999999999999999999\ncode\n";
  Landscape landscape = ParseLandscape(bytes, "");
  EXPECT_FALSE(landscape.problems.empty());
  EXPECT_TRUE(ParseLandscape("", "").systems.empty());
}

TEST(LookupTest, FindsSystemsByServerGatewayAndName) {
  Landscape landscape = ParseLandscape(
      "[PRD]\nhost = SAP01\nsysnr = 00\n"
      "[QAS]\nhost = sap01\nsysnr = 1\ngwhost = GW\ngwservice = sapgw01\n"
      "[DEV]\n",
      "");
  EXPECT_EQ(FindByServer(landscape, "sap01", 0)->name, "PRD");
  EXPECT_EQ(FindByServer(landscape, "Sap01", 1)->name, "QAS");
  EXPECT_EQ(FindByServer(landscape, "sap01", 2), nullptr);
  EXPECT_EQ(FindByServer(landscape, "", 0), nullptr);
  EXPECT_EQ(FindByGateway(landscape, "gw", "sapgw01")->name, "QAS");
  EXPECT_EQ(FindByGateway(landscape, "gw", "SAPGW01"), nullptr);  // service exactly
  EXPECT_EQ(FindByName(landscape, "DEV")->name, "DEV");
  EXPECT_EQ(FindByName(landscape, "dev"), nullptr);
  EXPECT_EQ(ServerNotReached("sap09", 3), "partner 'sap09:sapgw03' not reached");
  EXPECT_EQ(PartnerNotReached("PRD"), "partner 'PRD' not reached");
}

TEST(LookupTest, ConnectStringKeepsBlanksInValues) {
  ConnectFields f =
      ParseConnectString("CLIENT=000 USER=MONITOR PASSWD=pass word USER LANG=D DEST=PRD X");
  EXPECT_EQ(f.client, "000");
  EXPECT_EQ(f.user, "MONITOR");
  EXPECT_EQ(f.passwd, "pass word USER");
  EXPECT_EQ(f.lang, "D");
  EXPECT_EQ(f.dest, "PRD X");
  ConnectFields trailing = ParseConnectString("CLIENT=100 USER=a PASSWD=x  LANG=D DEST=");
  EXPECT_EQ(trailing.passwd, "x ");
  EXPECT_EQ(trailing.dest, "");
}

TEST(LookupTest, SapRfcIniEntriesRunFromDestToDest) {
  std::vector<DestinationEntry> entries = ParseSapRfcIni(
      "ASHOST=ignored\r\n"
      "* comment\r\n"
      " dest = PRD \r\n"
      "type=A\r\n"
      "ashost = sap01\r\n"
      "SYSNR=00\r\n"
      "\r\n"
      "# other\n"
      "DEST=QAS\n"
      "TYPE=R\n");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].dest, "PRD");
  EXPECT_EQ(entries[0].type, "A");
  EXPECT_EQ(entries[0].ashost, "sap01");
  EXPECT_EQ(entries[0].sysnr, "00");
  EXPECT_EQ(entries[1].dest, "QAS");
  EXPECT_EQ(entries[1].type, "R");
  EXPECT_EQ(entries[1].ashost, "");
}

}  // namespace
}  // namespace rfcsim
