// Fixtures of the measuring cases: a stand-in landscape with SAP systems,
// their process rows, profiles in the places every OutputMode looks, and the
// expected result documents built from the document grammar.
//
// The rows of PRD (prd_top.csv) and what they sum to, worked out by hand:
//
//   row  USERNAME  COMMAND              CPU_UTIL  CPU_TIME  RES_SIZE  PRIV_PAGES
//    1   prdadm    dw.sapPRD_DVEBMGS00      1250    987654    812000      402000
//    2   prdadm    dw.sapPRD_DVEBMGS00       830    301234    790500      380250
//    3   prdadm    sapstartsrv                20       321     64000       12000
//    4   sapadm    sapstartsrv                15       100     50000        9000
//    5   SAPADM    dw.sapDAA_SMDA98           99      2000      1999         999
//    6   oracle    ora_pmon_PRD              120      9876    220000      150000
//    7   root      sshd                        0         5      8000        2000
//    8   (blank)   kworker/0:1                90  (blanks)      3000           0
//    9   root      DW.helper                -300        -7     -5000        -100
//   10   sapadmin  sapcontrol                  3        12      1000         500
//
// Negative figures count as 0. System rows of PRD (user or command contains
// "PRD"): 1, 2, 3, 6.
//
//   no filter        all rows    CPU 2427 -> 24, SID 2220 -> 22, time 1301202,
//                                RES 1950499 -> 1950, PRIV 956749 -> 956
//   USER=sapadm      4, 5        CPU 114 -> 1, time 2100, RES 51999 -> 51,
//                                PRIV 9999 -> 9 (the blank user of row 8
//                                and "sapadmin" of row 10 do not match)
//   PROC=dw*         1, 2, 5, 9  CPU 2179 -> 21, time 1290888,
//                                RES 1604499 -> 1604, PRIV 783249 -> 783
//   USER=prdadm      1, 2        CPU 2080 -> 20, time 1288888,
//    PROC=dw.sap*                RES 1602500 -> 1602, PRIV 782250 -> 782
//   USER=prdadm      1, 2, 3     RES 1666500 -> 1666
//   USER=*           all rows    as no filter, but SID 0
#ifndef QUILLMARK_TESTS_E2E_SAP_FIXTURES_H_
#define QUILLMARK_TESTS_E2E_SAP_FIXTURES_H_

#include <string>
#include <utility>
#include <vector>

#include "e2e_harness.h"

