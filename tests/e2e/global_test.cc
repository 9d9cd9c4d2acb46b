// End-to-end cases of runs over a global listing ("ITEM=" over Beaconry.Prf,
// and GLOBAL with "SAP Beaconry.Gbl" and a sensor name): one channel per
// processed system under the label of the listing's key type, systems that
// are skipped or fail, the progress lines, the summary, and the library
// calls of a whole run; thresholds and the opt-in channels in global runs,
// and global runs in the plugin and Prometheus forms.
//
// The listed systems of the landscape:
//   PRD.P00   processed (the rows of sap_fixtures.h)
//   QAS.P00   processed (CPU-Usage 20, SID 20, time 57717, RES 1610, PRIV 784,
//             3 processes; PRD has 10)
//   DEV.P00   GET_CPU_ALL answers an exception
//   TST.P00   GET_TOP_SINGLE answers a failure
//   NIX.P00   no system at its host: no connection
//   NOPW.P00  PRD's profile without its password line: a profile fault
//   BAD.P00   PRD's profile with a wrong check digit: a profile fault
//   MIS.P00   no such file: skipped
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "e2e_harness.h"
#include "exposition_parser.h"
#include "sap_fixtures.h"

namespace qm::e2e {
namespace {

using namespace sap;

std::string Landscape(const std::string& prdExtra = "", const std::string& qasExtra = "") {
  return PrdSystem(prdExtra) + "\n[QAS]\nhost = sapqas01\nsysnr = 10\ntop = qas_top.csv\n" +
         qasExtra +
         "\n[DEV]\nhost = sapdev01\nsysnr = 20\ntop = prd_top.csv\n"
         "GET_CPU_ALL = exception NOT_AUTHORIZED\n"
         "\n[TST]\nhost = saptst01\nsysnr = 30\ncpu = prd_cpu.csv\n"
         "GET_TOP_SINGLE = failure collector not active\n";
}

ProfileFields SystemProfile(const std::string& sid, const std::string& host,
                            const std::string& sysnr) {
  return {.destination = sid,
          .hostname = host,
          .sysnr = sysnr,
          .gwhost = host,
          .gwservice = "sapgw" + sysnr};
}

// The landscape, the hint file, every listed profile where each mode looks
// (MIS.P00 nowhere), and the listing file `listingName` with `listingText`.
std::vector<FileEntry> GlobalFiles(const std::string& listingName, const std::string& listingText,
                                   const std::string& landscape = Landscape()) {
  ProfileFields noPassword = PrdProfile();
  noPassword.password = std::nullopt;
  ProfileFields wrongCheckDigit = PrdProfile();
  wrongCheckDigit.password = WrongCheckDigitPassword("Geheim12");
  std::vector<FileEntry> files = LandscapeFiles(landscape);
  files.push_back(RootFile(kHint, "C:\\PRTG\n"));
  const std::pair<std::string, std::string> placed[] = {
      {"PRD.P00", ProfileText(PrdProfile())},
      {"QAS.P00", ProfileText(QasProfile())},
      {"DEV.P00", ProfileText(SystemProfile("DEV", "sapdev01", "20"))},
      {"TST.P00", ProfileText(SystemProfile("TST", "saptst01", "30"))},
      {"NIX.P00", ProfileText()},
      {"NOPW.P00", ProfileText(noPassword)},
      {"BAD.P00", ProfileText(wrongCheckDigit)},
      {listingName, listingText},
  };
  for (const auto& [name, text] : placed) files = Plus(files, ProfileEverywhere(name, text));
  return files;
}

// "Beaconry.Prf" with one listing line (columns 9 to 20 are not read).
std::vector<FileEntry> PrfFiles(const std::string& listing,
                                const std::string& landscape = Landscape()) {
  return GlobalFiles("Beaconry.Prf",
                     "# listing of the monitored systems\n# Gsng: CPU-Usage   " + listing + "\n",
                     landscape);
}

// "SAP Beaconry.Gbl" with sensor PRODCPU over PRD, QAS and DEV, whose sensor
// text is `sensorText` (before the sensor tag) followed by `keyWords`, and
// the lines of another sensor.
std::vector<FileEntry> GblFiles(const std::string& sensorText, const std::string& keyWords) {
  return GlobalFiles("SAP Beaconry.Gbl",
                     "# GSNG: OTHERCPU  : TST.P00#\n"
                     "# GSNG: PRODCPU   : PRD.P00#QAS.P00#\n"
                     "# GSNX: OTHERCPU  :Item=CPU-Usage,Sensor=\"SAP Quillmark\",Sid\n"
                     "# GSNX: PRODCPU   :" +
                         sensorText + ",Sensor=\"SAP Quillmark\"" + keyWords +
                         "\n"
                         "# GSNG: PRODCPU   : DEV.P00#\n");
}

std::string ProgressLine(const std::string& entry, const std::string& fields,
                         const std::string& state) {
  return "\n* hh:mm:ss " + entry + ", " + fields + " State=" + state + "\n";
}

const std::string kPrdLine = "sapprd01, PRD, 00, 100";
const std::string kQasLine = "sapqas01, QAS, 10, 100";
const std::string kDevLine = "sapdev01, DEV, 20, 100";

// The document opening of the XML form, printed with a line feed.
const std::string kXmlStart = "\n<Prtg>\n\n";

// The summary of the XML form, printed with a line feed.
std::string XmlSummary(const std::string& text) {
  return "\n<Text>(***) " + text + "</Text>\n\n</Prtg>\n\n";
}

// The summary of the two text forms.
std::string TextSummary(const std::string& text) { return "\n# (***) " + text + "\n\n"; }

const std::string kFullListing = "PRD.P00#MIS.P00#NIX.P00#NOPW.P00#QAS.P00#DEV.P00#TST.P00#";

// ---------------------------------------------------------------------------
// "ITEM=" over Beaconry.Prf: listing key type Profile.

std::vector<E2eCase> ItemCases() {
  return {
      // Every kind of system; a failed last system leaves no error text in
      // front of the summary. MIS.P00 counts in NoSystems only; NOPW.P00
      // fails although PRD before it had a password.
      {.name = "EveryKindOfSystem",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = PrfFiles(kFullListing),
       .out = kXmlStart + XmlChannel("PRD.P00", "PerCent", "24") +
              XmlChannel("QAS.P00", "PerCent", "20") +
              XmlSummary("CPU-Usage: NoSystems=7, Processed=2, Failed=4")},
      // The same with the banner: a start line, one line per system that
      // was not skipped, the closing line.
      {.name = "EveryKindOfSystemWithBanner",
       .args = {"X", "ITEM=CPU-Usage", "#"},
       .files = PrfFiles(kFullListing),
       .out =
           kBanner + "* hh:mm:ss ITEM=CPU-Usage # State=Executing\n" + kXmlStart +
           XmlChannel("PRD.P00", "PerCent", "24") + ProgressLine("PRD.P00", kPrdLine, "Processed") +
           ProgressLine("NIX.P00", "nohost01, NIX, 00, 100", "Rfc Failure") +
           ProgressLine("NOPW.P00", kPrdLine, "Rfc Failure") +
           XmlChannel("QAS.P00", "PerCent", "20") + ProgressLine("QAS.P00", kQasLine, "Processed") +
           ProgressLine("DEV.P00", kDevLine, "Rfc Failure") +
           ProgressLine("TST.P00", "saptst01, TST, 30, 100", "Rfc Failure") +
           XmlSummary("CPU-Usage: NoSystems=7, Processed=2, Failed=4") + kClosingLine},
      // An item that names no channel: no channel, but both systems count
      // as processed.
      {.name = "ItemNamingNoChannel",
       .args = {"X", "ITEM=cpu-usage"},
       .files = PrfFiles("PRD.P00#QAS.P00"),
       .out = kXmlStart + XmlSummary("cpu-usage: NoSystems=2, Processed=2, Failed=0")},
      // Every system failed: still the summary and exit code 0.
      {.name = "EverySystemFailed",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = PrfFiles("NIX.P00#DEV.P00#"),
       .out = kXmlStart + XmlSummary("CPU-Usage: NoSystems=2, Processed=0, Failed=2")},
      // The Zephanor form: labels with "_" for the first "." and "%".
      {.name = "ZephanorForm",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = Plus(PrfFiles("PRD.P00#QAS.P00#DEV.P00#"), {CallerIni("Zephanor")}),
       .out = "\n" + ZephanorChannel("PRD_P00", "PRD.P00", "%", "24") +
              ZephanorChannel("QAS_P00", "QAS.P00", "%", "20") +
              TextSummary("CPU-Usage: NoSystems=3, Processed=2, Failed=1")},
      // The Quenrik form, with a filter from the command line.
      {.name = "QuenrikFormWithFilter",
       .args = {"X", "ITEM=Working-Set,USER=prdadm"},
       .files = Plus(PrfFiles("PRD.P00#QAS.P00#DEV.P00#"), {CallerIni("Quenrik")}),
       .out = "\n\n> PRD.P00: 1666 MByte\n> QAS.P00: 0 MByte" +
              TextSummary("Working-Set: NoSystems=3, Processed=2, Failed=1")},
      // The structure is installed once per process, so a later system's
      // RfcInstallStructure abort never fires (one system after another:
      // with workers, whichever system comes first installs it).
      {.name = "InstallStructureAbortOnLaterSystem",
       .args = {"X", "ITEM=SID-Usage"},
       .files = Plus(
           PrfFiles("PRD.P00#QAS.P00#", Landscape("", "abort = RfcInstallStructure not again\n")),
           {WorkFile("Quillmark.ini", "Parallel=1\n")}),
       .out = kXmlStart + XmlChannel("PRD.P00", "PerCent", "22") +
              XmlChannel("QAS.P00", "PerCent", "20") +
              XmlSummary("SID-Usage: NoSystems=2, Processed=2, Failed=0")},
  };
}

// ---------------------------------------------------------------------------
// GLOBAL with "SAP Beaconry.Gbl": the sensor line gives the item, the key
// type and the parameter text; PRD and QAS processed, DEV (last) failed.

std::vector<E2eCase> GlobalFileCases() {
  const std::string summaryCounts = ": NoSystems=3, Processed=2, Failed=1";
  return {
      // Profile: the entry itself.
      {.name = "KeyTypeProfile",
       .args = {"GLOBAL", "prodcpu"},
       .files = GblFiles("Item=SID-Usage", ",Profile"),
       .out = kXmlStart + XmlChannel("PRD.P00", "PerCent", "22") +
              XmlChannel("QAS.P00", "PerCent", "20") + XmlSummary("SID-Usage" + summaryCounts)},
      // Alias: the entry without ".P00"; the sensor text's filter applies
      // to every system (QAS has no process of prdadm).
      {.name = "KeyTypeAliasWithFilter",
       .args = {"GLOBAL", "prodcpu"},
       .files = GblFiles("Item=Working-Set USER=prdadm", ",Alias"),
       .out = kXmlStart + XmlChannel("PRD", "MByte", "1666") + XmlChannel("QAS", "MByte", "0") +
              XmlSummary("Working-Set" + summaryCounts)},
      // Host: the profile's host name (",Host" outranks ",Alias").
      {.name = "KeyTypeHost",
       .args = {"GLOBAL", "prodcpu"},
       .files = GblFiles("Item=CPU-Time", ",Host,Alias"),
       .out = kXmlStart + XmlChannel("sapprd01", "CpuTime", "1301202") +
              XmlChannel("sapqas01", "CpuTime", "57717") + XmlSummary("CPU-Time" + summaryCounts)},
      // Sid: the destination; "Private:Pages" names "Private Pages".
      {.name = "KeyTypeSid",
       .args = {"GLOBAL", "prodcpu"},
       .files = GblFiles("Item=Private:Pages", ",Sid"),
       .out = kXmlStart + XmlChannel("PRD", "MByte", "956") + XmlChannel("QAS", "MByte", "784") +
              XmlSummary("Private Pages" + summaryCounts)},
      // The banner: the start line shows the sensor text, colons as blanks.
      {.name = "KeyTypeSidWithBanner",
       .args = {"GLOBAL", "prodcpu", "#"},
       .files = GblFiles("Item=Private:Pages", ",Sid"),
       .out = kBanner + "* hh:mm:ss Item=Private Pages State=Executing\n" + kXmlStart +
              XmlChannel("PRD", "MByte", "956") + ProgressLine("PRD.P00", kPrdLine, "Processed") +
              XmlChannel("QAS", "MByte", "784") + ProgressLine("QAS.P00", kQasLine, "Processed") +
              ProgressLine("DEV.P00", kDevLine, "Rfc Failure") +
              XmlSummary("Private Pages" + summaryCounts) + kClosingLine},
  };
}

// ---------------------------------------------------------------------------
// The RFC error report in a global run: after the channels already printed,
// the report ends the run with exit code 1 (a caller mode).

std::vector<E2eCase> GlobalRfcErrorCases() {
  const std::pair<std::string, std::string> aborts[] = {
      {"ItCreate", "ItCreate TF_CPU_ALL"},
      {"ItGetLine", "ItGetLine TF_CPU_ALL"},
      {"ItDelete", "ItDelete TF_CPU_ALL"},
  };
  std::vector<E2eCase> cases;
  for (const auto& [operation, reported] : aborts) {
    cases.push_back({.name = "Abort" + operation + "OfCpuStep",
                     .args = {"X", "ITEM=CPU-Usage"},
                     .files = Plus(PrfFiles("QAS.P00#PRD.P00#QAS.P00#",
                                            Landscape("abort = " + operation + " table lost\n")),
                                   {CallerIni("Velkira")}),
                     .out = kXmlStart + XmlChannel("QAS.P00", "PerCent", "20") +
                            RfcErrorReport(reported, operation, "table lost"),
                     .exit = 1,
                     .standInOnly = true});  // aborts are the stand-in's own
  }
  // PRTG parses all of standard output as one document: the report closes
  // the document already opened instead of starting a second one.
  cases.push_back(
      {.name = "AbortClosesTheOpenDocumentForPrtg",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = PrfFiles("QAS.P00#PRD.P00#QAS.P00#", Landscape("abort = ItGetLine table lost\n")),
       .out = kXmlStart + XmlChannel("QAS.P00", "PerCent", "20") +
              "<Error>1</Error>\n<Text>RFC error: ItGetLine TF_CPU_ALL, ItGetLine: table "
              "lost</Text>\n</Prtg>\n",
       .exit = 1,
       .standInOnly = true});
  return cases;
}

// ---------------------------------------------------------------------------
// The library calls of a global run: the structures are installed once, a
// skipped profile makes no call, and a profile fault gets its environment
// call but no open.

const std::string kGlobalRunLog =
    // PRD.P00
    "RfcEnvironment handler=set\n"
    "RfcOpen dest=[PRD] mode=0 host=[sapprd01] sysnr=0 gwhost=[sapprd01] gwservice=[sapgw00] "
    "client=[100] user=[MONITOR     ] passwd=[Geheim12  ] lang=[E] trace=0\n"
    "ItCreate name=[TF_CPU_ALL] length=48\n"
    "RfcInstallStructure name=[CPU_ALL] fields=13\n"
    "RfcCall handle=1 function=[GET_CPU_ALL]\n"
    "RfcReceive handle=1\n"
    "ItFill table=1\n"
    "ItGetLine table=1 row=1\n"
    "ItFill table=1\n"
    "ItDelete table=1\n"
    "ItCreate name=[TF_TOP_SINGLE] length=68\n"
    "RfcInstallStructure name=[TOP_SINGLE] fields=11\n"
    "RfcCall handle=1 function=[GET_TOP_SINGLE]\n"
    "RfcReceive handle=1\n"
    "ItFill table=2\n"
    "ItGetLine table=2 row=1\n"
    "ItFill table=2\n"
    "ItGetLine table=2 row=2\n"
    "ItFill table=2\n"
    "ItDelete table=2\n"
    "RfcClose handle=1\n"
    // MIS.P00: nothing. BAD.P00:
    "RfcEnvironment handler=set\n"
    // QAS.P00: no CPU rows, three process rows.
    "RfcEnvironment handler=set\n"
    "RfcOpen dest=[QAS] mode=0 host=[sapqas01] sysnr=10 gwhost=[sapqas01] gwservice=[sapgw10] "
    "client=[100] user=[MONITOR     ] passwd=[Geheim12  ] lang=[E] trace=0\n"
    "ItCreate name=[TF_CPU_ALL] length=48\n"
    "RfcCall handle=2 function=[GET_CPU_ALL]\n"
    "RfcReceive handle=2\n"
    "ItFill table=3\n"
    "ItDelete table=3\n"
    "ItCreate name=[TF_TOP_SINGLE] length=68\n"
    "RfcCall handle=2 function=[GET_TOP_SINGLE]\n"
    "RfcReceive handle=2\n"
    "ItFill table=4\n"
    "ItGetLine table=4 row=1\n"
    "ItFill table=4\n"
    "ItGetLine table=4 row=2\n"
    "ItFill table=4\n"
    "ItGetLine table=4 row=3\n"
    "ItFill table=4\n"
    "ItDelete table=4\n"
    "RfcClose handle=2\n";

std::vector<E2eCase> CallLogCases() {
  return {
      // One system after another, so the calls come in listing order.
      {.name = "CallLogOfGlobalRun",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = Plus(PrfFiles("PRD.P00#MIS.P00#BAD.P00#QAS.P00#"),
                     {WorkFile("prd_top.csv", kTwoRows),
                      WorkFile("Quillmark.ini", "Parallel=1\nSystemTimeout=0\n")}),
       .out = kXmlStart + XmlChannel("PRD.P00", "PerCent", "12") +
              XmlChannel("QAS.P00", "PerCent", "20") +
              XmlSummary("CPU-Usage: NoSystems=4, Processed=2, Failed=1"),
       .after = {ExpectContent(Base::kWork, "calls.log", kGlobalRunLog)},
       .env = {{"RFCSIM_LOG", "{work}/calls.log"}},
       .standInOnly = true},
  };
}

// ---------------------------------------------------------------------------
// Thresholds and the opt-in channels: the thresholds apply to each system's
// item reading by the item's channel; the opt-in channels can be the item.
// PRD has 10 processes, QAS 3.

std::string XmlItemWith(const std::string& label, const std::string& unit, const std::string& value,
                        const std::string& after) {
  std::string text = "\n<Result><Channel>" + label + "</Channel>";
  if (!unit.empty()) text += "\n<Unit>Custom</Unit>\n<CustomUnit>" + unit + "</CustomUnit>";
  return text + "\n<Value>" + value + "</Value>" + after + "</Result>\n";
}

std::vector<E2eCase> ThresholdAndExtraCases() {
  const std::string limits = "\n<LimitMode>1</LimitMode>\n<LimitMaxWarning>21</LimitMaxWarning>";
  const std::string warning = "\n<Warning>1</Warning>";
  const std::string prdQas = "PRD.P00#QAS.P00#";
  std::vector<E2eCase> processes;
  for (const std::string& mode : kAllModes) {
    E2eCase c = InModes({.name = "ProcessesAsItem",
                         .args = {"X", "ITEM=Processes EXTRA=PROCS"},
                         .files = PrfFiles(prdQas)},
                        {mode})[0];
    const std::string summary = "Processes: NoSystems=2, Processed=2, Failed=0";
    if (mode == "Zephanor") {
      c.out = "\n" + ZephanorChannel("PRD_P00", "PRD.P00", "#", "10") +
              ZephanorChannel("QAS_P00", "QAS.P00", "#", "3") + TextSummary(summary);
    } else if (mode == "Quenrik") {
      c.out = "\n\n> PRD.P00: 10 #\n> QAS.P00: 3 #" + TextSummary(summary);
    } else {
      c.out = kXmlStart + XmlItemWith("PRD.P00", "", "10", "") +
              XmlItemWith("QAS.P00", "", "3", "") + XmlSummary(summary);
    }
    processes.push_back(c);
  }
  const std::string rtSummary = "Response Time: NoSystems=2, Processed=2, Failed=0";
  return Join({
      processes,
      {
          // The response time as the item, masked in every form.
          {.name = "ResponseTimeAsItem",
           .args = {"X", "ITEM=Response:Time EXTRA=RTIME"},
           .files = PrfFiles(prdQas),
           .out = kXmlStart + XmlChannel("PRD.P00", "TimeResponse", kMaskedDuration) +
                  XmlChannel("QAS.P00", "TimeResponse", kMaskedDuration) + XmlSummary(rtSummary)},
          {.name = "ResponseTimeAsItem_Zephanor",
           .args = {"X", "ITEM=Response:Time EXTRA=RTIME"},
           .files = Plus(PrfFiles(prdQas), {CallerIni("Zephanor")}),
           .out = "\n" + ZephanorChannel("PRD_P00", "PRD.P00", "mSec", kMaskedDuration) +
                  ZephanorChannel("QAS_P00", "QAS.P00", "mSec", kMaskedDuration) +
                  TextSummary(rtSummary)},
          {.name = "ResponseTimeAsItem_Quenrik",
           .args = {"X", "ITEM=Response:Time EXTRA=RTIME"},
           .files = Plus(PrfFiles(prdQas), {CallerIni("Quenrik")}),
           .out = "\n\n> PRD.P00: " + kMaskedDuration + " mSec\n> QAS.P00: " + kMaskedDuration +
                  " mSec" + TextSummary(rtSummary)},
          // Without EXTRA= there is no such channel: the item names none, as
          // before.
          {.name = "ProcessesWithoutExtra",
           .args = {"X", "ITEM=Processes"},
           .files = PrfFiles(prdQas),
           .out = kXmlStart + XmlSummary("Processes: NoSystems=2, Processed=2, Failed=0")},
          // PRTG: each item channel carries the item's limits, a violating
          // system's channel the warning, the summary the marker; the
          // threshold of another channel plays no part.
          {.name = "PrtgThresholdOfTheItem",
           .args = {"X", "ITEM=CPU-Usage WARN.CPU=21 CRIT.TIME=1"},
           .files = PrfFiles(prdQas),
           .out = kXmlStart + XmlItemWith("PRD.P00", "PerCent", "24", limits + warning) +
                  XmlItemWith("QAS.P00", "PerCent", "20", limits) +
                  XmlSummary("CPU-Usage: NoSystems=2, Processed=2, Failed=0 [WARN.CPU]")},
          // A global file's sensor text keeps the colons of its ranges.
          {.name = "PrtgRangeInTheSensorText",
           .args = {"GLOBAL", "prodcpu"},
           .files = GblFiles("Item=CPU-Usage WARN.CPU=10:22", ",Sid"),
           .out = kXmlStart +
                  XmlItemWith("PRD", "PerCent", "24",
                              "\n<LimitMode>1</LimitMode>\n<LimitMaxWarning>22</LimitMaxWarning>"
                              "\n<LimitMinWarning>10</LimitMinWarning>" +
                                  warning) +
                  XmlItemWith("QAS", "PerCent", "20",
                              "\n<LimitMode>1</LimitMode>\n<LimitMaxWarning>22</LimitMaxWarning>"
                              "\n<LimitMinWarning>10</LimitMinWarning>") +
                  XmlSummary("CPU-Usage: NoSystems=3, Processed=2, Failed=1 [WARN.CPU]")},
          // A malformed range in the sensor text ends the run once the
          // listing is read.
          {.name = "MalformedThresholdInTheSensorText",
           .args = {"GLOBAL", "prodcpu"},
           .files = GblFiles("Item=CPU-Usage WARN.CPU=1:x", ",Sid"),
           .out = ErrorDocument("Error 1031: Invalid Threshold WARN.CPU=1:x found..."),
           .exit = 2},
      },
  });
}

// ---------------------------------------------------------------------------
// The plugin form: the summary as the message, every system's item reading
// as performance data, the state from the thresholds and the failures.

std::vector<E2eCase> PluginCases() {
  const FileEntry plugin = CallerIni("Plugin");
  const std::string prdQas = "PRD.P00#QAS.P00#";
  auto gbl = [&](const std::string& text) {
    return Plus(GlobalFiles("SAP Beaconry.Gbl", text), {plugin});
  };
  return {
      // Some systems failed: WARNING.
      {.name = "PluginEveryKindOfSystem",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = Plus(PrfFiles(kFullListing), {plugin}),
       .out = "QUILLMARK WARNING - (***) CPU-Usage: NoSystems=7, Processed=2, Failed=4 | "
              "'PRD.P00'=24%;;;0; 'QAS.P00'=20%;;;0;\n",
       .exit = 1},
      // All processed, the item's thresholds kept: OK; a threshold of
      // another channel is not the item's.
      {.name = "PluginAllProcessed",
       .args = {"X", "ITEM=CPU-Time WARN.TIME=2000000 CRIT.CPU=1"},
       .files = Plus(PrfFiles(prdQas), {plugin}),
       .out = "QUILLMARK OK - (***) CPU-Time: NoSystems=2, Processed=2, Failed=0 | "
              "'PRD.P00'=1301202s;2000000;;0; 'QAS.P00'=57717s;2000000;;0;\n"},
      // One system violates its warning range: WARNING.
      {.name = "PluginWarningOfOneSystem",
       .args = {"X", "ITEM=CPU-Usage WARN.CPU=21"},
       .files = Plus(PrfFiles(prdQas), {plugin}),
       .out =
           "QUILLMARK WARNING - (***) CPU-Usage: NoSystems=2, Processed=2, Failed=0 [WARN.CPU] | "
           "'PRD.P00'=24%;21;;0; 'QAS.P00'=20%;21;;0;\n",
       .exit = 1},
      // A critical range wins over a failed system.
      {.name = "PluginCriticalOfOneSystem",
       .args = {"X", "ITEM=Processes EXTRA=PROCS CRIT.PROCS=5:"},
       .files = Plus(PrfFiles("PRD.P00#QAS.P00#DEV.P00#"), {plugin}),
       .out = "QUILLMARK CRITICAL - (***) Processes: NoSystems=3, Processed=2, Failed=1 "
              "[CRIT.PROCS] | 'PRD.P00'=10;;5:;0; 'QAS.P00'=3;;5:;0;\n",
       .exit = 2},
      // Every system failed: CRITICAL.
      {.name = "PluginAllFailed",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = Plus(PrfFiles("NIX.P00#DEV.P00#"), {plugin}),
       .out = "QUILLMARK CRITICAL - (***) CPU-Usage: NoSystems=2, Processed=0, Failed=2\n",
       .exit = 2},
      // No system measured or failed (no listed profile is there): UNKNOWN.
      {.name = "PluginNoSystemTaken",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = Plus(PrfFiles("MIS.P00#"), {plugin}),
       .out = "QUILLMARK UNKNOWN - (***) CPU-Usage: NoSystems=1, Processed=0, Failed=0\n",
       .exit = 3},
      // The response time as the item, under the Alias key type.
      {.name = "PluginResponseTime",
       .args = {"GLOBAL", "prodcpu"},
       .files = Plus(GblFiles("Item=Response:Time EXTRA=RTIME", ",Alias"), {plugin}),
       .out =
           "QUILLMARK WARNING - (***) Response Time: NoSystems=3, Processed=2, Failed=1 | 'PRD'=" +
           kMaskedDuration + "ms;;;0; 'QAS'=" + kMaskedDuration + "ms;;;0;\n",
       .exit = 1},
      // The listing's failures: UNKNOWN.
      {.name = "PluginE1025",
       .args = {"GLOBAL", "prodcpu"},
       .files = gbl("# GSNX: PRODCPU   :Item=CPU-Usage,Sensor=\"SAP Quillmark\"\n"),
       .out = "QUILLMARK UNKNOWN - Error 1025: Global Server Listing missing...\n",
       .exit = 3},
      {.name = "PluginE1026",
       .args = {"GLOBAL", "prodcpu"},
       .files = Plus(GblFiles("USER=x", ""), {plugin}),
       .out = "QUILLMARK UNKNOWN - Error 1026: Global Item Idenification missing...\n",
       .exit = 3},
      {.name = "PluginE1029",
       .args = {"GLOBAL", "prodcpu"},
       .files = gbl("# GSNG: PRODCPU   : PRD.P00#\n# GSNX: PRODCPU   :Item=CPU-Usage\n"),
       .out = "QUILLMARK UNKNOWN - Error 1029: Invalid Sensor-Allocation...\n",
       .exit = 3},
      {.name = "PluginE1030",
       .args = {"GLOBAL", "nosuch"},
       .files = Plus(GblFiles("Item=CPU-Usage", ""), {plugin}),
       .out = "QUILLMARK UNKNOWN - Error 1030: Global Sensor nosuch not found...\n",
       .exit = 3},
      {.name = "PluginE1031InTheSensorText",
       .args = {"GLOBAL", "prodcpu"},
       .files = Plus(GblFiles("Item=CPU-Usage CRIT.CPU=9:1", ""), {plugin}),
       .out = "QUILLMARK UNKNOWN - Error 1031: Invalid Threshold CRIT.CPU=9:1 found...\n",
       .exit = 3},
      // An RFC error report of a system: UNKNOWN, nothing printed before.
      {.name = "PluginRfcErrorReport",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = Plus(PrfFiles("QAS.P00#PRD.P00#", Landscape("abort = ItGetLine table lost\n")),
                     {plugin}),
       .out = "QUILLMARK UNKNOWN - RFC error: ItGetLine TF_CPU_ALL, ItGetLine: table lost\n",
       .exit = 3,
       .standInOnly = true},
      // The time limit after the systems were started: CRITICAL, with what
      // was measured until then.
      {.name = "PluginTimeLimit",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = Plus(
           PrfFiles(prdQas, Landscape("", "delay_ms = 5000\n")),
           {WorkFile("Quillmark.ini", "Caller=Plugin\nParallel=1\nSystemTimeout=0\nTimeout=2\n")}),
       .out = "QUILLMARK CRITICAL - (***) CPU-Usage: NoSystems=2, Processed=1, Failed=1 | "
              "'PRD.P00'=24%;;;0;\n",
       .exit = 2,
       .timeout = std::chrono::milliseconds(6000)},
  };
}

// ---------------------------------------------------------------------------
// The Prometheus form: the item's samples and every taken system's up
// sample, labelled with destination, filter and item label.

void ExpectExposition(const std::string& out) {
  test::Exposition parsed = test::ParseExposition(out);
  EXPECT_TRUE(parsed.ok) << parsed.error << "\n" << out;
}

std::string Labels(const std::string& dest, const std::string& filter, const std::string& item) {
  return "dest=\"" + dest + "\",filter=\"" + filter + "\",item=\"" + item + "\"";
}

std::string Up(const std::string& labels, const std::string& error) {
  return PrometheusSample("quillmark_up", labels + ",error=\"" + error + "\"",
                          error.empty() ? "1" : "0");
}

std::vector<E2eCase> PrometheusCases() {
  const FileEntry prometheus = CallerIni("Prometheus");
  const std::string cpu = "quillmark_cpu_usage_percent";
  const std::string prd = Labels("PRD", "", "PRD.P00"), qas = Labels("QAS", "", "QAS.P00");
  return {
      // Every kind of system: the failed ones with their failure's number,
      // the skipped one not at all.
      {.name = "PrometheusEveryKindOfSystem",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = Plus(PrfFiles(kFullListing), {prometheus}),
       .out = PrometheusFamily(cpu) + PrometheusSample(cpu, prd, "24") +
              PrometheusSample(cpu, qas, "20") + PrometheusFamily("quillmark_up") + Up(prd, "") +
              Up(Labels("NIX", "", "NIX.P00"), "1011") + Up(Labels("PRD", "", "NOPW.P00"), "1007") +
              Up(qas, "") + Up(Labels("DEV", "", "DEV.P00"), "1012") +
              Up(Labels("TST", "", "TST.P00"), "1014") + PrometheusRunSeconds(),
       .checkOutput = ExpectExposition},
      // The processes of a user under the Sid key type; two profiles of one
      // destination would repeat a series: the first one is reported.
      {.name = "PrometheusProcessesOfAUserBySid",
       .args = {"GLOBAL", "prodcpu"},
       .files = Plus(GlobalFiles("SAP Beaconry.Gbl",
                                 "# GSNG: PRODCPU   : PRD.P00#NOPW.P00#QAS.P00#DEV.P00#\n"
                                 "# GSNX: PRODCPU   :Item=Processes USER=prdadm EXTRA=PROCS,"
                                 "Sensor=\"SAP Quillmark\",Sid\n"),
                     {prometheus}),
       .out = PrometheusFamily("quillmark_processes") +
              PrometheusSample("quillmark_processes", Labels("PRD", "PRDADM", "PRD"), "3") +
              PrometheusSample("quillmark_processes", Labels("QAS", "PRDADM", "QAS"), "0") +
              PrometheusFamily("quillmark_up") + Up(Labels("PRD", "PRDADM", "PRD"), "") +
              Up(Labels("QAS", "PRDADM", "QAS"), "") + Up(Labels("DEV", "PRDADM", "DEV"), "1012") +
              PrometheusRunSeconds(),
       .checkOutput = ExpectExposition},
      // An item that names no channel: the up samples alone.
      {.name = "PrometheusItemNamingNoChannel",
       .args = {"X", "ITEM=cpu-usage"},
       .files = Plus(PrfFiles("PRD.P00#QAS.P00#"), {prometheus}),
       .out = PrometheusFamily("quillmark_up") + Up(prd, "") + Up(qas, "") + PrometheusRunSeconds(),
       .checkOutput = ExpectExposition},
      // The time limit: the system in hand failed with 1016; exit code 0.
      {.name = "PrometheusTimeLimit",
       .args = {"X", "ITEM=Response:Time EXTRA=RTIME"},
       .files = Plus(PrfFiles("PRD.P00#QAS.P00#", Landscape("", "delay_ms = 5000\n")),
                     {WorkFile("Quillmark.ini",
                               "Caller=Prometheus\nParallel=1\nSystemTimeout=0\nTimeout=2\n")}),
       .out = PrometheusFamily("quillmark_response_time_seconds") +
              PrometheusSample("quillmark_response_time_seconds", prd, kMaskedDuration) +
              PrometheusFamily("quillmark_up") + Up(prd, "") + Up(qas, "1016") +
              PrometheusRunSeconds(),
       .timeout = std::chrono::milliseconds(6000),
       .checkOutput = ExpectExposition},
      // A failure of the listing.
      {.name = "PrometheusE1030",
       .args = {"GLOBAL", "nosuch"},
       .files = Plus(GblFiles("Item=CPU-Usage", ""), {prometheus}),
       .out = PrometheusFailure("1030"),
       .checkOutput = ExpectExposition},
      // An RFC error report of a system.
      {.name = "PrometheusRfcErrorReport",
       .args = {"X", "ITEM=CPU-Usage"},
       .files = Plus(PrfFiles("QAS.P00#PRD.P00#", Landscape("abort = ItGetLine table lost\n")),
                     {prometheus}),
       .out = PrometheusFailure("rfc"),
       .standInOnly = true,
       .checkOutput = ExpectExposition},
  };
}

// ---------------------------------------------------------------------------

class GlobalRun : public ::testing::TestWithParam<E2eCase> {};

TEST_P(GlobalRun, Run) { RunCase(GetParam(), NativeRunnerConfig()); }

std::string CaseName(const ::testing::TestParamInfo<E2eCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Item, GlobalRun, ::testing::ValuesIn(ItemCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(GlobalFile, GlobalRun, ::testing::ValuesIn(GlobalFileCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(RfcErrors, GlobalRun, ::testing::ValuesIn(GlobalRfcErrorCases()),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(CallLog, GlobalRun, ::testing::ValuesIn(CallLogCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(ThresholdsAndExtras, GlobalRun,
                         ::testing::ValuesIn(ThresholdAndExtraCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Plugin, GlobalRun, ::testing::ValuesIn(PluginCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Prometheus, GlobalRun, ::testing::ValuesIn(PrometheusCases()), CaseName);

}  // namespace
}  // namespace qm::e2e
