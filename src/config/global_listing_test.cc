#include "config/global_listing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/file_names.h"
#include "platform/line_reader.h"
#include "platform/platform.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

const std::string kTag = ",Sensor=\"SAP Quillmark\"";

// The key types by the digits the sensor lines' naming words stand for.
ListingKeyType KeyType(char digit) {
  const ListingKeyType types[] = {ListingKeyType::kProfile, ListingKeyType::kAlias,
                                  ListingKeyType::kHost, ListingKeyType::kSid};
  return types[digit - '1'];
}

// The entries of a listing, each followed by "#" again.
std::string Walked(const std::string& bytes, ListingKind kind, const std::string& sensorWord) {
  ListingEntries entries(bytes, kind, sensorWord);
  std::string walked;
  std::string entry;
  while (entries.Next(&entry)) walked += entry + "#";
  return walked;
}

ListingKind KindOf(const std::string& listingFile) {
  return listingFile == kGlobalListingFile ? ListingKind::kGlobalFile
                                           : ListingKind::kProfileListing;
}

TEST(ReadProfileListing, JoinsTheGsngLinesFromColumn21) {
  std::string longText(179, 'a');  // 20 + 179 = 199 characters: one read
  struct Case {
    const char* name;
    std::string bytes;
    std::string listing;
  } cases[] = {
      {"lines joined in file order", "# Gsng: PRD       : PRD.P00#\n# Gsng: QAS       : QAS.P00#\n",
       "PRD.P00#QAS.P00#"},
      {"CR LF and other lines", "rem\r\n# Gsng: 123456789012QAS.P00#\r\nDEST=X\r\n", "QAS.P00#"},
      {"letter case and separator must match",
       "# GSNG: PRD       : PRD.P00#\n# gsng: PRD       : A#\n# Gsng:xPRD       : B#\n", ""},
      {"a line of 20 characters or fewer adds nothing", "# Gsng: PRD       : \n# Gsng: x\n", ""},
      {"a longer line is read in pieces of 199",
       "# Gsng: PRD       : " + longText + "B.P00#\n# Gsng: PRD       : C.P00#",
       longText + "C.P00#"},
  };
  for (const Case& c : cases) {
    LineReader reader(c.bytes);
    EXPECT_EQ(ReadProfileListing(reader), !c.listing.empty()) << c.name;
    EXPECT_EQ(Walked(c.bytes, ListingKind::kProfileListing, ""), c.listing) << c.name;
  }
}

struct SensorCase {
  const char* name;
  std::string parameterText;  // upper-cased, as start-up leaves it
  std::string bytes;
  std::string listing;
  std::string item;
  char keyType;
  std::string rawParameterText;
};

