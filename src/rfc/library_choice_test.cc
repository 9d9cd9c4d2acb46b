// Which library a run gets for its RfcLibrary setting, and how an SDK that
// cannot be used is reported: at the first open, through the handler.
#include "rfc/library_choice.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "test_environment.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

using testsupport::ClearVariable;
using testsupport::SetVariable;

// A library of this platform that is surely there but is no RFC SDK.
#ifdef _WIN32
const char kOtherLibrary[] = "kernel32.dll";
#else
const char kOtherLibrary[] = "libm.so.6";
#endif

std::vector<std::string> handlerCalls;
void RecordingHandler(char* operation) { handlerCalls.push_back(operation); }

class LibraryChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("library_choice_test_" +
            std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    ClearVariable("RFCSIM_LANDSCAPE");
    handlerCalls.clear();
  }

  void TearDown() override {
    ClearVariable("RFCSIM_LANDSCAPE");
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }

  // Opens through `library` with the recording handler installed, both
  // ways, and returns the last error's message.
  static std::string ReportedMessage(const RfcLibrary& library) {
    RfcEnvironmentRecord environment{RecordingHandler, nullptr};
    library.RfcEnvironment(&environment);
    RfcOptionsRecord options{};
    EXPECT_EQ(library.RfcOpen(&options), 0u);
    RfcErrorInfo error{};
    EXPECT_EQ(library.RfcOpenEx("CLIENT=1 USER=u PASSWD=p LANG=D DEST=X", &error), 0u);
    EXPECT_STREQ(error.key, "RfcLibrary");
    EXPECT_EQ(handlerCalls, (std::vector<std::string>{"RfcOpen", "RfcOpenEx"}));
    RfcErrorInfo info;
    std::memset(&info, 'x', sizeof info);
    library.RfcLastError(&info);
    EXPECT_STREQ(info.key, "RfcLibrary");
    EXPECT_STREQ(info.status, "FAILURE");
    EXPECT_STREQ(info.internalStatus, "");
    return info.message;
  }

  fs::path previous_, dir_;
};

// "standin" in any letter case loads the stand-in's library from the
// folder of the running program (the build folder here); a path naming that
// file gives the same record.
TEST_F(LibraryChoiceTest, StandInByNameFromTheProgramsFolder) {
  const RfcLibrary* standIn = ChooseRfcLibrary("standin");
  RfcErrorInfo info{};
  standIn->RfcLastError(&info);
  ASSERT_STRNE(info.key, "RfcLibrary") << info.message;
  for (const char* setting : {"StandIn", "STANDIN"}) {
    EXPECT_EQ(ChooseRfcLibrary(setting), standIn) << setting;
  }
  EXPECT_EQ(ChooseRfcLibrary(ExecutableDirectory() + kStandInLibraryFile), standIn);
  EXPECT_NE(ChooseRfcLibrary(QUILLMARK_NWRFC_FAKE), standIn);
}

// A named library that loads and has every function gets the adapter;
// the adapter's open does not report through the handler.
TEST_F(LibraryChoiceTest, NamedSdkGivesTheAdapter) {
  const RfcLibrary* library = ChooseRfcLibrary(QUILLMARK_NWRFC_FAKE);
  RfcEnvironmentRecord environment{RecordingHandler, nullptr};
  library->RfcEnvironment(&environment);
  RfcOptionsRecord options{};
  char dest[] = "NOWHERE";
  options.destination = dest;
  EXPECT_EQ(library->RfcOpen(&options), 0u);
  EXPECT_TRUE(handlerCalls.empty());
  RfcErrorInfo info{};
  library->RfcLastError(&info);
  EXPECT_STREQ(info.message, "Parameter ASHOST, GWHOST, MSHOST or PORT is missing.");
}

// A named library that is missing, not a library, or lacks a function is
// reported with the file and the reason, even when a landscape is there.
TEST_F(LibraryChoiceTest, UnusableNamedLibraryIsReported) {
  std::ofstream("rfcsim.ini") << "[NIX]\nhost = h\nsysnr = 0\n";
  std::ofstream("broken.so") << "not a library";
  std::string missing = (dir_ / "nosuch.so").string();
  std::string broken = (dir_ / "broken.so").string();
  struct {
    std::string setting;
    std::string startsWith;
  } cases[] = {
      {missing, missing + ": "},
      {broken, broken + ": "},
      {kOtherLibrary, std::string(kOtherLibrary) + ": the function RfcOpenConnection is missing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting);
    handlerCalls.clear();
    const RfcLibrary* library = ChooseRfcLibrary(c.setting);
    std::string message = ReportedMessage(*library);
    EXPECT_EQ(message.rfind(c.startsWith, 0), 0u) << message;
    EXPECT_GT(message.size(), c.setting.size() + 2) << "a reason follows the file";
  }
}

// Without the setting the SDK is the only choice: a landscape of the
// stand-in lying around never answers in its place.
TEST_F(LibraryChoiceTest, DefaultIsTheSdkAndNothingElse) {
  std::string reason;
  if (LoadSharedLibrary(kNwRfcLibraryName, &reason) != nullptr) {
    GTEST_SKIP() << "the SDK is installed on this machine";
  }
  std::ofstream("rfcsim.ini") << "";
  SetVariable("RFCSIM_LANDSCAPE", (dir_ / "rfcsim.ini").string());
  EXPECT_EQ(ReportedMessage(*ChooseRfcLibrary("")), std::string(kNwRfcLibraryName) + ": " + reason);
}

// The reported message is cut to the error record's field.
TEST_F(LibraryChoiceTest, LongMessageIsCut) {
  const RfcLibrary* library = FailingRfcLibrary(std::string(300, 'm'));
  EXPECT_EQ(ReportedMessage(*library), std::string(255, 'm'));
  // Every other operation fails without a report.
  RfcTypeHandle type = 0;
  EXPECT_NE(library->RfcInstallStructure("S", nullptr, 0, &type), 0);
  EXPECT_EQ(library->ItCreate("T", 4, 0, 0), nullptr);
  EXPECT_EQ(library->RfcCall(1, "F", nullptr, nullptr), 1);
  EXPECT_EQ(library->RfcReceive(1, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(handlerCalls.size(), 2u);
  library->RfcClose(0);
}

}  // namespace
}  // namespace qm
