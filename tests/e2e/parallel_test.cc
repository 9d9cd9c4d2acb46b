// End-to-end cases of global runs with workers (Parallel=, SystemTimeout=):
// the output is the output of one system after another, whatever order the
// workers finish in; a system that never answers is given up at its
// SystemTimeout and costs only itself; a connect-string system that never
// answers holds up no other open; an RFC error report of a worker ends the
// run with one document.
//
// The listing of the first cases, each system at a host of its own:
//   SY1.P00    processed (PRD's rows: CPU 24), slow: finishes after SY2 and SY3
//   MIS.P00   no such file: skipped
//   SY2.P00    processed (QAS's rows: CPU 20), opened through SapRfc.SY2
//   NIX.P00   no system at its host: no connection
//   BAD.P00   SY3's profile with a wrong check digit: a profile fault
//   DED.P00  never answers: given up at its SystemTimeout
//   SY3.P00    processed (PRD's rows: CPU 24)
//   DEV.P00   GET_CPU_ALL answers an exception
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"
#include "sap_fixtures.h"

namespace qm::e2e {
namespace {

using namespace sap;

const std::string kListing = "SY1.P00#MIS.P00#SY2.P00#NIX.P00#BAD.P00#DED.P00#SY3.P00#DEV.P00#";

std::string System(const std::string& name, const std::string& host, const std::string& sysnr,
                   const std::string& rows, const std::string& extra = "") {
  return "\n[" + name + "]\nhost = " + host + "\nsysnr = " + sysnr + "\ntop = " + rows + "\n" +
         extra;
}

ProfileFields Profile(const std::string& sid, const std::string& host, const std::string& sysnr) {
  return {.destination = sid,
          .hostname = host,
          .sysnr = sysnr,
          .gwhost = host,
          .gwservice = "sapgw" + sysnr};
}

// The landscape, hint file, profiles everywhere, Beaconry.Prf over
// `listing`, and Quillmark.ini with `settings`.
std::vector<FileEntry> ListingFiles(const std::string& listing, const std::string& settings) {
  std::string landscape =
      System("SY1", "saps101", "01", "prd_top.csv", "delay_ms = 150\n") +
      System("SY2", "saps201", "02", "qas_top.csv") +
      System("SY3", "saps301", "03", "prd_top.csv") +
      System("DED", "sapdead", "09", "prd_top.csv", "delay_ms = 3600000\n") +
      System("DEV", "sapdev01", "20", "prd_top.csv", "GET_CPU_ALL = exception NOT_AUTHORIZED\n");
  ProfileFields bad = Profile("SY3", "saps301", "03");
  bad.password = WrongCheckDigitPassword("Geheim12");
  std::vector<FileEntry> files = LandscapeFiles(landscape);
  files.push_back(RootFile(kHint, "C:\\PRTG\n"));
  files.push_back(WorkFile("SapRfc.SY2", "DEST=SY2\nTYPE=A\nASHOST=saps201\nSYSNR=02\n"));
  files.push_back(WorkFile("Quillmark.ini", settings));
  const std::pair<std::string, ProfileFields> placed[] = {
      {"SY1.P00", Profile("SY1", "saps101", "01")},
      {"SY2.P00", Profile("SY2", "saps201", "02")},
      {"SY3.P00", Profile("SY3", "saps301", "03")},
      {"NIX.P00", ProfileFields{}},
      {"BAD.P00", bad},
      {"DED.P00", Profile("DED", "sapdead", "09")},
      {"DEV.P00", Profile("DEV", "sapdev01", "20")},
  };
  for (const auto& [name, profile] : placed) {
    files = Plus(files, ProfileEverywhere(name, ProfileText(profile)));
  }
  return Plus(files, ProfileEverywhere("Beaconry.Prf", "# Gsng: CPU-Usage   " + listing + "\n"));
}

std::string StateLine(const std::string& entry, const std::string& fields,
                      const std::string& state) {
  return "\n* hh:mm:ss " + entry + ", " + fields + " State=" + state + "\n";
}

// One channel of the listing in the form of `mode`.
std::string ItemChannel(const std::string& mode, const std::string& label,
                        const std::string& value) {
  if (mode == "Zephanor") {
    std::string shown = label;
    shown[shown.find('.')] = '_';
    return ZephanorChannel(shown, label, "%", value);
  }
  if (mode == "Quenrik") return "\n> " + label + ": " + value + " %";
  return XmlChannel(label, "PerCent", value);
}

// What the listing prints in `mode` (with or without the banner), as one
// system after another prints it.
std::string ListingOutput(const std::string& mode, bool banner) {
  bool xml = mode != "Zephanor" && mode != "Quenrik";
  bool sapRfcLine = banner || mode != "EXEXML";
  auto state = [&](const std::string& entry, const std::string& fields, const char* shown) {
    return banner ? StateLine(entry, fields, shown) : std::string();
  };
  std::string out;
  if (banner) out += kBanner + "* hh:mm:ss ITEM=CPU-Usage # State=Executing\n";
  out += xml ? "\n<Prtg>\n\n" : "\n";
  out +=
      ItemChannel(mode, "SY1.P00", "24") + state("SY1.P00", "saps101, SY1, 01, 100", "Processed");
  if (sapRfcLine) out += "* SapRfc.Ini.......: SY2<\n";
  out +=
      ItemChannel(mode, "SY2.P00", "20") + state("SY2.P00", "saps201, SY2, 02, 100", "Processed");
  out += state("NIX.P00", "nohost01, NIX, 00, 100", "Rfc Failure");
  out += state("BAD.P00", "saps301, SY3, 03, 100", "Rfc Failure");
  out += state("DED.P00", "sapdead, DED, 09, 100", "Rfc Failure");
  out +=
      ItemChannel(mode, "SY3.P00", "24") + state("SY3.P00", "saps301, SY3, 03, 100", "Processed");
  out += state("DEV.P00", "sapdev01, DEV, 20, 100", "Rfc Failure");
  const std::string summary = "CPU-Usage: NoSystems=8, Processed=3, Failed=4";
  out +=
      xml ? "\n<Text>(***) " + summary + "</Text>\n\n</Prtg>\n\n" : "\n# (***) " + summary + "\n\n";
  if (banner) out += kClosingLine;
  return out;
}

// Caller= for the caller products; SystemTimeout=3 cuts DED short.
std::string Settings(const std::string& mode, const std::string& parallel) {
  std::string settings = mode == "EXEXML" ? "" : "Caller=" + mode + "\n";
  return settings + "Parallel=" + parallel + "\nSystemTimeout=3\n";
}

std::vector<E2eCase> SameOutputCases() {
  std::vector<E2eCase> cases;
  const std::pair<std::string, bool> forms[] = {
      {"EXEXML", false},  {"Velkira", false}, {"Zephanor", false}, {"Quenrik", false},
      {"Hollent", false}, {"EXEXML", true},   {"Velkira", true},   {"Zephanor", true},
  };
  for (const auto& [mode, banner] : forms) {
    for (const std::string parallel : {"1", "8"}) {
      cases.push_back({.name = mode + (banner ? "WithBanner" : "") + "Parallel" + parallel,
                       .args = {"X", banner ? "ITEM=CPU-Usage #" : "ITEM=CPU-Usage"},
                       .files = ListingFiles(kListing, Settings(mode, parallel)),
                       .out = ListingOutput(mode, banner),
                       .timeout = std::chrono::milliseconds(20000)});
    }
  }
  // Quenrik's CH=2 counts channels in listing order: SY2's value, though SY2
  // finishes before SY1.
  for (const std::string parallel : {"1", "8"}) {
    cases.push_back({.name = "QuenrikChannelTwoParallel" + parallel,
                     .args = {"X", "ITEM=CPU-Usage,CH=2"},
                     .files = ListingFiles(kListing, Settings("Quenrik", parallel)),
                     .out = "\n* SapRfc.Ini.......: SY2<\n20\n\n",
                     .timeout = std::chrono::milliseconds(20000)});
  }
  return cases;
}

class SameOutput : public ::testing::TestWithParam<E2eCase> {};
TEST_P(SameOutput, Run) { RunCase(GetParam(), TargetRunnerConfig()); }

std::string CaseName(const ::testing::TestParamInfo<E2eCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Workers, SameOutput, ::testing::ValuesIn(SameOutputCases()), CaseName);

// ---------------------------------------------------------------------------
// Many systems at once: 24 live ones (each about 50 ms per call) and two that
// never answer, one of them reached through SapRfc.<DEST>. Every live system
// is reported, the dead ones are given up, and no open waits for a dead
// one's: with the lock on SapRfc.lck held while a dead system's library
// waited, the connect-string systems behind it would be given up too.

std::vector<FileEntry> ManySystemFiles() {
  std::string landscape;
  std::string listing;
  std::vector<FileEntry> files;
  for (int k = 1; k <= 26; ++k) {
    std::string sid = "L" + std::string(k < 10 ? "0" : "") + std::to_string(k);
    bool dead = k == 3 || k == 11;
    std::string host = "host" + sid;
    landscape +=
        System(sid, host, "00", "qas_top.csv", dead ? "delay_ms = 3600000\n" : "delay_ms = 50\n");
    // One listing line per system: a line holds at most 199 characters.
    listing += "# Gsng: CPU-Usage   " + sid + ".P00#\n";
    files = Plus(files, ProfileEverywhere(sid + ".P00", ProfileText(Profile(sid, host, "00"))));
    // Every other system, the dead L11 among them, through SapRfc.<DEST>.
    if (k % 2 == 1) {
      files.push_back(
          WorkFile("SapRfc." + sid, "DEST=" + sid + "\nTYPE=A\nASHOST=" + host + "\nSYSNR=00\n"));
    }
  }
  files = Plus(files, LandscapeFiles(landscape));
  files.push_back(RootFile(kHint, "C:\\PRTG\n"));
  files.push_back(WorkFile("Quillmark.ini", "Parallel=8\nSystemTimeout=4\n"));
  return Plus(files, ProfileEverywhere("Beaconry.Prf", listing));
}

std::string ManySystemsOutput() {
  std::string out = "\n<Prtg>\n\n";
  for (int k = 1; k <= 26; ++k) {
    if (k == 3 || k == 11) continue;
    std::string sid = "L" + std::string(k < 10 ? "0" : "") + std::to_string(k);
    out += XmlChannel(sid + ".P00", "PerCent", "20");
  }
  return out +
         "\n<Text>(***) CPU-Usage: NoSystems=26, Processed=24, Failed=2</Text>\n\n</Prtg>\n\n";
}

TEST(Workers, DeadSystemsCostOnlyThemselves) {
  RunCase({.name = "ManySystems",
           .args = {"X", "ITEM=CPU-Usage"},
           .files = ManySystemFiles(),
           .out = ManySystemsOutput(),
           .timeout = std::chrono::milliseconds(30000)},
          TargetRunnerConfig());
}

// ---------------------------------------------------------------------------
// An RFC error report of a worker: FAI.P00's table is lost while the slow
// SY1.P00 before it is still measured. The report waits for SY1's channel and
// closes the document PRTG reads; SY3.P00 after it is not printed.

std::vector<FileEntry> AbortFiles(const std::string& settings) {
  std::vector<FileEntry> files = ListingFiles("SY1.P00#FAI.P00#SY3.P00#", settings);
  for (FileEntry& f : files) {
    if (f.path == "rfcsim.ini") {
      f.bytes += System("FAI", "sapf01", "05", "prd_top.csv", "abort = ItGetLine table lost\n");
    }
  }
  return Plus(files, ProfileEverywhere("FAI.P00", ProfileText(Profile("FAI", "sapf01", "05"))));
}

TEST(Workers, ReportOfAWorkerWaitsForTheSystemsBeforeIt) {
  RunCase({.name = "ReportClosesTheDocument",
           .args = {"X", "ITEM=CPU-Usage"},
           .files = AbortFiles("Parallel=8\n"),
           .out = "\n<Prtg>\n\n" + XmlChannel("SY1.P00", "PerCent", "24") +
                  "<Error>1</Error>\n<Text>RFC error: ItGetLine TF_TOP_SINGLE, ItGetLine: table "
                  "lost</Text>\n</Prtg>\n",
           .exit = 1,
           .standInOnly = true},
          TargetRunnerConfig());
  RunCase({.name = "TextReport",
           .args = {"X", "ITEM=CPU-Usage"},
           .files = AbortFiles("Caller=Velkira\nParallel=8\n"),
           .out = "\n<Prtg>\n\n" + XmlChannel("SY1.P00", "PerCent", "24") +
                  RfcErrorReport("ItGetLine TF_TOP_SINGLE", "ItGetLine", "table lost"),
           .exit = 1,
           .standInOnly = true},
          TargetRunnerConfig());
}

}  // namespace
}  // namespace qm::e2e