namespace qm::e2e::sap {

inline const std::string kSensorDir = "PRTG Network Monitor/Custom Sensors/ExeXml/";
// The hint file names C:\PRTG, so EXEXML runs find their files here.
inline const std::string kPrtgDir = "C/PRTG/" + kSensorDir;
inline const std::string kHint = "C/PRTG_Path.Txt";

inline const std::vector<std::string> kAllModes = {"EXEXML", "Velkira", "Zephanor", "Quenrik",
                                                   "Hollent"};
inline const std::vector<std::string> kCallerModes = {"Velkira", "Zephanor", "Quenrik", "Hollent"};

inline const std::string kPrdRows =
    "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n"
    "prdadm,dw.sapPRD_DVEBMGS00,1250,\"  987654\",812000,402000\n"
    "prdadm,dw.sapPRD_DVEBMGS00,830,\"  301234\",790500,380250\n"
    "prdadm,sapstartsrv,20,\"     321\",64000,12000\n"
    "sapadm,sapstartsrv,15,\"     100\",50000,9000\n"
    "SAPADM,dw.sapDAA_SMDA98,99,\"    2000\",1999,999\n"
    "oracle,ora_pmon_PRD,120,\"    9876\",220000,150000\n"
    "root,sshd,0,\"       5\",8000,2000\n"
    ",kworker/0:1,90,\"        \",3000,0\n"
    "root,DW.helper,-300,\"      -7\",-5000,-100\n"
    "sapadmin,sapcontrol,3,\"      12\",1000,500\n";

// Two rows of PRD for the call-log cases, so the log shows the row count
// asked before each row: CPU 1250 -> 12, SID 12, time 987659, RES 820000 ->
// 820, PRIV 404000 -> 404.
inline const std::string kTwoRows =
    "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\n"
    "prdadm,dw.sapPRD_DVEBMGS00,1250,\"  987654\",812000,402000\n"
    "root,sshd,0,\"       5\",8000,2000\n";

// QAS: CPU 2080 -> 20, SID 2080 -> 20, time 57717, RES 1610500 -> 1610,
// PRIV 784250 -> 784.
inline const std::string kQasRows =
    "USERNAME,COMMAND,CPU_UTIL,CPU_TIME,RES_SIZE,PRIV_PAGES\r\n"
    "qasadm,dw.sapQAS_DVEBMGS10,1250,\"   45678\",812000,402000\r\n"
    "qasadm,dw.sapQAS_DVEBMGS10,830,\"   12034\",790500,380250\r\n"
    "root,sshd,0,\"       5\",8000,2000\r\n";

// One CPU_ALL row, so the CPU step fetches a row.
inline const std::string kCpuRows =
    "NBR_CPU,LOAD1_AVG,USR_TOTAL,SYS_TOTAL,IDLE_TOTAL\n"
    "4,125,30,10,60\n";

// The system PRD as the landscape describes it; `extra` adds key lines
// (outcomes, aborts).
inline std::string PrdSystem(const std::string& extra = "") {
  return "[PRD]\n"
         "host = sapprd01\n"
         "sysnr = 00\n"
         "client = 100\n"
         "logon = MONITOR Geheim12\n"
         "top = prd_top.csv\n"
         "cpu = prd_cpu.csv\n" +
         extra;
}

// The profile of PRD; the password is Geheim12.
inline ProfileFields PrdProfile() {
  return {.destination = "PRD", .hostname = "sapprd01", .gwhost = "sapprd01"};
}

inline ProfileFields QasProfile() {
  return {.destination = "QAS",
          .hostname = "sapqas01",
          .sysnr = "10",
          .gwhost = "sapqas01",
          .gwservice = "sapgw10"};
}

// The landscape file and the row files it names, in the working directory.
inline std::vector<FileEntry> LandscapeFiles(const std::string& landscape) {
  return {WorkFile("rfcsim.ini", landscape), WorkFile("prd_top.csv", kPrdRows),
          WorkFile("prd_cpu.csv", kCpuRows), WorkFile("qas_top.csv", kQasRows)};
}

// A profile where every OutputMode finds it: EXEXML in the hinted PRTG
// folder, the caller modes in the working directory.
inline std::vector<FileEntry> ProfileEverywhere(const std::string& fileName,
                                                const std::string& text) {
  return {RootFile(kPrtgDir + fileName, text), WorkFile(fileName, text)};
}

// The landscape with PRD (plus `extra` key lines), the hint file and
// PRD.P00 with `profile`.
inline std::vector<FileEntry> PrdFiles(const std::string& extra = "",
                                       const ProfileFields& profile = PrdProfile()) {
  std::vector<FileEntry> files = LandscapeFiles(PrdSystem(extra));
  files.push_back(RootFile(kHint, "C:\\PRTG\r\n"));
  for (FileEntry& f : ProfileEverywhere("PRD.P00", ProfileText(profile))) files.push_back(f);
  return files;
}

inline std::vector<FileEntry> Plus(std::vector<FileEntry> files,
                                   const std::vector<FileEntry>& more) {
  files.insert(files.end(), more.begin(), more.end());
  return files;
}

// ---------------------------------------------------------------------------
// Expected documents.

// The message text and the five channel values of one system.
struct Readings {
  std::string message;
  std::string cpuUsage, sidUsage, cpuTime, workingSet, privatePages;
};

inline const Readings kPrdAll = {
    "(PRD) System-Procs: CPU-Usage=24%, CPU-Time=1.301.202 Sec, Working-Set=1.950 MB, "
    "Prv-Pages=956 MB",
    "24",
    "22",
    "1301202",
    "1950",
    "956"};
inline const Readings kPrdSapadm = {
    "(PRD) Active Proc[SAPADM]: CPU-Usage=1%, CPU-Time=2.100 Sec, Working-Set=51 MB, "
    "Prv-Pages=9 MB",
    "1",
    "0",
    "2100",
    "51",
    "9"};

// One channel of the XML form.
inline std::string XmlChannel(const std::string& name, const std::string& unit,
                              const std::string& value) {
  return "\n<Result><Channel>" + name + "</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>" + unit +
         "</CustomUnit>\n<Value>" + value + "</Value></Result>\n";
}

inline std::string XmlDocument(const Readings& r) {
  return "\n<Prtg>\n\n<Text>" + r.message + "</Text>\n" +
         XmlChannel("CPU-Usage", "PerCent", r.cpuUsage) +
         XmlChannel("SID-Usage", "PerCent", r.sidUsage) +
         XmlChannel("CPU-Time", "CpuTime", r.cpuTime) +
         XmlChannel("Working-Set", "MByte", r.workingSet) +
         XmlChannel("Private Pages", "MByte", r.privatePages) + "\n</Prtg>\n";
}

// One channel of the Zephanor form: label, name, display unit, value.
inline std::string ZephanorChannel(const std::string& label, const std::string& name,
                                   const std::string& unit, const std::string& value) {
  return "\n\nMessage." + label + ": " + name + " (" + unit + ")\nStatistic." + label + ": " +
         value;
}

inline std::string ZephanorDocument(const Readings& r) {
  return "\n# " + r.message + ZephanorChannel("CPU_Usage", "CPU-Usage", "%", r.cpuUsage) +
         ZephanorChannel("SID_Usage", "SID-Usage", "%", r.sidUsage) +
         ZephanorChannel("CPU_Time", "CPU-Time", "CpuTime", r.cpuTime) +
         ZephanorChannel("Working_Set", "Working-Set", "MByte", r.workingSet) +
         ZephanorChannel("Private_Pages", "Private Pages", "MByte", r.privatePages) + "\n";
}

inline std::string QuenrikDocument(const Readings& r) {
  return "\n# " + r.message + "\n> CPU-Usage: " + r.cpuUsage + " %" +
         "\n> SID-Usage: " + r.sidUsage + " %" + "\n> CPU-Time: " + r.cpuTime + " CpuTime" +
         "\n> Working-Set: " + r.workingSet + " MByte" + "\n> Private Pages: " + r.privatePages +
         " MByte" + "\n";
}

// The document of a single system in the form of `mode`.
inline std::string Document(const std::string& mode, const Readings& r) {
  if (mode == "Zephanor") return ZephanorDocument(r);
  if (mode == "Quenrik") return QuenrikDocument(r);
  return XmlDocument(r);
}

// InModes, with each mode's output `before` + the document + `after`.
inline std::vector<E2eCase> InModesWithDocument(const E2eCase& base,
                                                const std::vector<std::string>& modes,
                                                const std::string& before, const Readings& r,
                                                const std::string& after = "") {
  std::vector<E2eCase> cases = InModes(base, modes);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    cases[i].out = before + Document(modes[i], r) + after;
  }
  return cases;
}