TEST(ReadSensorListing, ReadsTheSensorsLines) {
  std::string longItem(100, 'I');
  SensorCase cases[] = {
      {"listing, item, key type and parameter text", "PRODCPU",
       "# GSNG: PRODCPU   : PROD.P00#\n"
       "# GSNX: PRODCPU   :Item=CPU-Usage USER=SAPSYS" +
           kTag + ",Host\n",
       "PROD.P00#", "CPU-Usage", '3', "Item=CPU-Usage USER=SAPSYS"},
      {"lines in any order and letter case, other sensors ignored", "PRD USER=X",
       "# gsnx: prd       :Item=CPU-Usage" + kTag +
           "\r\n"
           "# GSNG: OTHER     : OTH.P00#\r\n"
           "# GSNG: PRD       : PRD.P00#\r\n"
           "# gsng: prd       : QAS.P00#\r\n"
           "# GSNX: OTHER     :Item=Working-Set" +
           kTag + ",Sid\r\n",
       "PRD.P00#QAS.P00#", "CPU-Usage", '1', "Item=CPU-Usage"},
      {"names told apart by their first ten characters", "PRODCPUXYZ1",
       "# GSNG: PRODCPUXYZ2 A.P00#\n# GSNG: PRODCPUXY : B.P00#\n"
       "# GSNX: PRODCPUXYZ3Item=CPU-Usage" +
           kTag + "\n",
       "A.P00#", "CPU-Usage", '1', "Item=CPU-Usage"},
      {"no argument 2: ten blanks", "",
       "# GSNG:           : P.P00#\n# GSNX:           :Item=X" + kTag + "\n", "P.P00#", "X", '1',
       "Item=X"},
      {"colons become blanks", "PRD",
       "# GSNG: PRD       : P.P00#\n# GSNX: PRD       :Item=Private:Pages USER=A:B" + kTag + "\n",
       "P.P00#", "Private Pages", '1', "Item=Private Pages USER=A B"},
      {"item taken before the cut, upper-case ITEM= is no item", "PRD",
       "# GSNG: PRD       : P.P00#\n# GSNX: PRD       :ITEM=A USER=X" + kTag + ",Item=Cpu,x\n",
       "P.P00#", "Cpu", '1', "ITEM=A USER=X"},
      {"item at most 90 characters", "PRD",
       "# GSNG: PRD       : P.P00#\n# GSNX: PRD       :Item=" + longItem + kTag + "\n", "P.P00#",
       longItem.substr(0, 90), '1', "Item=" + longItem},
      {"later key word wins, also after the cut: Profile then Host", "PRD",
       "# GSNX: PRD       :Item=X" + kTag + ",Profile,Host\n", "", "X", '3', "Item=X"},
      {"key words searched in the whole line, the name columns included", "X,SID",
       "# GSNX: x,Sid     :Item=X" + kTag + "\n", "", "X", '4', "Item=X"},
      {"Sid outranks Alias", "PRD", "# GSNX: PRD       :Item=X,Alias,Sid" + kTag + "\n", "", "X",
       '4', "Item=X,Alias,Sid"},
      {"last sensor line counts, item empty without Item=", "PRD",
       "# GSNX: PRD       :Item=X" + kTag + ",Alias\n# GSNX: PRD       :USER=Y" + kTag + "\n", "",
       "", '2', "USER=Y"},
      {"tag anywhere in the text, no cut without the comma", "PRD",
       "# GSNX: PRD       :Sensor=\"SAP Quillmark\" Item=X\n", "", "X", '1',
       "Sensor=\"SAP Quillmark\" Item=X"},
  };
  for (const SensorCase& c : cases) {
    SCOPED_TRACE(c.name);
    RunSettings run;
    run.parameters = ParseParameters(c.parameterText);
    run.globalItem = "from start-up";
    LineReader reader(c.bytes);
    std::string error;
    bool hasListing = false;
    ASSERT_TRUE(ReadSensorListing(reader, &run, &hasListing, &error)) << error;
    EXPECT_EQ(hasListing, !c.listing.empty());
    EXPECT_EQ(
        Walked(c.bytes, ListingKind::kGlobalFile, ParseParameters(c.parameterText).sensorWord),
        c.listing);
    EXPECT_EQ(run.globalItem, c.item);
    EXPECT_EQ(run.listingKeyType, KeyType(c.keyType));
    EXPECT_EQ(run.parameters.rawText, c.rawParameterText);
  }
}

// Entries run across lines and up to the next "#"; an empty entry between
// two "#" is one; the last needs none; a long one keeps only its start.
TEST(ListingEntries, WalksEntriesAcrossLines) {
  const std::string prefix = "# Gsng: CPU-Usage   ";
  // An entry without "#" over many lines: 400 lines of 179 characters.
  std::string hugeLines;
  for (int i = 0; i < 400; ++i) hugeLines += prefix + std::string(179, 'x') + "\n";
  struct Case {
    std::string bytes;
    std::vector<std::string> entries;
  } cases[] = {
      {prefix + "A.P00#B.P\n" + prefix + "00#\n", {"A.P00", "B.P00"}},
      {prefix + "A##B\n", {"A", "", "B"}},
      {prefix + "#\nrem\n" + prefix + "\n", {""}},
      {"", {}},
      {hugeLines + prefix + "#C#", {std::string(kMaxListingEntryLength, 'x'), "C"}},
  };
  for (const Case& c : cases) {
    ListingEntries entries(c.bytes, ListingKind::kProfileListing, "");
    std::vector<std::string> walked;
    std::string entry;
    while (entries.Next(&entry)) walked.push_back(entry);
    EXPECT_EQ(walked, c.entries) << c.bytes.substr(0, 60);
  }
}

