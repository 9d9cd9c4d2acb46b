// Loading the SDK: a file of the SDK's name is loaded only with its
// companions found, and those beside it are loaded first; other names load
// as they are. Copies of the SDK's test double stand in for the SDK and
// for its companions (this test program runs on Linux).
#include "rfc/nwrfc_loading.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "rfc/nwrfc_adapter.h"
#include "test_environment.h"
#include "test_files.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using testsupport::ClearVariable;
using testsupport::SetVariable;
using testsupport::WriteFileBytes;

TEST(NwRfcLoading, SdkFileNamesAndFolders) {
  struct {
    const char* path;
    bool sdk;
    const char* folder;
  } cases[] = {
      {"libsapnwrfc.so", true, "."},
      {"/opt/nwrfcsdk/lib/libsapnwrfc.so", true, "/opt/nwrfcsdk/lib/"},
      {"sdk/libsapnwrfc.so", true, "sdk/"},
      {"sdk/LIBSAPNWRFC.SO", false, "sdk/"},
      {"/build/libsapnwrfc-fake.so", false, "/build/"},
      {"libsapnwrfc.so.1", false, "."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSdkFileName(c.path), c.sdk) << c.path;
    EXPECT_EQ(FolderOfPath(c.path), c.folder) << c.path;
  }
}

class NwRfcLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("nwrfc_loading_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "sdk");
    fs::create_directories(dir_ / "other");
    const char* old = std::getenv("LD_LIBRARY_PATH");
    hadPath_ = old != nullptr;
    if (hadPath_) oldPath_ = old;
    ClearVariable("LD_LIBRARY_PATH");
  }

  void TearDown() override {
    if (hadPath_) {
      SetVariable("LD_LIBRARY_PATH", oldPath_);
    } else {
      ClearVariable("LD_LIBRARY_PATH");
    }
    fs::remove_all(dir_);
  }

  // A loadable library under `name` in `folder`: a copy of the test double.
  void Library(const std::string& folder, const std::string& name) {
    fs::copy_file(QUILLMARK_NWRFC_FAKE, dir_ / folder / name, fs::copy_options::overwrite_existing);
  }

  std::string Path(const std::string& relative) const { return (dir_ / relative).string(); }

  fs::path dir_;
  bool hadPath_ = false;
  std::string oldPath_;
};

// Every companion missing, then some found in a folder of LD_LIBRARY_PATH:
// the report names exactly those still missing, and nothing is loaded.
TEST_F(NwRfcLoadingTest, MissingCompanionsAreNamed) {
  Library("sdk", "libsapnwrfc.so");
  std::string reason;
  EXPECT_EQ(LoadNwRfcSdk(Path("sdk/libsapnwrfc.so"), &reason), nullptr);
  EXPECT_EQ(reason,
            "libicudata*, libicuuc*, libicui18n*, libsapucum.so not found beside it or in "
            "LD_LIBRARY_PATH");

  WriteFileBytes(dir_ / "other" / "libicuuc.so.50", "x");
  WriteFileBytes(dir_ / "sdk" / "libicudata.so.50", "x");
  fs::create_directories(dir_ / "sdk" / "libsapucum.so");  // a folder is no library
  SetVariable("LD_LIBRARY_PATH", "/nonexistent::" + Path("other"));
  EXPECT_EQ(LoadNwRfcSdk(Path("sdk/libsapnwrfc.so"), &reason), nullptr);
  EXPECT_EQ(reason, "libicui18n*, libsapucum.so not found beside it or in LD_LIBRARY_PATH");

  // Where each was found, as the setup check shows it.
  std::vector<CompanionLocation> found =
      LocateCompanions(Path("sdk"), {"/nonexistent", Path("other")});
  ASSERT_EQ(found.size(), 4u);
  EXPECT_EQ(found[0].file, Path("sdk/libicudata.so.50"));
  EXPECT_TRUE(found[0].besideSdk);
  EXPECT_EQ(found[1].file, Path("other/libicuuc.so.50"));
  EXPECT_FALSE(found[1].besideSdk);
  EXPECT_EQ(found[2].file, "");
  EXPECT_EQ(found[3].pattern, "libsapucum.so");
  EXPECT_EQ(found[3].file, "");
}

// With every companion there, those beside the SDK are loaded first (a
// broken one is reported), then the SDK; a bare name is found through
// LD_LIBRARY_PATH and checked the same way.
TEST_F(NwRfcLoadingTest, CompanionsBesideTheSdkAreLoadedFirst) {
  Library("sdk", "libsapnwrfc.so");
  Library("sdk", "libicudata.so.50");
  Library("sdk", "libicui18n.so.50");
  Library("sdk", "libsapucum.so");
  WriteFileBytes(dir_ / "sdk" / "libicuuc.so.50", "not a library");
  std::string reason;
  EXPECT_EQ(LoadNwRfcSdk(Path("sdk/libsapnwrfc.so"), &reason), nullptr);
  EXPECT_EQ(reason.rfind(Path("sdk/") + "libicuuc.so.50: ", 0), 0u) << reason;

  Library("sdk", "libicuuc.so.50");
  SharedLibrary sdk = LoadNwRfcSdk(Path("sdk/libsapnwrfc.so"), &reason);
  ASSERT_NE(sdk, nullptr) << reason;
  NwRfcApi api;
  std::string missing;
  EXPECT_TRUE(FindNwRfcApi(sdk, &api, &missing)) << missing;

  SetVariable("LD_LIBRARY_PATH", Path("sdk"));
  EXPECT_NE(LoadNwRfcSdk("libsapnwrfc.so", &reason), nullptr) << reason;
  fs::remove(dir_ / "sdk" / "libsapucum.so");
  EXPECT_EQ(LoadNwRfcSdk("libsapnwrfc.so", &reason), nullptr);
  EXPECT_EQ(reason, "libsapucum.so not found beside it or in LD_LIBRARY_PATH");
}

// Another file name is loaded without the check, as before.
TEST_F(NwRfcLoadingTest, OtherNamesLoadWithoutTheCheck) {
  Library("sdk", "renamed-sapnwrfc.so");
  std::string reason;
  EXPECT_NE(LoadNwRfcSdk(Path("sdk/renamed-sapnwrfc.so"), &reason), nullptr) << reason;
  EXPECT_EQ(LoadNwRfcSdk(Path("sdk/nosuch.so"), &reason), nullptr);
  EXPECT_NE(reason.find("No such file"), std::string::npos) << reason;
}

}  // namespace
}  // namespace qm
