// End-to-end cases of measuring one SAP system against the stand-in
// landscape: the result document in every OutputMode with sums worked out by
// hand (sap_fixtures.h), the progress lines, the connect-string way, the
// numbered remote failures with their trace-file hints, the RFC error report,
// the trace file's fate and the library calls of a whole run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"
#include "sap_fixtures.h"

namespace qm::e2e {
namespace {

using namespace sap;

const std::string kProcessingLine = "* hh:mm:ss PRD.P00, sapprd01, PRD, 00, 100 State=Processing\n";

std::string ExecutingLine(const std::string& display) {
  return "* hh:mm:ss Quillmark - " + display + " State=Executing\n";
}

// A password of SAP's full 40 characters, blanks and punctuation in it, and
// its value in the 44-character form scrambled by hand as another tool would
// write it (offset 7: the body keys wrap past entry 31). The stand-in
// compares the password whole, so a cut or changed one fails the logon.
const std::string kLongPassword = "Sommerfest 2024: Kaffee & Kuchen, ja? #1";
const std::string kLongPasswordValue = "0<7=Qacgy/4<+bhc+Bbi)`=$>$i&eo~#-`hB8>4uo}ig";
const std::string kLongPasswordLogon = "logon = MONITOR " + kLongPassword + "\n";

ProfileFields WithLongPassword(ProfileFields profile) {
  profile.password = kLongPasswordValue;
  return profile;
}

// ---------------------------------------------------------------------------
// Successful runs: documents, filters, readings.

std::vector<E2eCase> DocumentCases() {
  return Join({
      // No filter: every row counts, the system rows give SID-Usage, and
      // the message groups thousands (two separators, one, none).
      InModesWithDocument({.name = "AllProcesses", .args = {"PRD"}, .files = PrdFiles()}, kAllModes,
                          "", kPrdAll),
      // The user filter: key and value in any letter case, the value shown
      // upper-cased; 51999 KB truncate to 51 MB; the blank user name and
      // "sapadmin" do not match.
      InModesWithDocument(
          {.name = "UserFilter", .args = {"PRD", "user=sapadm"}, .files = PrdFiles()},
          {"EXEXML", "Zephanor", "Quenrik"}, "", kPrdSapadm),
      {
          // Quenrik with "CH=": only the third channel's bare value.
          {.name = "QuenrikSelectsChannelThree",
           .args = {"PRD", "CH=3"},
           .files = Plus(PrdFiles(), {CallerIni("Quenrik")}),
           .out = "1301202\n"},
          // "CH=" ends at the comma; the filter after it still applies.
          {.name = "QuenrikSelectsChannelWithFilter",
           .args = {"PRD", "CH=4,USER=sapadm"},
           .files = Plus(PrdFiles(), {CallerIni("Quenrik")}),
           .out = "51\n"},
          // A process filter with a trailing "*" selects by prefix; the
          // negative figures of DW.helper count as 0.
          {.name = "ProcessFilterWildcard",
           .args = {"PRD", "proc=dw*"},
           .files = PrdFiles(),
           .out = XmlDocument({"(PRD) Active Proc[DW*]: CPU-Usage=21%, CPU-Time=1.290.888 Sec, "
                               "Working-Set=1.604 MB, Prv-Pages=783 MB",
                               "21", "0", "1290888", "1604", "783"})},
          // Both filters: user and command must both match; the message
          // names both values.
          {.name = "UserAndProcessFilter",
           .args = {"PRD", "USER=prdadm", "PROC=dw.sap*"},
           .files = PrdFiles(),
           .out = XmlDocument({"(PRD) Active Proc[PRDADM/DW.SAP*]: CPU-Usage=20%, "
                               "CPU-Time=1.288.888 Sec, Working-Set=1.602 MB, Prv-Pages=782 MB",
                               "20", "0", "1288888", "1602", "782"})},
          // A lone "*" matches every row, the blank user name too.
          {.name = "LoneStarMatchesEveryRow",
           .args = {"PRD", "USER=*"},
           .files = PrdFiles(),
           .out = XmlDocument({"(PRD) Active Proc[*]: CPU-Usage=24%, CPU-Time=1.301.202 Sec, "
                               "Working-Set=1.950 MB, Prv-Pages=956 MB",
                               "24", "0", "1301202", "1950", "956"})},
          // An exact process filter: only "sshd" (trailing blanks removed).
          {.name = "ProcessFilterExact",
           .args = {"PRD", "PROC=sshd"},
           .files = PrdFiles(),
           .out = XmlDocument({"(PRD) Active Proc[SSHD]: CPU-Usage=0%, CPU-Time=5 Sec, "
                               "Working-Set=8 MB, Prv-Pages=2 MB",
                               "0", "0", "5", "8", "2"})},
          // A value that begins with a blank is no filter at all.
          {.name = "FilterValueStartingWithBlank",
           .args = {"PRD", "USER= sapadm"},
           .files = PrdFiles(),
           .out = XmlDocument(kPrdAll)},
          // A destination in lower case still finds its system rows.
          {.name = "LowerCaseDestination",
           .args = {"PRD"},
           .files = PrdFiles("", {.destination = "prd", .hostname = "sapprd01"}),
           .out = XmlDocument({"(prd) System-Procs: CPU-Usage=24%, CPU-Time=1.301.202 Sec, "
                               "Working-Set=1.950 MB, Prv-Pages=956 MB",
                               "24", "22", "1301202", "1950", "956"})},
          // A 40-character password logs on and the system is measured.
          {.name = "FortyCharacterPassword",
           .args = {"PRD"},
           .files = PrdFiles(kLongPasswordLogon, WithLongPassword(PrdProfile())),
           .out = XmlDocument(kPrdAll)},
          // No rows at all: every reading 0, the document is still complete.
          {.name = "NoRows",
           .args = {"PRD"},
           .files = Plus(PrdFiles(), {WorkFile("prd_top.csv",
                                               "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,"
                                               "PRIV_PAGES\n")}),
           .out = XmlDocument({"(PRD) System-Procs: CPU-Usage=0%, CPU-Time=0 Sec, "
                               "Working-Set=0 MB, Prv-Pages=0 MB",
                               "0", "0", "0", "0", "0"})},
      },
  });
}

// ---------------------------------------------------------------------------
// Progress lines (times of day masked).

std::vector<E2eCase> ProgressCases() {
  return {
      // "#" alone: the display text is "(No Parameters)".
      {.name = "HashMarker",
       .args = {"PRD", "#"},
       .files = PrdFiles(),
       .out = kBanner + kProcessingLine + ExecutingLine("(No Parameters)") + XmlDocument(kPrdAll) +
              kClosingLine},
      // "$" shows the whole parameter text, and the filter still applies.
      {.name = "DollarWithUserFilter",
       .args = {"PRD", "$,USER=SAPADM"},
       .files = PrdFiles(),
       .out = kBanner + kProcessingLine + ExecutingLine("$,USER=SAPADM") + XmlDocument(kPrdSapadm) +
              kClosingLine},
      // Arguments 2 and 3 joined; the display text ends before "#" and
      // keeps the blank in front of it.
      {.name = "MarkerAsThirdArgument",
       .args = {"PRD", "USER=SAPADM", "#"},
       .files = PrdFiles(),
       .out = kBanner + kProcessingLine + ExecutingLine("USER=SAPADM ") + XmlDocument(kPrdSapadm) +
              kClosingLine},
      // In a text form the closing line follows the document the same way.
      {.name = "PercentInZephanor",
       .args = {"PRD", "%"},
       .files = Plus(PrdFiles(), {CallerIni("Zephanor")}),
       .out = kBanner + kProcessingLine + ExecutingLine("%") + ZephanorDocument(kPrdAll) +
              kClosingLine},
      // A failed open: no line after the progress lines but the error
      // document.
      {.name = "ProgressThenError1011",
       .args = {"PRD", "#"},
       .files = PrdFiles("", {.destination = "PRD", .hostname = "sapxyz01"}),
       .out = kBanner + "* hh:mm:ss PRD.P00, sapxyz01, PRD, 00, 100 State=Processing\n" +
              ExecutingLine("(No Parameters)") +
              ErrorDocument("Error 1011: RFC-Open for PRD failed !"),
       .exit = 2},
  };
}

// ---------------------------------------------------------------------------
// The connect-string way: SapRfc.PRD is copied over SapRfc.ini and the
// connection opened by destination. The profile's host is unknown to the
// landscape, so only the SapRfc.ini entry can find the system.

const std::string kSapRfcPrd =
    "* stand-in destination of the PRD system\r\n"
    "DEST=PRD\r\n"
    "TYPE=A\r\n"
    "ASHOST=sapprd01\r\n"
    "SYSNR=00\r\n";
const std::string kSapRfcLine = "* SapRfc.Ini.......: PRD<\n";

std::vector<FileEntry> ConnectStringFiles(const ProfileFields& profile) {
  return Plus(PrdFiles("", profile),
              {WorkFile("SapRfc.PRD", kSapRfcPrd), WorkFile("SapRfc.ini", "DEST=OLD\nTYPE=A\n")});
}

const ProfileFields kUnknownHostProfile = {.destination = "PRD", .hostname = "oldhost01"};

std::vector<E2eCase> ConnectStringCases() {
  const E2eCase base = {.name = "ConnectString",
                        .args = {"PRD"},
                        .files = ConnectStringFiles(kUnknownHostProfile),
                        .after = {ExpectContent(Base::kWork, "SapRfc.ini", kSapRfcPrd)}};
  E2eCase withBanner = base;
  withBanner.name = "ConnectStringWithBanner";
  withBanner.args = {"PRD", "#"};
  E2eCase wrongPassword = base;
  wrongPassword.name = "ConnectStringLogonFault";
  wrongPassword.files = ConnectStringFiles(
      {.destination = "PRD", .password = ScrambledPassword("Falsch99"), .hostname = "oldhost01"});
  return Join({
      // A caller mode prints the SapRfc.ini line before the document.
      InModesWithDocument(base, kCallerModes, kSapRfcLine, kPrdAll),
      // Plain EXEXML prints the document alone (PRTG parses all of it).
      InModesWithDocument(base, {"EXEXML"}, "", kPrdAll),
      // With the banner the line comes after the progress lines.
      InModesWithDocument(withBanner, {"EXEXML"},
                          kBanner +
                              "* hh:mm:ss PRD.P00, oldhost01, PRD, 00, 100 State=Processing\n" +
                              ExecutingLine("(No Parameters)") + kSapRfcLine,
                          kPrdAll, kClosingLine),
      // The connect string carries a 40-character password with its blanks.
      InModesWithDocument({.name = "ConnectStringFortyCharacterPassword",
                           .args = {"PRD"},
                           .files = Plus(ConnectStringFiles(WithLongPassword(kUnknownHostProfile)),
                                         {WorkFile("rfcsim.ini", PrdSystem(kLongPasswordLogon))}),
                           .after = base.after},
                          {"Velkira"}, kSapRfcLine, kPrdAll),
      // The connect string's logon is checked at the open: Error 1011.
      InModes({.name = wrongPassword.name,
               .args = wrongPassword.args,
               .files = wrongPassword.files,
               .out = kSapRfcLine + ErrorDocument("Error 1011: RFC-Open for PRD failed !"),
               .exit = 2,
               .after = base.after},
              {"Velkira"}),
  });
}

// ---------------------------------------------------------------------------
// Numbered remote failures and the trace-file hint. Error documents are the
// same in every mode, so the cases spread over the modes.

const std::string kOldTrace =
    "**** ERROR file opened at 20240102 030405\n"
    "ERROR       an older failure\n";

std::vector<E2eCase> RemoteFailureCases() {
  auto failing = [](std::string name, std::string outcome, std::string mode, std::string text,
                    std::vector<FileEntry> more = {}, std::vector<FileCheck> after = {}) {
    E2eCase c = {.name = std::move(name),
                 .args = {"PRD"},
                 .files = Plus(PrdFiles("GET_TOP_SINGLE = " + outcome + "\n"), more),
                 .out = ErrorDocument(text),
                 .exit = 2,
                 .after = std::move(after)};
    if (mode != "EXEXML") c.files.push_back(CallerIni(mode));
    return c;
  };
  return {
      // No system at the profile's host: the open fails (the stand-in
      // traces it, and the trace stays).
      {.name = "E1011_NoSystemAtHost",
       .args = {"PRD"},
       .files = PrdFiles("", {.destination = "PRD", .hostname = "sapxyz01"}),
       .out = ErrorDocument("Error 1011: RFC-Open for PRD failed !"),
       .exit = 2,
       .after = {ExpectExists(Base::kWork, "Dev_Rfc.Trc")}},
      // A failure: its trace text follows; the latest error block wins over
      // an older one, and the trace file is kept.
      failing("E1014_FailureWithTraceText", "failure collector not active", "Velkira",
              "Error 1014: RFC-Failure raised ! - collector not active",
              {WorkFile("Dev_Rfc.Trc", kOldTrace)}, {ExpectExists(Base::kWork, "Dev_Rfc.Trc")}),
      // An exception writes no trace: without a trace file the hint says
      // where to look.
      failing("E1012_ExceptionName", "exception NOT_AUTHORIZED", "EXEXML",
              "Error 1012: Exception.: NOT_AUTHORIZED - Look for Trace-File", {},
              {ExpectAbsent(Base::kWork, "Dev_Rfc.Trc")}),
      // A system exception's name is not shown.
      failing("E1013_SystemException", "system_exception RFC_ERROR_SYSTEM_FAILURE", "Zephanor",
              "Error 1013: Sys-Exception raised ! - Look for Trace-File"),
      // Any other code.
      failing("E1015_OtherCode", "code 7", "Quenrik",
              "Error 1015: Other Failure raised ! - Look for Trace-File"),
      // RfcCall itself answers: 1, 2 (no exception text received), 3, 5.
      // (Another library has no separate send, and its failure 1 always
      // leaves a trace text: stand-in only.)
      StandInOnly(failing("E1014_CallCode1", "call_code 1", "Hollent",
                          "Error 1014: RFC-Failure raised ! - Look for Trace-File")),
      failing("E1012_CallCode2", "call_code 2", "EXEXML",
              "Error 1012: Exception.:  - Look for Trace-File"),
      failing("E1013_CallCode3", "call_code 3", "Velkira",
              "Error 1013: Sys-Exception raised ! - Look for Trace-File"),
      failing("E1015_CallCode5", "call_code 5", "EXEXML",
              "Error 1015: Other Failure raised ! - Look for Trace-File"),
      // An old trace whose last block has no error line: the file is only
      // pointed at, and an exception leaves it exactly as it was.
      failing("E1012_TraceWithoutErrorLine", "exception NOT_AUTHORIZED", "EXEXML",
              "Error 1012: Exception.: NOT_AUTHORIZED - Please Check Trace-File !",
              {WorkFile("Dev_Rfc.Trc", kOldTrace + "**** ERROR file opened at 20240102 030406\n")},
              {ExpectContent(Base::kWork, "Dev_Rfc.Trc",
                             kOldTrace + "**** ERROR file opened at 20240102 030406\n")}),
      // An old trace with a "======> " line after a seven-character prefix.
      failing(
          "E1012_TraceArrowLine", "exception NOT_AUTHORIZED", "Velkira",
          "Error 1012: Exception.: NOT_AUTHORIZED - connection to partner broken",
          {WorkFile("Dev_Rfc.Trc", kOldTrace + "M  *** ======> connection to partner broken\n")}),
      // The logon of RfcOpen is checked at the first receive.
      {.name = "E1014_WrongPassword",
       .args = {"PRD"},
       .files = PrdFiles("", {.destination = "PRD",
                              .password = ScrambledPassword("Falsch99"),
                              .hostname = "sapprd01"}),
       .out = ErrorDocument(
           "Error 1014: RFC-Failure raised ! - Name or password is incorrect (repeat logon)"),
       .exit = 2},
      // A client the system does not have.
      {.name = "E1014_UnknownClient",
       .args = {"PRD"},
       .files = PrdFiles("", {.destination = "PRD", .client = "200", .hostname = "sapprd01"}),
       .out = ErrorDocument(
           "Error 1014: RFC-Failure raised ! - client 200 is not available in this system"),
       .exit = 2},
      // Bad row data: an invalid number in line 3 of the CSV file.
      {.name = "E1014_BadRowData",
       .args = {"PRD"},
       .files =
           Plus(PrdFiles(), {WorkFile("prd_top.csv",
                                      "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n"
                                      "prdadm,dw.sapPRD,1,\"       1\",1,1\n"
                                      "prdadm,dw.sapPRD,x7,\"       1\",1,1\n")}),
       .out = ErrorDocument("Error 1014: RFC-Failure raised ! - bad row data: prd_top.csv line 3"),
       .exit = 2},
  };
}

// ---------------------------------------------------------------------------
// The RFC error report (exit code 1): from aborts the library reports to the
// handler and from operations the program reports itself. Caller modes and
// EXEXML with the banner show the text report; plain EXEXML gets an error
// document, since PRTG parses all of standard output as XML.

struct AbortCase {
  std::string name;       // test name part
  std::string operation;  // the landscape's abort operation (the key)
  std::string reported;   // the operation text of the report
  std::string mode;       // the caller mode of the text report
};

const AbortCase kAborts[] = {
    {"RfcOpen", "RfcOpen", "RfcOpen", "Velkira"},
    {"RfcCall", "RfcCall", "RfcCall", "Zephanor"},
    {"RfcReceive", "RfcReceive", "RfcReceive", "Quenrik"},
    {"RfcInstallStructure", "RfcInstallStructure", "RfcInstallStructure", "Hollent"},
    {"ItCreate", "ItCreate", "ItCreate TF_TOP_SINGLE", "Velkira"},
    {"ItGetLine", "ItGetLine", "ItGetLine TF_TOP_SINGLE", "Zephanor"},
    {"ItDelete", "ItDelete", "ItDelete TF_TOP_SINGLE", "Quenrik"},
};

std::vector<E2eCase> RfcErrorCases() {
  const std::string message = "gateway <sapprd01> gone & closed";
  std::vector<E2eCase> cases;
  for (const AbortCase& a : kAborts) {
    std::vector<FileEntry> files = PrdFiles("abort = " + a.operation + " " + message + "\n");
    // The text report in a caller mode; the trace file keeps the abort.
    cases.push_back({.name = "Abort" + a.name + "_" + a.mode,
                     .args = {"PRD"},
                     .files = Plus(files, {CallerIni(a.mode)}),
                     .out = RfcErrorReport(a.reported, a.operation, message),
                     .exit = 1,
                     .after = {ExpectExists(Base::kWork, "Dev_Rfc.Trc")}});
    // The same as an error document in EXEXML (its text escaped).
    cases.push_back({.name = "Abort" + a.name + "_EXEXML",
                     .args = {"PRD"},
                     .files = files,
                     .out = ErrorDocument("RFC error: " + a.reported + ", " + a.operation +
                                          ": gateway &lt;sapprd01&gt; gone &amp; closed"),
                     .exit = 1});
  }
  // EXEXML with the banner: a person watches, so the text report follows
  // the progress lines.
  cases.push_back({.name = "AbortRfcReceive_EXEXMLWithBanner",
                   .args = {"PRD", "#"},
                   .files = PrdFiles("abort = RfcReceive " + message + "\n"),
                   .out = kBanner + kProcessingLine + ExecutingLine("(No Parameters)") +
                          RfcErrorReport("RfcReceive", "RfcReceive", message),
                   .exit = 1});
  // The connect-string way aborts in RfcOpenEx.
  cases.push_back(
      {.name = "AbortRfcOpenEx_Velkira",
       .args = {"PRD"},
       .files = Plus(ConnectStringFiles(kUnknownHostProfile),
                     {WorkFile("rfcsim.ini", PrdSystem("abort = RfcOpenEx " + message + "\n")),
                      CallerIni("Velkira")}),
       .out = kSapRfcLine + RfcErrorReport("RfcOpenEx", "RfcOpenEx", message),
       .exit = 1});
  // Aborts are the stand-in's own way of failing inside the library.
  for (E2eCase& c : cases) c.standInOnly = true;
  return cases;
}

// ---------------------------------------------------------------------------
// The trace file after a run, and the library calls of a whole run.

const std::string kSingleRunLog =
    "RfcEnvironment handler=set\n"
    "RfcOpen dest=[PRD] mode=0 host=[sapprd01] sysnr=0 gwhost=[sapprd01] gwservice=[sapgw00] "
    "client=[100] user=[MONITOR     ] passwd=[Geheim12  ] lang=[E] trace=0\n"
    "ItCreate name=[TF_TOP_SINGLE] length=68\n"
    "RfcInstallStructure name=[TOP_SINGLE] fields=11\n"
    "RfcCall handle=1 function=[GET_TOP_SINGLE]\n"
    "RfcReceive handle=1\n"
    "ItFill table=1\n"
    "ItGetLine table=1 row=1\n"
    "ItFill table=1\n"
    "ItGetLine table=1 row=2\n"
    "ItFill table=1\n"
    "ItDelete table=1\n"
    "RfcClose handle=1\n";

std::vector<E2eCase> RunFileCases() {
  return {
      // Success deletes an existing trace file.
      {.name = "SuccessDeletesTraceFile",
       .args = {"PRD"},
       .files = Plus(PrdFiles(), {WorkFile("Dev_Rfc.Trc", kOldTrace)}),
       .out = XmlDocument(kPrdAll),
       .after = {ExpectAbsent(Base::kWork, "Dev_Rfc.Trc"),
                 ExpectAbsent(Base::kWork, "SapRfc.ini")}},
      // The library calls of a single run, in order, with the padded user
      // and password of the options record.
      {.name = "CallLogOfSingleRun",
       .args = {"PRD"},
       .files = Plus(PrdFiles(), {WorkFile("prd_top.csv", kTwoRows)}),
       .out = XmlDocument({"(PRD) System-Procs: CPU-Usage=12%, CPU-Time=987.659 Sec, "
                           "Working-Set=820 MB, Prv-Pages=404 MB",
                           "12", "12", "987659", "820", "404"}),
       .after = {ExpectContent(Base::kWork, "calls.log", kSingleRunLog)},
       .env = {{"RFCSIM_LOG", "{work}/calls.log"}},
       .standInOnly = true},
      // The connect-string way logs the connect string as passed: user and
      // password unpadded, language D.
      {.name = "CallLogOfConnectString",
       .args = {"PRD"},
       .files = Plus(ConnectStringFiles(kUnknownHostProfile),
                     {CallerIni("Hollent"), WorkFile("prd_top.csv", "")}),
       .out = kSapRfcLine +
              ErrorDocument("Error 1014: RFC-Failure raised ! - bad row data: prd_top.csv "
                            "line 1"),
       .exit = 2,
       .after = {ExpectContent(
           Base::kWork, "calls.log",
           "RfcEnvironment handler=set\n"
           "RfcOpenEx connect=[CLIENT=100 USER=MONITOR PASSWD=Geheim12 LANG=D DEST=PRD]\n"
           "ItCreate name=[TF_TOP_SINGLE] length=68\n"
           "RfcInstallStructure name=[TOP_SINGLE] fields=11\n"
           "RfcCall handle=1 function=[GET_TOP_SINGLE]\n"
           "RfcReceive handle=1\n"
           "ItDelete table=1\n"
           "RfcClose handle=1\n")},
       .env = {{"RFCSIM_LOG", "{work}/calls.log"}},
       .standInOnly = true},
  };
}

// ---------------------------------------------------------------------------

class Measure : public ::testing::TestWithParam<E2eCase> {};

TEST_P(Measure, Run) { RunCase(GetParam(), NativeRunnerConfig()); }

std::string CaseName(const ::testing::TestParamInfo<E2eCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Documents, Measure, ::testing::ValuesIn(DocumentCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Progress, Measure, ::testing::ValuesIn(ProgressCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(ConnectString, Measure, ::testing::ValuesIn(ConnectStringCases()),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(RemoteFailures, Measure, ::testing::ValuesIn(RemoteFailureCases()),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(RfcErrors, Measure, ::testing::ValuesIn(RfcErrorCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(RunFiles, Measure, ::testing::ValuesIn(RunFileCases()), CaseName);

}  // namespace
}  // namespace qm::e2e