TEST(ReadSensorListing, RefusesAWrongOrMissingSensorLine) {
  struct Case {
    const char* name;
    std::string sensorName;
    std::string bytes;
    std::string error;
  } cases[] = {
      {"tag missing, a later line would carry it", "prd",
       "# GSNX: PRD       :Item=X\n# GSNX: PRD       :Item=X" + kTag + "\n",
       "Error 1029: Invalid Sensor-Allocation..."},
      {"tag in the wrong letter case", "prd",
       "# GSNX: PRD       :Item=X,Sensor=\"SAP QUILLMARK\"\n",
       "Error 1029: Invalid Sensor-Allocation..."},
      {"sensor line too short for any text", "prd", "# GSNX: PRD       \n",
       "Error 1029: Invalid Sensor-Allocation..."},
      {"no sensor line, listing present", "prd",
       "# GSNG: PRD       : P.P00#\n# GSNX: OTHER     :Item=X" + kTag + "\n",
       "Error 1030: Global Sensor prd not found..."},
      {"no sensor line, no listing, no argument 2", "", "",
       "Error 1030: Global Sensor  not found..."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunSettings run;
    run.parameters = ParseParameters("PRD");
    run.sensorName = c.sensorName;
    LineReader reader(c.bytes);
    std::string error;
    bool hasListing = false;
    EXPECT_FALSE(ReadSensorListing(reader, &run, &hasListing, &error));
    EXPECT_EQ(error, c.error);
  }
}

// ReadGlobalListing reopens the file by its path: the files live in a
// temporary folder, named by native paths (used as written).
class ReadGlobalListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("qm_listing_" + std::to_string(CurrentProcessId()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Writes the listing file and points the run at it, opened as LocateProfile
  // leaves it.
  void UseFile(const std::string& name, const std::string& bytes) {
    fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    run_.profileName = name;
    run_.listingKind = KindOf(name);
    run_.profilePath = path.string();
    run_.profileStream = OpenForReading(run_.profilePath);
    ASSERT_NE(run_.profileStream, nullptr);
  }

  std::string Read() {
    std::string error;
    bool ok = ReadGlobalListing(&run_, &error);
    EXPECT_EQ(run_.profileStream, nullptr);
    return ok ? std::string("ok") : error;
  }

  // The entries of the run's listing file, walked from the file.
  std::string WalkedFile() {
    ListingEntries entries(run_);
    std::string walked;
    std::string entry;
    while (entries.Next(&entry)) walked += entry + "#";
    return walked;
  }

  fs::path dir_;
  RunSettings run_;
};

TEST_F(ReadGlobalListingTest, ReopenFailureNamesTheVariant) {
  struct Case {
    const char* name;
    bool directory;
    const char* error;
  } cases[] = {
      {kProfileListingFile, false, "Error 1024: ProFile Beaconry.Prf is missing..."},
      {kGlobalListingFile, false, "Error 10x1: ProFile SAP Beaconry.Gbl is missing..."},
      {kProfileListingFile, true, "Error 1024: ProFile Beaconry.Prf is missing..."},
      {kGlobalListingFile, true, "Error 10x1: ProFile SAP Beaconry.Gbl is missing..."},
  };
  for (const Case& c : cases) {
    fs::path path = dir_ / c.name;
    if (c.directory) fs::create_directories(path);
    run_.profileName = c.name;
    run_.listingKind = KindOf(c.name);
    run_.profilePath = path.string();
    run_.globalItem = "CPU-Usage";
    EXPECT_EQ(Read(), c.error) << c.name << (c.directory ? " (directory)" : "");
    fs::remove_all(path);
  }
}

TEST_F(ReadGlobalListingTest, ProfileVariantKeepsTheItemAndChecksInOrder) {
  run_.listingKeyType = ListingKeyType::kSid;
  run_.globalItem = "CPU-Usage";
  UseFile(kProfileListingFile, "# Gsng: PRD       : PRD.P00#\n");
  EXPECT_EQ(Read(), "ok");
  EXPECT_EQ(WalkedFile(), "PRD.P00#");
  EXPECT_EQ(run_.listingKeyType, ListingKeyType::kProfile);
  EXPECT_EQ(run_.globalItem, "CPU-Usage");

  run_.globalItem.clear();
  UseFile(kProfileListingFile, "# Gsng: PRD       : PRD.P00#\n");
  EXPECT_EQ(Read(), "Error 1026: Global Item Idenification missing...");

  UseFile(kProfileListingFile, "# GSNG: PRD       : PRD.P00#\n");
  EXPECT_EQ(Read(), "Error 1025: Global Server Listing missing...");
}

TEST_F(ReadGlobalListingTest, GlobalFileChecksRunInOrder) {
  struct Case {
    std::string bytes;
    const char* result;
  } cases[] = {
      {"", "Error 1030: Global Sensor prodcpu not found..."},
      {"# GSNX: PRODCPU   :USER=X" + kTag + "\n", "Error 1025: Global Server Listing missing..."},
      {"# GSNG: PRODCPU   : P.P00#\n# GSNX: PRODCPU   :USER=X" + kTag + "\n",
       "Error 1026: Global Item Idenification missing..."},
      {"# GSNG: PRODCPU   : P.P00#\n# GSNX: PRODCPU   :Item=CPU-Usage" + kTag + ",Sid\n", "ok"},
  };
  for (const Case& c : cases) {
    run_.parameters = ParseParameters("PRODCPU");
    run_.sensorName = "prodcpu";
    run_.globalItem = "ignored";
    UseFile(kGlobalListingFile, c.bytes);
    EXPECT_EQ(Read(), c.result) << c.bytes;
  }
  EXPECT_EQ(WalkedFile(), "P.P00#");
  EXPECT_EQ(run_.globalItem, "CPU-Usage");
  EXPECT_EQ(run_.listingKeyType, ListingKeyType::kSid);
  EXPECT_EQ(run_.parameters.rawText, "Item=CPU-Usage");
}

}  // namespace
}  // namespace qm
