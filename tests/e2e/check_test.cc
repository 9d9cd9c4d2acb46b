// End-to-end cases of quillmark-check, the setup check: a healthy system
// through the SDK's test double reported whole; a missing field, a logon
// that needs SNC, an SDK without its companions, a user without the RFC
// authorisation, a faulty profile and a global listing by the lines that
// name them; the stand-in, which describes no function modules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"
#include "sap_fixtures.h"
#include "sdk_copies.h"

namespace qm::e2e {
namespace {

using namespace sap;

const std::string kProfilePath = "C:\\PRTG\\PRTG Network Monitor\\Custom Sensors\\ExeXml\\PRD.P00";

E2eCase Check(E2eCase c) {
  c.program = Program::kCheck;
  return c;
}

E2eCase DoubleOnly(E2eCase c) {
  c.doubleOnly = true;
  return Check(std::move(c));
}

// The report of PRD through the test double with its stand-in rows, for the
// build whose SDK file name the report mentions.
std::string HealthyReport(Build build) {
  const std::string sdkName = build == Build::kWindows ? "sapnwrfc.dll" : "libsapnwrfc.so";
  return "Quillmark-check Vers 4.3 / 29.08.22\n"
         "           caller: EXEXML\n"
         "\n"
         "RFC library\n"
         "           RfcLibrary={library} in Quillmark.ini\n"
         "           companions not checked: the file does not carry the SDK's name " +
         sdkName +
         "\n"
         "  ok       loaded {library}: the NetWeaver RFC SDK, through the adapter\n"
         "           version: Quillmark test double of the NetWeaver RFC SDK 7.50 (7500.0.0)\n"
         "\n"
         "Profile PRD.P00\n"
         "  ok       found: " +
         kProfilePath +
         "\n"
         "  ok       read and checked: destination PRD, client 100, user MONITOR, language E, "
         "mode R/3\n"
         "           host sapprd01, system number 00, gateway sapprd01 sapgw00\n"
         "           logon with the profile's data\n"
         "  ok       logged on\n"
         "\n"
         "GET_CPU_ALL on PRD\n"
         "  ok       found\n"
         "  ok       authorised: a call was answered\n"
         "           table TF_CPU_ALL as the system describes it:\n"
         "           field       type  length  fills           note\n"
         "  ok       TYPE        INT2  2       TYPE INT2\n"
         "  ok       SUBTYPE     INT2  2       SUBTYPE INT2\n"
         "  ok       SERIALNR    INT2  2       SERIALNR INT2\n"
         "  ok       NBR_CPU     INT   4       NBR_CPU INT\n"
         "  ok       LOAD1_AVG   INT   4       LOAD1_AVG INT\n"
         "  ok       LOAD5_AVG   INT   4       LOAD5_AVG INT\n"
         "  ok       LOAD15_AVG  INT   4       LOAD15_AVG INT\n"
         "  ok       INT_SEC     INT   4       INT_SEC INT\n"
         "  ok       SYSC_SEC    INT   4       SYSC_SEC INT\n"
         "  ok       CS_SEC      INT   4       CS_SEC INT\n"
         "  ok       USR_TOTAL   INT   4       USR_TOTAL INT\n"
         "  ok       SYS_TOTAL   INT   4       SYS_TOTAL INT\n"
         "  ok       IDLE_TOTAL  INT   4       IDLE_TOTAL INT\n"
         "\n"
         "GET_TOP_SINGLE on PRD\n"
         "  ok       found\n"
         "  ok       authorised: a call was answered\n"
         "           table TF_TOP_SINGLE as the system describes it:\n"
         "           field       type  length  fills              note\n"
         "  ok       TYPE        INT2  2       TYPE INT2\n"
         "  ok       SUBTYPE     INT2  2       SUBTYPE INT2\n"
         "  ok       SERIALNR    INT2  2       SERIALNR INT2\n"
         "  ok       PROC_ID     INT   4       PROC_ID INT\n"
         "  ok       USERNAME    CHAR  12      USERNAME CHAR(12)\n"
         "  ok       COMMAND     CHAR  20      COMMAND CHAR(20)\n"
         "  ok       CPU_UTIL    INT   4       CPU_UTIL INT\n"
         "  ok       CPU_TIME    CHAR  8       CPU_TIME CHAR(8)\n"
         "  ok       RES_SIZE    INT   4       RES_SIZE INT\n"
         "  ok       PRIORITY    INT   4       PRIORITY INT\n"
         "  ok       PRIV_PAGES  INT   4       PRIV_PAGES INT\n"
         "\n"
         "Measurement of PRD\n"
         "  ok       GET_CPU_ALL answered\n"
         "  ok       GET_TOP_SINGLE answered\n"
         "           " +
         kPrdAll.message +
         "\n"
         "           CPU-Usage      24       %\n"
         "           SID-Usage      22       %\n"
         "           CPU-Time       1301202  s\n"
         "           Working-Set    1950     MB\n"
         "           Private Pages  956      MB\n"
         "\n"
         "All is well.\n";
}

// An SDK copy (SdkCopies) named in Quillmark.ini.
std::vector<FileEntry> WithSdk(const std::string& sdk, const std::string& extra = "") {
  return Plus(PrdFiles(extra), {WorkFile("Quillmark.ini", "RfcLibrary=" + sdk + "\n")});
}

// The SDK without its companions, and with them beside it, in one build.
std::vector<E2eCase> CompanionCases(Build build, const std::string& suffix) {
  const SdkCopies& copies = SdkCopies::Instance();
  const bool windows = build == Build::kWindows;
  const std::string without = copies.Sdk(false, build), with = copies.Sdk(true, build);
  const std::string variable = windows ? "PATH" : "LD_LIBRARY_PATH";
  const std::vector<std::string> patterns =
      windows ? std::vector<std::string>{"icudt\\*\\.dll", "icuuc\\*\\.dll", "icuin\\*\\.dll",
                                         "libsapucum\\.dll"}
              : std::vector<std::string>{"libicudata\\*", "libicuuc\\*", "libicui18n\\*",
                                         "libsapucum\\.so"};
  std::string missing, found;
  for (const std::string& pattern : patterns) {
    missing +=
        "  PROBLEM  companion " + pattern + ": not found beside the SDK or in " + variable + "\n";
    found += "  ok       companion " + pattern + ": [^\\n]+\n";
  }
  return {
      DoubleOnly({.name = "SdkWithoutCompanions" + suffix,
                  .args = {"PRD"},
                  .files = WithSdk(without),
                  .exit = 2,
                  .build = build,
                  .outMatches = "[\\s\\S]*\nRFC library\n[^\\n]*\n" + missing +
                                "  PROBLEM  not loaded: [^\\n]+ not found beside it or in " +
                                variable +
                                "\n\n"
                                "Profile PRD\\.P00\n[\\s\\S]*"
                                "           logon not tried: no RFC library was loaded\n"
                                "\nFound 5 problems and 0 warnings\\.\n"}),
      DoubleOnly({.name = "SdkWithCompanions" + suffix,
                  .args = {"PRD"},
                  .files = WithSdk(with),
                  .build = build,
                  .outMatches = "[\\s\\S]*\nRFC library\n[^\\n]*\n" + found +
                                "  ok       loaded [^\\n]+: the NetWeaver RFC SDK, through the "
                                "adapter\n[\\s\\S]*\nAll is well\\.\n"}),
  };
}

std::vector<E2eCase> AllCases() {
  const std::string sncPartner = "p:CN=PRD, O=Example, C=DE";
  const std::string sncKeys =
      "DEST=PRD\r\nTYPE=A\r\nASHOST=sapprd01\r\nSYSNR=00\r\nSNC_MODE=1\r\n"
      "SNC_PARTNERNAME=" +
      sncPartner + "\r\nSNC_QOP=9\r\nSNC_LIB=libsapcrypto.so\r\n";
  const std::string noAuthority = "GET_TOP_SINGLE = system_exception RFC_NO_AUTHORITY\n";
  const std::string deniedCall =
      "  PROBLEM  GET_TOP_SINGLE: Error 1013: Sys-Exception raised ! \\(RFC_NO_AUTHORITY\\)\n"
      "           the user needs S_RFC for GET_TOP_SINGLE\n";
  ProfileFields badPassword = PrdProfile();
  badPassword.password = WrongCheckDigitPassword("Geheim12");

  std::vector<E2eCase> cases = {
      DoubleOnly({.name = "HealthySystem",
                  .args = {"PRD"},
                  .files = PrdFiles(),
                  .out = HealthyReport(Build::kNative),
                  .build = Build::kNative}),
      DoubleOnly({.name = "HealthySystemOnWindows",
                  .args = {"PRD"},
                  .files = PrdFiles(),
                  .out = HealthyReport(Build::kWindows),
                  .build = Build::kWindows}),
      // A reading's field the system lacks fails the sensor; another one
      // only leaves it 0.
      DoubleOnly({.name = "MissingFields",
                  .args = {"PRD"},
                  .files = PrdFiles("missing_fields = TOP_SINGLE-RES_SIZE TOP_SINGLE-PRIORITY\n"),
                  .exit = 2,
                  .outMatches = "[\\s\\S]*\n"
                                "  PROBLEM  - +- +- +RES_SIZE INT +the system does not describe "
                                "this field: the sensor fails \\(Error 1014\\)\n"
                                "  WARNING  - +- +- +PRIORITY INT +the system does not describe "
                                "this field: the sensor leaves it 0\n"
                                "\nMeasurement of PRD\n"
                                "  ok       GET_CPU_ALL answered\n"
                                "  PROBLEM  GET_TOP_SINGLE: Error 1014: RFC-Failure raised ! - "
                                "TOP_SINGLE-RES_SIZE: the system does not describe this field\n"
                                "\nFound 2 problems and 1 warning\\.\n"}),
      // The SDK's types beside the classic ones, and how a value is taken.
      DoubleOnly({.name = "RetypedFields",
                  .args = {"PRD"},
                  .files = PrdFiles("field_types = TOP_SINGLE-CPU_TIME:BCD(10,2) "
                                    "TOP_SINGLE-RES_SIZE:INT8\n"),
                  .outMatches = "[\\s\\S]*\n"
                                "  ok       CPU_TIME +BCD +10,2 +CPU_TIME CHAR\\(8\\) +written as "
                                "its integer part; one of more than 8 characters fails the "
                                "measurement\n"
                                "  ok       RES_SIZE +INT8 +8 +RES_SIZE INT +a value beyond 4 "
                                "bytes fails the measurement\n"
                                "[\\s\\S]*\nAll is well\\.\n"}),
      // The system accepts only an SNC logon: through the profile's host
      // it is refused; with the SNC keys in SapRfc.PRD all is well.
      DoubleOnly({.name = "SncRequired",
                  .args = {"PRD"},
                  .files = PrdFiles("snc = " + sncPartner + "\n"),
                  .exit = 2,
                  .outMatches = "[\\s\\S]*\n"
                                "           logon with the profile's data\n"
                                "  PROBLEM  logon failed: RFC_LOGON_FAILURE: SNC with partner "
                                "name " +
                                sncPartner +
                                " is required\n"
                                "\nFound 1 problem and 0 warnings\\.\n"}),
      DoubleOnly({.name = "SncWithItsKeys",
                  .args = {"PRD"},
                  .files = Plus(PrdFiles("snc = " + sncPartner + "\n"),
                                {WorkFile("SapRfc.PRD", sncKeys), WorkFile("libsapcrypto.so", "")}),
                  .outMatches = "[\\s\\S]*\n"
                                "           logon by destination: SapRfc\\.PRD copied to "
                                "SapRfc\\.ini\n"
                                "  ok       logged on\n"
                                "[\\s\\S]*\nAll is well\\.\n"}),
      // No authorisation: the probe's call and the measurement are refused.
      DoubleOnly({.name = "NotAuthorised",
                  .args = {"PRD"},
                  .files = PrdFiles(noAuthority),
                  .exit = 2,
                  .outMatches = "[\\s\\S]*\nGET_TOP_SINGLE on PRD\n"
                                "  ok       found\n"
                                "  PROBLEM  not authorised: RFC_NO_AUTHORITY\n"
                                "           the user needs S_RFC for GET_TOP_SINGLE\n"
                                "[\\s\\S]*\n" +
                                deniedCall + "\nFound 2 problems and 0 warnings\\.\n"}),
      // The stand-in describes nothing, and measures.
      Check(StandInOnly(
          {.name = "ThroughTheStandIn",
           .args = {"PRD"},
           .files = PrdFiles(),
           .outMatches = "Quillmark-check Vers 4\\.3 / 29\\.08\\.22\n"
                         "           caller: EXEXML\n"
                         "\nRFC library\n"
                         "           RfcLibrary=standin in Quillmark\\.ini: the stand-in, [^\\n]+\n"
                         "  ok       loaded [^\\n]+: a library that hands out the classic record "
                         "itself\n"
                         "           version: the library tells none\n"
                         "\nProfile PRD\\.P00\n[\\s\\S]*"
                         "  ok       connection opened \\(this library checks the logon at the "
                         "first call\\)\n"
                         "\nFunction modules on PRD\n"
                         "           no metadata available: this library describes no function "
                         "modules\n"
                         "           \\(the NetWeaver RFC SDK does\\); both are called in the "
                         "measurement\n"
                         "\nMeasurement of PRD\n"
                         "  ok       GET_CPU_ALL answered\n"
                         "  ok       GET_TOP_SINGLE answered\n"
                         "           \\(PRD\\) System-Procs: CPU-Usage=24%[^\\n]*\n"
                         "[\\s\\S]*\nAll is well\\.\n"})),
      Check(StandInOnly(
          {.name = "NotAuthorisedThroughTheStandIn",
           .args = {"PRD"},
           .files = PrdFiles(noAuthority),
           .exit = 2,
           .outMatches = "[\\s\\S]*\n" + deniedCall + "\nFound 1 problem and 0 warnings\\.\n"})),
      // A faulty profile is reported as the sensor reports it; no logon.
      Check({.name = "WrongPassword",
             .args = {"PRD"},
             .files = PrdFiles("", badPassword),
             .exit = 2,
             .outMatches =
                 "[\\s\\S]*\nProfile PRD\\.P00\n"
                 "  ok       found: [^\\n]+\n"
                 "  PROBLEM  Error 1005: Wrong Password in Profile PRD\\.P00 found[^\\n]*\n"
                 "\nFound 1 problem and 0 warnings\\.\n"}),
      Check({.name = "NoArguments",
             .files = PrdFiles(),
             .exit = 2,
             .outMatches = "[\\s\\S]*\nProfile\n"
                           "  PROBLEM  Error 1001: Parameter for Profile-Name is missing !\n"
                           "\nFound 1 problem and 0 warnings\\.\n"}),
      // A global run's arguments: every listed profile in turn.
      Check({.name = "GlobalListing",
             .args = {"X", "ITEM=CPU-Usage"},
             .files = Plus(
                 LandscapeFiles(PrdSystem() +
                                "\n[QAS]\nhost = sapqas01\nsysnr = 10\ntop = qas_top.csv\n"),
                 {RootFile(kHint, "C:\\PRTG\n"),
                  RootFile(kPrtgDir + "PRD.P00", ProfileText(PrdProfile())),
                  RootFile(kPrtgDir + "QAS.P00", ProfileText(QasProfile())),
                  RootFile(kPrtgDir + "Beaconry.Prf", "# Gsng: CPU-Usage   PRD.P00#QAS.P00#\n")}),
             .outMatches = "[\\s\\S]*\nListing [^\\n]*Beaconry\\.Prf\n"
                           "  ok       read: item CPU-Usage\n"
                           "\nProfile PRD\\.P00\n[\\s\\S]*"
                           "\\(PRD\\) System-Procs: CPU-Usage=24%[^\\n]*\n[\\s\\S]*"
                           "\nProfile QAS\\.P00\n[\\s\\S]*"
                           "\\(QAS\\) System-Procs: CPU-Usage=20%[^\\n]*\n[\\s\\S]*"
                           "\nAll is well\\.\n"}),
  };
  for (const auto& group :
       {CompanionCases(Build::kNative, ""), CompanionCases(Build::kWindows, "OnWindows")}) {
    cases.insert(cases.end(), group.begin(), group.end());
  }
  return cases;
}

class SetupCheck : public ::testing::TestWithParam<E2eCase> {};

TEST_P(SetupCheck, Run) {
  const RunnerConfig config = NativeRunnerConfig();
  // Only the cases of the SDK's own file name need its copies.
  if (RunsThroughDouble(config) && GetParam().name.rfind("Sdk", 0) == 0) {
    ASSERT_TRUE(SdkCopies::Instance().Prepare()) << "cannot copy " << config.rfcLibrary;
  }
  RunCase(GetParam(), config);
}

INSTANTIATE_TEST_SUITE_P(QuillmarkCheck, SetupCheck, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<E2eCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace qm::e2e