// The RFC error report as a console shows it (caller modes, and EXEXML with
// progress lines).
inline std::string RfcErrorReport(const std::string& operation, const std::string& key,
                                  const std::string& message) {
  return "RFC error\n"
         "operation/code  : " +
         operation +
         "\n"
         "key             : " +
         key +
         "\n"
         "status          : FAILURE\n"
         "message         : " +
         message +
         "\n"
         "internal status : \n"
         "\n"
         "* Programm aborted...\n"
         "* Error at EoXput-File...\n";
}

// ---------------------------------------------------------------------------
// The plugin and Prometheus forms.

// The plugin form's performance data of the five channels of `r` without
// thresholds.
inline std::string PluginPerformanceData(const Readings& r) {
  return "'cpu_usage'=" + r.cpuUsage + "%;;;0; 'sid_usage'=" + r.sidUsage +
         "%;;;0; 'cpu_time'=" + r.cpuTime + "s;;;0; 'working_set'=" + r.workingSet +
         "MB;;;0; 'private_pages'=" + r.privatePages + "MB;;;0;";
}

// The "# HELP" and "# TYPE" lines of one of the program's gauges.
inline std::string PrometheusFamily(const std::string& metric) {
  static const std::pair<std::string, std::string> kHelp[] = {
      {"quillmark_cpu_usage_percent",
       "Processor share of the matching processes, percent of one processor, summed."},
      {"quillmark_sid_usage_percent",
       "Processor share of the SAP system's own processes, percent of one processor, summed (0 "
       "with a filter)."},
      {"quillmark_cpu_time_seconds", "Processor time of the matching processes in seconds."},
      {"quillmark_working_set_megabytes",
       "Working set of the matching processes in megabytes of 1000 KB."},
      {"quillmark_private_pages_megabytes",
       "Private pages of the matching processes in megabytes of 1000 KB."},
      {"quillmark_processes", "Number of matching processes."},
      {"quillmark_response_time_seconds",
       "Time from the start of the RFC open to the end of the last remote call."},
      {"quillmark_up", "1 when the system was measured, 0 when it failed (error: the failure)."},
      {"quillmark_run_seconds", "Duration of the sensor run."},
  };
  for (const auto& [name, help] : kHelp) {
    if (name == metric) return "# HELP " + metric + " " + help + "\n# TYPE " + metric + " gauge\n";
  }
  return "unknown metric " + metric;
}

