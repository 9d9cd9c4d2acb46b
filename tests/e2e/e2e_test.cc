// End-to-end cases of start-up, file locations, listings and profiles: every
// error exit prints exactly the error document and ends with exit code 2,
// and a valid profile found in each allowed place gets as far as the
// connection. Every case gets an empty rfcsim.ini: a landscape without
// systems. The profiles name destination NIX, which no system of it is, so
// those runs end with "RFC-Open for NIX failed !" (without the landscape
// file the missing RFC SDK would be reported instead).
//
// Paths: Base::kRoot paths lie below QUILLMARK_ROOT ("C/..." is drive C:,
// the current drive), Base::kWork paths in the working directory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"

namespace qm::e2e {
namespace {

const std::string kSensorDir = "PRTG Network Monitor/Custom Sensors/ExeXml/";
const std::string kFixedDir1 = "C/Programme/" + kSensorDir;
const std::string kFixedDir2 = "C/Program Files/" + kSensorDir;
const std::string kFixedDir3 = "C/Program Files (x86)/" + kSensorDir;
const std::string kHint = "C/PRTG_Path.Txt";

const std::vector<std::string> kAllModes = {"EXEXML", "Velkira", "Zephanor", "Quenrik", "Hollent"};
const std::vector<std::string> kCallerModes = {"Velkira", "Zephanor", "Quenrik", "Hollent"};

const std::string kRfcOpenFailed = ErrorDocument("Error 1011: RFC-Open for NIX failed !");
const std::string kSorry = ErrorDocument("Sorry, invalid Path-Usage...");

// The progress lines of a single-system run with the banner on, for the
// default profile PROD.P00 and a parameter text without a display part.
const std::string kProgressLines =
    "* hh:mm:ss SAP Quillmark Vers 4.3 / 29.08.22\n"
    "* hh:mm:ss PROD.P00, nohost01, NIX, 00, 100 State=Processing\n"
    "* hh:mm:ss Quillmark - (No Parameters) State=Executing\n";

// A profile with an invalid (23-character) password value.
const std::string kInvalidPasswordLine = "Password...: ABCDEFGHIJKLMNOPQRSTUVW\n";

std::vector<E2eCase> Join(std::vector<std::vector<E2eCase>> groups) {
  std::vector<E2eCase> all;
  for (auto& group : groups) all.insert(all.end(), group.begin(), group.end());
  return all;
}

// ---------------------------------------------------------------------------
// Start-up and the settings file.

std::vector<E2eCase> StartupCases() {
  return Join({
      // No argument at all: Error 1001, the same document in every mode.
      InModes({.name = "NoArgument",
               .args = {},
               .out = ErrorDocument("Error 1001: Parameter for Profile-Name is missing !"),
               .exit = 2},
              kAllModes),
      {
          // A settings file with byte-order mark, blanks, letter case and
          // CR LF still sets up a caller product: rule A names the path.
          {.name = "SettingsFileSelectsCallerProduct",
           .args = {R"(D:\cfg\PROD)"},
           .files = {WorkFile("Quillmark.ini", "\xEF\xBB\xBF[x]\r\n  caller = zephanor \r\n")},
           .out = ErrorDocument(R"(Error 1002: Profile D:\cfg\PROD.P00 is missing...)"),
           .exit = 2},
          // An unknown product leaves EXEXML: rule B names the file alone.
          {.name = "UnknownCallerKeepsExeXml",
           .args = {R"(D:\cfg\PROD)"},
           .files = {WorkFile("Quillmark.ini", "Caller=Nobody\n")},
           .out = ErrorDocument("Error 1002: Profile PROD.P00 is missing..."),
           .exit = 2},
          // Inserted texts are escaped, so the error document stays
          // well-formed XML for any profile name (Latin-1 0xFC as &#252;).
          {.name = "ErrorTextIsEscaped",
           .args = {"M\xFCller&<x>"},
           .files = {CallerIni("Velkira")},
           .out = ErrorDocument("Error 1002: Profile M&#252;ller&amp;&lt;x&gt;.P00 is missing..."),
           .exit = 2},
      },
  });
}

// ---------------------------------------------------------------------------
// File locations: rule A (caller products, "@") and rule B (PRTG directory).

std::vector<E2eCase> LocationCases() {
  return Join({
      // Rule A: the directory from the command line and the extension .P00.
      InModes({.name = "RuleAMissingNamesThePath",
               .args = {R"(D:\cfg\PROD)"},
               .files = {WorkFile("PROD.P00", ProfileText())},
               .out = ErrorDocument(R"(Error 1002: Profile D:\cfg\PROD.P00 is missing...)"),
               .exit = 2},
              kCallerModes),
      {
          // "@" selects rule A in EXEXML mode too; a copy in a fixed
          // directory is not looked at.
          {.name = "AtMarkerMissingNamesThePath",
           .args = {R"(D:\cfg\PROD)", "@"},
           .files = {RootFile(kFixedDir2 + "PROD.P00", ProfileText())},
           .out = ErrorDocument(R"(Error 1002: Profile D:\cfg\PROD.P00 is missing...)"),
           .exit = 2},
          // Rule B ignores the command-line directory and names the file alone.
          {.name = "RuleBWithoutHintMissing",
           .args = {R"(D:\cfg\PROD)"},
           .files = {RootFile("D/cfg/PROD.P00", ProfileText())},
           .out = ErrorDocument("Error 1002: Profile PROD.P00 is missing..."),
           .exit = 2},
          // With a hint file only the hinted directory counts, not the
          // current directory nor the fixed ones.
          {.name = "RuleBWithHintMissing",
           .args = {"PROD"},
           .files = {RootFile(kHint, "C:\\PRTG\r\n"), WorkFile("PROD.P00", ProfileText()),
                     RootFile(kFixedDir1 + "PROD.P00", ProfileText())},
           .out = ErrorDocument("Error 1002: Profile PROD.P00 is missing..."),
           .exit = 2},
          // Without a hint file the current directory is tried first and
          // fails the directory test, though a fixed directory has a copy.
          {.name = "RuleBProfileInCurrentDirectory",
           .args = {"PROD"},
           .files = {WorkFile("PROD.P00", ProfileText()),
                     RootFile(kFixedDir2 + "PROD.P00", ProfileText())},
           .out = kSorry,
           .exit = 2},
          // A hinted folder that holds the profile but does not end in ExeXml.
          {.name = "RuleBHintFolderNotExeXml",
           .args = {"PROD"},
           .files = {RootFile(kHint, "D:\\Sensors\n"),
                     RootFile("D/Sensors/PROD.P00", ProfileText())},
           .out = kSorry,
           .exit = 2},
          // A hint file without a directory line means the root of drive C:,
          // which is too short to end in ExeXml.
          {.name = "RuleBHintWithoutDirectoryLineRootOfDrive",
           .args = {"PROD"},
           .files = {RootFile(kHint, "rem nothing here\n"), RootFile("C/PROD.P00", ProfileText())},
           .out = kSorry,
           .exit = 2},

          // Valid profiles found in every allowed place reach the connection.
          // Hint on C: naming the folder above "PRTG Network Monitor" (CR LF).
          {.name = "HintOnDriveC",
           .args = {"PROD"},
           .files = {RootFile(kHint, "C:\\PRTG\r\n"),
                     RootFile("C/PRTG/" + kSensorDir + "PROD.P00", ProfileText())},
           .out = kRfcOpenFailed,
           .exit = 2,
           .after = {ExpectAbsent(Base::kWork, "SapRfc.ini")}},
          // The last directory line counts: E: naming the "PRTG Network
          // Monitor" folder itself; a directory part of argument 1 is dropped.
          {.name = "HintOnAnotherDrive",
           .args = {R"(X:\elsewhere\PROD)"},
           .files = {RootFile(kHint, "rem PRTG\nC:\\PRTG\nE:\\Monitor\n"),
                     RootFile("E/Monitor/Custom Sensors/ExeXml/PROD.P00", ProfileText())},
           .out = kRfcOpenFailed,
           .exit = 2},
          // The hint names the sensor directory itself, in other letter case.
          {.name = "HintNamesSensorDirectoryUpperCase",
           .args = {"PROD"},
           .files = {RootFile(kHint,
                              "C:\\Program Files (x86)\\PRTG Network Monitor\\Custom "
                              "Sensors\\EXEXML\n"),
                     RootFile("C/Program Files (x86)/PRTG Network Monitor/Custom Sensors/EXEXML/"
                              "PROD.P00",
                              ProfileText())},
           .out = kRfcOpenFailed,
           .exit = 2},
          // No directory line: the suffixes are tried below the root of C:.
          {.name = "HintWithoutDirectoryLineFindsSuffixBelowRoot",
           .args = {"PROD"},
           .files = {RootFile(kHint, "rem nothing here\n"),
                     RootFile("C/" + kSensorDir + "PROD.P00", ProfileText())},
           .out = kRfcOpenFailed,
           .exit = 2},
          // Without a hint file, each fixed directory on the current drive.
          {.name = "FixedDirectoryProgramme",
           .args = {"PROD"},
           .files = {RootFile(kFixedDir1 + "PROD.P00", ProfileText())},
           .out = kRfcOpenFailed,
           .exit = 2},
          {.name = "FixedDirectoryProgramFiles",
           .args = {"PROD"},
           .files = {RootFile(kFixedDir2 + "PROD.P00", ProfileText())},
           .out = kRfcOpenFailed,
           .exit = 2},
          {.name = "FixedDirectoryProgramFilesX86",
           .args = {"PROD"},
           .files = {RootFile(kFixedDir3 + "PROD.P00", ProfileText())},
           .out = kRfcOpenFailed,
           .exit = 2},
          // Rule A without a directory test: a drive path in Hollent mode ...
          {.name = "RuleADrivePath",
           .args = {R"(D:\cfg\PROD)"},
           .files = {CallerIni("Hollent"), RootFile("D/cfg/PROD.P00", ProfileText())},
           .out = kRfcOpenFailed,
           .exit = 2},
          // ... and "@" in EXEXML mode, which also turns the progress lines on.
          {.name = "AtMarkerShowsProgressLines",
           .args = {R"(D:\cfg\PROD)", "@"},
           .files = {RootFile("D/cfg/PROD.P00", ProfileText())},
           .out = kProgressLines + kRfcOpenFailed,
           .exit = 2},
      },
      // The current directory under rule A; in Quenrik with "CH=" the error
      // document is unchanged too.
      InModes({.name = "RuleACurrentDirectory",
               .args = {"PROD", "CH=2"},
               .files = {WorkFile("PROD.P00", ProfileText())},
               .out = kRfcOpenFailed,
               .exit = 2},
              kCallerModes),
  });
}

// ---------------------------------------------------------------------------
// Profiles: Errors 1003 to 1007.

std::vector<E2eCase> ProfileCases() {
  return {
      // Every line but the language line: its minimum length is 1.
      {.name = "E1003_NoLanguageLine",
       .args = {"PROD"},
       .files = {RootFile(kFixedDir2 + "PROD.P00", ProfileText({.language = std::nullopt}))},
       .out = ErrorDocument("Error 1003: Invalid Parameter(s) at PROD.P00 found..."),
       .exit = 2},
      // No separator: the value starts at the 14th character ("RD", too short).
      {.name = "E1003_DestinationWithoutSeparator",
       .args = {"PROD"},
       .files = {CallerIni("Zephanor"),
                 WorkFile("PROD.P00",
                          ProfileText({.destination = std::nullopt}) + "Destination:PRD\n")},
       .out = ErrorDocument("Error 1003: Invalid Parameter(s) at PROD.P00 found..."),
       .exit = 2},
      // A 23-character password value has the wrong form.
      {.name = "E1004_InvalidPassword",
       .args = {"PROD"},
       .files = {CallerIni("Velkira"),
                 WorkFile("PROD.P00",
                          ProfileText({.password = std::nullopt}) + kInvalidPasswordLine)},
       .out = ErrorDocument("Error 1004: Invalid Password in Profile PROD.P00 found..."),
       .exit = 2},
      // The faulty password line stops the run at once: a later good one
      // and the missing user line come too late.
      {.name = "E1004_WinsOverLaterLines",
       .args = {"PROD"},
       .files = {CallerIni("Hollent"),
                 WorkFile("PROD.P00",
                          kInvalidPasswordLine +
                              ProfileText({.user = std::nullopt,
                                           .password = ScrambledPassword("Geheim12")}))},
       .out = ErrorDocument("Error 1004: Invalid Password in Profile PROD.P00 found..."),
       .exit = 2},
      // A valid header with a changed body: the check digit does not match.
      {.name = "E1005_WrongCheckDigit",
       .args = {"PROD"},
       .files = {RootFile(kHint, "C:\\PRTG\n"),
                 RootFile("C/PRTG/" + kSensorDir + "PROD.P00",
                          ProfileText({.password = WrongCheckDigitPassword("Geheim12")}))},
       .out = ErrorDocument("Error 1005: Wrong Password in Profile PROD.P00 found..."),
       .exit = 2},
      // An empty profile: the user name is checked first. An error exit
      // leaves an existing trace file alone.
      {.name = "E1006_EmptyProfile",
       .args = {"PROD"},
       .files = {CallerIni("Quenrik"), WorkFile("PROD.P00", ""),
                 WorkFile("Dev_Rfc.Trc", "old trace\n")},
       .out = ErrorDocument("Error 1006: Username in Profile PROD.P00 is missing..."),
       .exit = 2,
       .after = {ExpectContent(Base::kWork, "Dev_Rfc.Trc", "old trace\n")}},
      // Neither user nor password line: only Error 1006 is reported.
      {.name = "E1006_NoUserNoPassword",
       .args = {"PROD"},
       .files = {RootFile(kFixedDir1 + "PROD.P00",
                          ProfileText({.user = std::nullopt, .password = std::nullopt}))},
       .out = ErrorDocument("Error 1006: Username in Profile PROD.P00 is missing..."),
       .exit = 2},
      // A password line with nothing after the label.
      {.name = "E1007_EmptyPasswordValue",
       .args = {"prod.p01"},
       .files = {CallerIni("Velkira"),
                 WorkFile("prod.p01", ProfileText({.password = std::nullopt}) + "Password...:\n")},
       .out = ErrorDocument("Error 1007: Password in Profile prod.p01 is missing..."),
       .exit = 2},
      // A valid profile written with CR LF line ends passes every check.
      {.name = "CrLfProfileIsValid",
       .args = {"PROD"},
       .files = {CallerIni("Hollent"), WorkFile("PROD.P00", ProfileText({}, "\r\n"))},
       .out = kRfcOpenFailed,
       .exit = 2},
  };
}

// ---------------------------------------------------------------------------
// Listings: "Beaconry.Prf" ("ITEM=") and "SAP Beaconry.Gbl" ("GLOBAL").

// Lines of the global file for sensor PRODCPU: columns 1-8 the key, 9-18 the
// name padded to 10, then ": " before the listing or ":" before the text.
const std::string kGblListingLine = "# GSNG: PRODCPU   : PROD.P00#\n";
const std::string kGblSensorLine =
    "# GSNX: PRODCPU   :Item=CPU-Usage USER=SAPSYS,Sensor=\"SAP Quillmark\",Host\n";

std::vector<E2eCase> ListingCases() {
  return {
      // A missing listing file is found missing by the location rules.
      {.name = "E1002_BeaconryPrfMissing",
       .args = {"X", "ITEM=CPU-Usage"},
       .out = ErrorDocument("Error 1002: Profile Beaconry.Prf is missing..."),
       .exit = 2},
      // "ITEM=" drops argument 1 entirely, its directory included.
      {.name = "E1002_BeaconryPrfIgnoresArgumentDirectory",
       .args = {R"(D:\cfg\X)", "ITEM=CPU-Usage"},
       .files = {CallerIni("Velkira"),
                 RootFile("D/cfg/Beaconry.Prf", "# Gsng: CPU-Usage   PROD.P00#\n")},
       .out = ErrorDocument("Error 1002: Profile Beaconry.Prf is missing..."),
       .exit = 2},
      // "global" with a directory selects the global file in that directory.
      {.name = "E1002_GlobalFileMissing",
       .args = {R"(D:\cfg\global)", "prodcpu"},
       .files = {CallerIni("Zephanor")},
       .out = ErrorDocument(R"(Error 1002: Profile D:\cfg\SAP Beaconry.Gbl is missing...)"),
       .exit = 2},
      // "# GSNG: " in upper case is no listing line of "Beaconry.Prf".
      {.name = "E1025_BeaconryPrfWithoutListing",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = {RootFile(kFixedDir2 + "Beaconry.Prf", "# GSNG: CPU-Usage   PROD.P00#\n")},
       .out = ErrorDocument("Error 1025: Global Server Listing missing..."),
       .exit = 2},
      // An empty "ITEM=" value, after the listing was found.
      {.name = "E1026_BeaconryPrfEmptyItem",
       .args = {"X", "ITEM=,USER=SAPSYS"},
       .files = {CallerIni("Quenrik"), WorkFile("Beaconry.Prf", "# Gsng: CPU-Usage   PROD.P00#\n")},
       .out = ErrorDocument("Error 1026: Global Item Idenification missing..."),
       .exit = 2},
      // The sensor line carries the tag but the sensor has no listing line.
      {.name = "E1025_GlobalFileWithoutListing",
       .args = {"GLOBAL", "prodcpu"},
       .files = {CallerIni("Velkira"),
                 WorkFile("SAP Beaconry.Gbl", "# GSNG: OTHERCPU  : QAS.P00#\n" + kGblSensorLine)},
       .out = ErrorDocument("Error 1025: Global Server Listing missing..."),
       .exit = 2},
      // A sensor line without "Item=".
      {.name = "E1026_GlobalFileWithoutItem",
       .args = {"GLOBAL", "prodcpu"},
       .files = {RootFile(
           kFixedDir3 + "SAP Beaconry.Gbl",
           kGblListingLine + "# GSNX: PRODCPU   :USER=SAPSYS,Sensor=\"SAP Quillmark\"\n")},
       .out = ErrorDocument("Error 1026: Global Item Idenification missing..."),
       .exit = 2},
      // The tag's letter case matters; a later good line is not read.
      {.name = "E1029_SensorTagInWrongCase",
       .args = {"GLOBAL", "prodcpu"},
       .files = {CallerIni("Hollent"),
                 WorkFile("SAP Beaconry.Gbl",
                          kGblListingLine +
                              "# GSNX: PRODCPU   :Item=CPU-Usage,sensor=\"SAP Quillmark\"\n" +
                              kGblSensorLine)},
       .out = ErrorDocument("Error 1029: Invalid Sensor-Allocation..."),
       .exit = 2},
      // No sensor line for the sensor: argument 2 as typed, not argument 3.
      {.name = "E1030_SensorNotFound",
       .args = {"GLOBAL", "ProdCpu", "#"},
       .files = {CallerIni("Zephanor"),
                 WorkFile("SAP Beaconry.Gbl",
                          "# GSNG: OTHERCPU  : QAS.P00#\n"
                          "# GSNX: OTHERCPU  :Item=CPU-Usage,Sensor=\"SAP Quillmark\"\n")},
       .out = ErrorDocument("Error 1030: Global Sensor ProdCpu not found..."),
       .exit = 2},
      // Without argument 2 the sensor name is the empty text.
      {.name = "E1030_NoArgumentTwo",
       .args = {"global"},
       .files = {RootFile(kFixedDir1 + "SAP Beaconry.Gbl", kGblListingLine + kGblSensorLine)},
       .out = ErrorDocument("Error 1030: Global Sensor  not found..."),
       .exit = 2},
  };
}

// ---------------------------------------------------------------------------

class EndToEnd : public ::testing::TestWithParam<E2eCase> {};

TEST_P(EndToEnd, Run) {
  E2eCase c = GetParam();
  bool hasLandscape = false;
  for (const FileEntry& f : c.files) hasLandscape = hasLandscape || f.path == "rfcsim.ini";
  if (!hasLandscape) c.files.push_back(WorkFile("rfcsim.ini", ""));
  RunCase(c, NativeRunnerConfig());
}

std::string CaseName(const ::testing::TestParamInfo<E2eCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Startup, EndToEnd, ::testing::ValuesIn(StartupCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Locations, EndToEnd, ::testing::ValuesIn(LocationCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Profiles, EndToEnd, ::testing::ValuesIn(ProfileCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Listings, EndToEnd, ::testing::ValuesIn(ListingCases()), CaseName);

}  // namespace
}  // namespace qm::e2e
