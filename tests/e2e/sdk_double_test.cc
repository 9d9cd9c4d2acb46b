// End-to-end cases that need the NetWeaver RFC SDK's test double: fields
// the system describes with other types, readings that cannot be delivered,
// logons with SNC and through a SAProuter, destinations without host,
// a missing function module, and an SDK installed without its companion
// libraries. They run only in the pass through the double (doubleOnly);
// the stand-in ignores the landscape keys they use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"
#include "sap_fixtures.h"
#include "sdk_copies.h"

namespace qm::e2e {
namespace {

using namespace sap;

// The rows of prd_top.csv with decimals in every number; cut toward zero
// they are the figures of kPrdRows, so the readings are kPrdAll.
const std::string kPrdRowsWithDecimals =
    "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n"
    "prdadm,dw.sapPRD_DVEBMGS00,1250.75,987654.99,8.12E5,402000.9\n"
    "prdadm,dw.sapPRD_DVEBMGS00,830.5,301234.5,790500.5,380250.25\n"
    "prdadm,sapstartsrv,20.9,321.25,6.4E4,12000\n"
    "sapadm,sapstartsrv,15.01,100.0,50000,9000.999\n"
    "SAPADM,dw.sapDAA_SMDA98,99.99,2000.75,1999.9,999.5\n"
    "oracle,ora_pmon_PRD,120.5,9876.1,2.2E5,1.5E5\n"
    "root,sshd,0.4,5.5,8000,2000\n"
    ",kworker/0:1,90.9,,3000,0\n"
    "root,DW.helper,-300.5,-7.9,-5000.1,-100.7\n"
    "sapadmin,sapcontrol,3.3,12.99,1000,500\n";

E2eCase DoubleOnly(E2eCase c) {
  c.doubleOnly = true;
  return c;
}

std::string Report(const std::string& message) {
  return ErrorDocument("RFC error: RfcOpen, RfcLibrary: " + message);
}

// PRD measured through its profile, with the landscape's `extra` keys.
E2eCase Measured(std::string name, const std::string& extra, std::vector<FileEntry> more = {}) {
  return {.name = std::move(name),
          .args = {"PRD"},
          .files = Plus(PrdFiles(extra), more),
          .out = XmlDocument(kPrdAll)};
}

// PRD failing with `text`, the error document of every mode.
E2eCase Failing(std::string name, const std::string& extra, const std::string& text,
                std::vector<FileEntry> more = {}) {
  return {.name = std::move(name),
          .args = {"PRD"},
          .files = Plus(PrdFiles(extra), more),
          .out = ErrorDocument(text),
          .exit = 2};
}

std::vector<E2eCase> FieldTypeCases() {
  return {
      // Decimals in floats, packed and decimal floating-point numbers.
      Measured("FloatPackedAndDecimalFloatFields",
               "field_types = TOP_SINGLE-CPU_UTIL:FLOAT TOP_SINGLE-CPU_TIME:BCD(10,2) "
               "TOP_SINGLE-RES_SIZE:DECF34 TOP_SINGLE-PRIV_PAGES:FLOAT\n",
               {WorkFile("prd_top.csv", kPrdRowsWithDecimals)}),
      // Integers of 1, 2 and 8 bytes, NUM, CHAR and STRING.
      Measured(
          "IntegerAndTextFields",
          "field_types = TOP_SINGLE-USERNAME:STRING TOP_SINGLE-COMMAND:CHAR(40) "
          "TOP_SINGLE-CPU_UTIL:INT2 TOP_SINGLE-CPU_TIME:INT8 TOP_SINGLE-RES_SIZE:INT8 "
          "TOP_SINGLE-PRIV_PAGES:CHAR(12) TOP_SINGLE-PROC_ID:INT1 TOP_SINGLE-PRIORITY:NUM(3)\n"),
      Measured("DecimalFloatFields",
               "field_types = TOP_SINGLE-CPU_UTIL:DECF34 TOP_SINGLE-CPU_TIME:DECF16 "
               "TOP_SINGLE-RES_SIZE:DECF16\n"),
      // A field the readings need that the system does not describe.
      Failing("MissingReadingField", "missing_fields = TOP_SINGLE-RES_SIZE\n",
              "Error 1014: RFC-Failure raised ! - TOP_SINGLE-RES_SIZE: the system does not "
              "describe this field"),
      // A text where a number belongs: never read as 0.
      Failing("TextInANumberField", "field_types = TOP_SINGLE-CPU_UTIL:CHAR(8)\n",
              "Error 1014: RFC-Failure raised ! - TOP_SINGLE-CPU_UTIL: CHAR value 'n/a' is not a "
              "number",
              {WorkFile("prd_top.csv",
                        "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n"
                        "prdadm,dw.sapPRD_DVEBMGS00,1250,\"  987654\",812000,402000\n"
                        "root,sshd,n/a,\"       5\",8000,2000\n")}),
      // An 8-byte figure beyond what the classic 4 bytes hold.
      Failing("EightByteValueBeyond32Bits", "field_types = TOP_SINGLE-RES_SIZE:INT8\n",
              "Error 1014: RFC-Failure raised ! - TOP_SINGLE-RES_SIZE: INT8 value 4294967296 does "
              "not fit 4 bytes",
              {WorkFile("prd_top.csv",
                        "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n"
                        "prdadm,dw.sapPRD_DVEBMGS00,1250,\"  987654\",4294967296,402000\n")}),
      // The function module does not exist on the system.
      Failing("MissingFunctionModule", "GET_TOP_SINGLE = missing\n",
              "Error 1012: Exception.: FU_NOT_FOUND - Look for Trace-File"),
  };
}

// ---------------------------------------------------------------------------
// Enterprise logon through SapRfc.<DEST>.

const std::string kSncPartner = "p:CN=PRD, O=Example, C=DE";
const std::string kRoute = "/H/gate.example.com/S/3299/H/";

// PRD opened by destination: SapRfc.PRD with `keys` after its DEST line,
// the profile's host unknown to the landscape.
std::vector<FileEntry> SapRfcFiles(const std::string& extra, const std::string& keys) {
  return Plus(PrdFiles(extra, {.destination = "PRD", .hostname = "oldhost01"}),
              {WorkFile("SapRfc.PRD", "DEST=PRD\r\n" + keys), WorkFile("libsapcrypto.so", "")});
}

E2eCase ByDestination(std::string name, const std::string& extra, const std::string& keys,
                      bool measures) {
  E2eCase c = {.name = std::move(name),
               .args = {"PRD"},
               .files = SapRfcFiles(extra, keys),
               .out = measures ? XmlDocument(kPrdAll)
                               : ErrorDocument("Error 1011: RFC-Open for PRD failed !"),
               .exit = measures ? 0 : 2};
  if (!measures) c.after = {ExpectExists(Base::kWork, "Dev_Rfc.Trc")};
  return c;
}

std::vector<E2eCase> LogonCases() {
  const std::string snc = "snc = " + kSncPartner + "\n";
  const std::string sncKeys = "SNC_MODE=1\r\nSNC_PARTNERNAME=" + kSncPartner +
                              "\r\nSNC_QOP=9\r\nSNC_LIB=libsapcrypto.so\r\n";
  const std::string router = "router = " + kRoute + "\n";
  const std::string server = "TYPE=A\r\nASHOST=sapprd01\r\nSYSNR=00\r\n";
  return {
      ByDestination("SncWithItsKeys", snc, server + sncKeys, true),
      ByDestination("SncWithoutItsKeys", snc, server, false),
      // Through the options record the logon fault shows at the first call.
      Failing("SncThroughTheProfile", snc,
              "Error 1014: RFC-Failure raised ! - SNC with partner name " + kSncPartner +
                  " is required"),
      ByDestination("RouterAsParameter", router, server + "SAPROUTER=" + kRoute + "\r\n", true),
      ByDestination("RouterInFrontOfTheHost", router,
                    "TYPE=A\r\nASHOST=" + kRoute + "sapprd01\r\nSYSNR=00\r\n", true),
      ByDestination("RouterNotTaken", router, server, false),
      // A value the SDK refuses fails the open.
      ByDestination("RefusedParameter", "", server + "SNC_QOP=5\r\n", false),
      // Without a host the destination's SapRfc.ini entry opens; without
      // one, the SDK's own sapnwrfc.ini; without either nothing does.
      {.name = "DestinationOnlyThroughSapRfcIni",
       .args = {"PRD", ",HOST="},
       .files = Plus(PrdFiles("mshost = msprd\nr3name = PRD\ngroup = SPACE\n"),
                     {WorkFile("SapRfc.ini",
                               "DEST=PRD\nTYPE=B\nMSHOST=msprd\nR3NAME=PRD\n"
                               "GROUP=SPACE\n")}),
       .out = XmlDocument(kPrdAll),
       .after = {ExpectContent(Base::kWork, "SapRfc.ini",
                               "DEST=PRD\nTYPE=B\nMSHOST=msprd\nR3NAME=PRD\nGROUP=SPACE\n")}},
      {.name = "DestinationOnlyThroughSapnwrfcIni",
       .args = {"PRD", ",HOST="},
       .files =
           Plus(PrdFiles(), {WorkFile("sapnwrfc.ini", "DEST=PRD\nASHOST=sapprd01\nSYSNR=00\n")}),
       .out = XmlDocument(kPrdAll)},
      {.name = "DestinationOnlyWithoutEntry",
       .args = {"PRD", ",HOST="},
       .files = PrdFiles(),
       .out = ErrorDocument("Error 1011: RFC-Open for PRD failed !"),
       .exit = 2},
  };
}

// ---------------------------------------------------------------------------
// The SDK installed without its companions.

std::vector<FileEntry> WithSdk(const std::string& setting) {
  std::vector<FileEntry> files = PrdFiles();
  files.push_back(WorkFile("Quillmark.ini", "RfcLibrary=" + setting + "\n"));
  return files;
}

std::vector<E2eCase> CompanionCases() {
  const SdkCopies& sdk = SdkCopies::Instance();
  const Build linux = Build::kNative, windows = Build::kWindows;
  return {
      {.name = "SdkWithoutCompanions",
       .args = {"PRD"},
       .files = WithSdk(sdk.Sdk(false, linux)),
       .out = Report(sdk.Sdk(false, linux) +
                     ": libicudata*, libicuuc*, libicui18n*, libsapucum.so not found beside it "
                     "or in LD_LIBRARY_PATH"),
       .exit = 1,
       .build = linux},
      // Beside it, the companions are loaded first, then the SDK measures.
      {.name = "SdkWithCompanions",
       .args = {"PRD"},
       .files = WithSdk(sdk.Sdk(true, linux)),
       .out = XmlDocument(kPrdAll),
       .build = linux},
      {.name = "SdkWithoutCompanionsOnWindows",
       .args = {"PRD"},
       .files = WithSdk(sdk.Sdk(false, windows)),
       .out = Report(sdk.Sdk(false, windows) +
                     ": icudt*.dll, icuuc*.dll, icuin*.dll, libsapucum.dll not found beside it or "
                     "in PATH"),
       .exit = 1,
       .build = windows},
      // Forward slashes are as good as backslashes.
      {.name = "SdkWithCompanionsOnWindows",
       .args = {"PRD"},
       .files = WithSdk(sdk.Sdk(true, windows, true)),
       .out = XmlDocument(kPrdAll),
       .build = windows},
  };
}

std::vector<E2eCase> AllCases() {
  std::vector<E2eCase> cases = Join({FieldTypeCases(), LogonCases(), CompanionCases()});
  for (E2eCase& c : cases) c = DoubleOnly(c);
  return cases;
}

class SdkDouble : public ::testing::TestWithParam<E2eCase> {};

TEST_P(SdkDouble, Run) {
  const RunnerConfig config = NativeRunnerConfig();
  // Only the cases of the SDK's own file name need its copies.
  if (RunsThroughDouble(config) && GetParam().name.rfind("Sdk", 0) == 0) {
    ASSERT_TRUE(SdkCopies::Instance().Prepare()) << "cannot copy " << config.rfcLibrary;
  }
  RunCase(GetParam(), config);
}

INSTANTIATE_TEST_SUITE_P(ThroughTheDouble, SdkDouble, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<E2eCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace qm::e2e
