// The runs of scripts/demo.sh, as the script makes them: the demo tree
// demo/root as QUILLMARK_ROOT, demo/rfcsim.ini and demo/qas_top.csv in a
// fresh working folder. DEMO measures this machine's own processes, so its
// numbers vary: those runs are checked for their shape, with the document
// rebuilt around the values the run reported.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "e2e_harness.h"
#include "sap_fixtures.h"

namespace qm::e2e {
namespace {

using namespace sap;

const fs::path kDemo = fs::path(QUILLMARK_SOURCE_DIR) / "demo";

struct DemoResult {
  ProcessResult process;
  bool traceFileLeft = false;
};

// Runs the program like the demo script does, in a fresh case folder.
DemoResult RunDemo(const std::vector<std::string>& args) {
  RunnerConfig config = NativeRunnerConfig();
  CaseFolder folder(config.scratch);
  fs::copy(kDemo / "root", folder.root(), fs::copy_options::recursive);
  fs::copy(kDemo / "Quillmark.ini", folder.work());
  fs::copy(kDemo / "rfcsim.ini", folder.work());
  fs::copy(kDemo / "qas_top.csv", folder.work());
  std::vector<std::string> argv = {config.program.path};
  argv.insert(argv.end(), args.begin(), args.end());
  DemoResult result;
  result.process = RunProcess(argv, folder.work(),
                              ControlledEnvironment({{"QUILLMARK_ROOT", folder.root().string()}}),
                              config.timeout);
  result.traceFileLeft = fs::exists(folder.work() / "Dev_Rfc.Trc");
  return result;
}

// The grouping of the message text: "." before the last three digits and,
// from seven digits on, before the three in front of them.
std::string Grouped(const std::string& digits) {
  std::size_t n = digits.size();
  if (n <= 3) return digits;
  if (n <= 6) return digits.substr(0, n - 3) + "." + digits.substr(n - 3);
  return digits.substr(0, n - 6) + "." + digits.substr(n - 6, 3) + "." + digits.substr(n - 3);
}

// The values of the channels of an XML document, in output order.
std::vector<std::string> ChannelValues(const std::string& out) {
  static const std::regex value("<Value>([0-9]+)</Value>");
  std::vector<std::string> values;
  for (std::sregex_iterator it(out.begin(), out.end(), value), end; it != end; ++it) {
    values.push_back((*it)[1]);
  }
  return values;
}

// The single-system document of DEMO with the values the run reported.
std::string DemoDocument(const std::string& head, const std::vector<std::string>& v) {
  return XmlDocument({"(DEMO) " + head + "CPU-Usage=" + v[0] + "%, CPU-Time=" + Grouped(v[2]) +
                          " Sec, Working-Set=" + Grouped(v[3]) + " MB, Prv-Pages=" + Grouped(v[4]) +
                          " MB",
                      v[0], v[1], v[2], v[3], v[4]});
}

// "quillmark DEMO": the five channels of this machine and the message text
// repeating them; the machine's processes use some memory.
TEST(DemoRun, MeasuresThisMachine) {
  DemoResult r = RunDemo({"DEMO"});
  ASSERT_FALSE(r.process.timedOut);
  EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
  std::vector<std::string> values = ChannelValues(r.process.out);
  ASSERT_EQ(values.size(), 5u) << r.process.out;
  EXPECT_EQ(r.process.out, DemoDocument("System-Procs: ", values));
  EXPECT_NE(values[3], "0") << "a machine whose processes use no memory";
  EXPECT_FALSE(r.traceFileLeft);
}

// "quillmark DEMO 'USER=root #'": progress lines around the filtered
// document.
TEST(DemoRun, MeasuresOneUserWithProgressLines) {
  DemoResult r = RunDemo({"DEMO", "USER=root #"});
  ASSERT_FALSE(r.process.timedOut);
  EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
  std::vector<std::string> values = ChannelValues(r.process.out);
  ASSERT_EQ(values.size(), 5u) << r.process.out;
  EXPECT_EQ(values[1], "0") << "SID-Usage is 0 under a filter";
  EXPECT_EQ(MaskTimesOfDay(r.process.out),
            kBanner + "* hh:mm:ss DEMO.P00, localhost, DEMO, 00, 100 State=Processing\n" +
                "* hh:mm:ss Quillmark - USER=root  State=Executing\n" +
                DemoDocument("Active Proc[ROOT]: ", values) + kClosingLine);
}

// "quillmark X 'ITEM=Working-Set #'": DEMO and QAS processed, DEV failed
// (its GET_CPU_ALL answers an exception). QAS's figure comes from
// demo/qas_top.csv: 812000 + 790500 + 64000 + 220000 + 8000 KB = 1894 MB.
TEST(DemoRun, GlobalListingOverThreeSystems) {
  DemoResult r = RunDemo({"X", "ITEM=Working-Set #"});
  ASSERT_FALSE(r.process.timedOut);
  EXPECT_EQ(r.process.exitCode, 0) << r.process.err;
  std::vector<std::string> values = ChannelValues(r.process.out);
  ASSERT_EQ(values.size(), 2u) << r.process.out;
  EXPECT_NE(values[0], "0");
  const std::string progress = "\n* hh:mm:ss ";
  EXPECT_EQ(MaskTimesOfDay(r.process.out),
            kBanner + "* hh:mm:ss ITEM=Working-Set # State=Executing\n" + "\n<Prtg>\n\n" +
                XmlChannel("DEMO.P00", "MByte", values[0]) + progress +
                "DEMO.P00, localhost, DEMO, 00, 100 State=Processed\n" +
                XmlChannel("QAS.P00", "MByte", "1894") + progress +
                "QAS.P00, sapqas01, QAS, 10, 100 State=Processed\n" + progress +
                "DEV.P00, sapdev01, DEV, 20, 100 State=Rfc Failure\n" +
                "\n<Text>(***) Working-Set: NoSystems=3, Processed=2, Failed=1</Text>\n"
                "\n</Prtg>\n\n" +
                kClosingLine);
}

}  // namespace
}  // namespace qm::e2e