// One sample line.
inline std::string PrometheusSample(const std::string& metric, const std::string& labels,
                                    const std::string& value) {
  return metric + (labels.empty() ? "" : "{" + labels + "}") + " " + value + "\n";
}

// The run's duration, masked (see MaskDurations).
inline std::string PrometheusRunSeconds() {
  return PrometheusFamily("quillmark_run_seconds") + "quillmark_run_seconds " + kMaskedDuration +
         "\n";
}

// A single system's Prometheus document: the five channels of `r` under
// `labels`, then `extra` (the families of the opt-in channels), up and the
// run's duration.
inline std::string PrometheusDocument(const std::string& labels, const Readings& r,
                                      const std::string& extra = "") {
  const std::pair<const char*, std::string> five[] = {
      {"quillmark_cpu_usage_percent", r.cpuUsage},
      {"quillmark_sid_usage_percent", r.sidUsage},
      {"quillmark_cpu_time_seconds", r.cpuTime},
      {"quillmark_working_set_megabytes", r.workingSet},
      {"quillmark_private_pages_megabytes", r.privatePages},
  };
  std::string text;
  for (const auto& [metric, value] : five) {
    text += PrometheusFamily(metric) + PrometheusSample(metric, labels, value);
  }
  return text + extra + PrometheusFamily("quillmark_up") +
         PrometheusSample("quillmark_up", labels + ",error=\"\"", "1") + PrometheusRunSeconds();
}

// A failure in the Prometheus form.
inline std::string PrometheusFailure(const std::string& error) {
  return PrometheusFamily("quillmark_up") +
         PrometheusSample("quillmark_up", "error=\"" + error + "\"", "0") + PrometheusRunSeconds();
}

inline const std::string kBanner = "* hh:mm:ss SAP Quillmark Vers 4.3 / 29.08.22\n";
inline const std::string kClosingLine = "\n* hh:mm:ss SAP Quillmark now processed...\n";

inline std::vector<E2eCase> Join(std::vector<std::vector<E2eCase>> groups) {
  std::vector<E2eCase> all;
  for (auto& group : groups) all.insert(all.end(), group.begin(), group.end());
  return all;
}

}  // namespace qm::e2e::sap

#endif  // QUILLMARK_TESTS_E2E_SAP_FIXTURES_H_
