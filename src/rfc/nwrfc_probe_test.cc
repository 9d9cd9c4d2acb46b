// The setup check's judgements that need no system: how described fields
// meet the classic row structure, which failures mean "not found" or "not
// authorised", and which SDK releases are known to be faulty.
#include "rfc/nwrfc_probe.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "rfc/row_structures.h"

namespace qm {
namespace {

using Mark = FieldComparison::Mark;

// One classic field of TOP_SINGLE against the system's description of it.
struct FieldCase {
  const char* label;
  std::vector<DescribedField> described;  // empty: the system lacks it
  const char* classic;                    // a field of kTopSingleElements
  Mark mark;
  std::string note;
};

const RfcTypeElement* TopSingleElement(const char* name) {
  for (const RfcTypeElement& element : kTopSingleElements) {
    if (std::string(element.name) == name) return &element;
  }
  return nullptr;
}

TEST(CompareFields, MarksEachFieldByWhatTheSensorMakesOfIt) {
  const FieldCase cases[] = {
      {"same type", {{"CPU_UTIL", RFCTYPE_INT, 4, 0}}, "CPU_UTIL", Mark::kOk, ""},
      {"reading missing",
       {},
       "RES_SIZE",
       Mark::kProblem,
       "the system does not describe this field: the sensor fails (Error 1014)"},
      {"other missing",
       {},
       "PRIORITY",
       Mark::kWarning,
       "the system does not describe this field: the sensor leaves it 0"},
      {"reading unreadable",
       {{"USERNAME", RFCTYPE_BYTE, 12, 0}},
       "USERNAME",
       Mark::kProblem,
       "BYTE cannot be read: the sensor fails (Error 1014)"},
      {"other unreadable",
       {{"PROC_ID", RFCTYPE_XSTRING, 8, 0}},
       "PROC_ID",
       Mark::kWarning,
       "XSTRING cannot be read: the sensor leaves it 0"},
      {"wider integer",
       {{"RES_SIZE", RFCTYPE_INT8, 8, 0}},
       "RES_SIZE",
       Mark::kOk,
       "a value beyond 4 bytes fails the measurement"},
      {"decimals",
       {{"CPU_UTIL", RFCTYPE_BCD, 8, 2}},
       "CPU_UTIL",
       Mark::kOk,
       "decimals cut toward zero; a value beyond 4 bytes fails the measurement"},
      {"text for a number",
       {{"PRIV_PAGES", RFCTYPE_CHAR, 10, 0}},
       "PRIV_PAGES",
       Mark::kOk,
       "read as a decimal number; a text that is none fails the measurement"},
      {"4 bytes into 2",
       {{"TYPE", RFCTYPE_INT, 4, 0}},
       "TYPE",
       Mark::kOk,
       "a value beyond 2 bytes leaves it 0"},
      {"number into text",
       {{"CPU_TIME", RFCTYPE_FLOAT, 8, 0}},
       "CPU_TIME",
       Mark::kOk,
       "written as its integer part; one of more than 8 characters fails the measurement"},
      {"longer text",
       {{"COMMAND", RFCTYPE_STRING, 8, 0}},
       "COMMAND",
       Mark::kOk,
       "cut to 20 characters"},
      {"shorter text", {{"COMMAND", RFCTYPE_CHAR, 16, 0}}, "COMMAND", Mark::kOk, ""},
  };
  for (const FieldCase& c : cases) {
    const RfcTypeElement* element = TopSingleElement(c.classic);
    ASSERT_NE(element, nullptr) << c.label;
    std::vector<FieldComparison> result = CompareFields("TOP_SINGLE", element, 1, c.described);
    ASSERT_EQ(result.size(), 1u) << c.label;
    EXPECT_EQ(result[0].mark, c.mark) << c.label;
    EXPECT_EQ(result[0].note, c.note) << c.label;
    EXPECT_EQ(result[0].classicName, c.classic) << c.label;
  }
}

// The system's order first, fields the classic structure lacks marked
// unused, then the classic fields the system lacks. The same field of
// CPU_ALL is no reading: a missing one is only a warning.
TEST(CompareFields, ListsTheSystemsFieldsThenTheMissingOnes) {
  std::vector<DescribedField> described = {{"CPU_TIME", RFCTYPE_CHAR, 8, 0},
                                           {"CONTAINER", RFCTYPE_CHAR, 32, 0},
                                           {"USERNAME", RFCTYPE_CHAR, 12, 0}};
  std::vector<FieldComparison> result =
      CompareFields("TOP_SINGLE", kTopSingleElements, std::size(kTopSingleElements), described);
  ASSERT_EQ(result.size(), 3 + std::size(kTopSingleElements) - 2);
  EXPECT_EQ(result[0].systemName, "CPU_TIME");
  EXPECT_EQ(result[0].classicType, "CHAR(8)");
  EXPECT_EQ(result[1].systemName, "CONTAINER");
  EXPECT_EQ(result[1].systemType, "CHAR");
  EXPECT_EQ(result[1].systemLength, "32");
  EXPECT_EQ(result[1].mark, Mark::kUnused);
  EXPECT_EQ(result[1].classicName, "");
  EXPECT_EQ(result[2].systemName, "USERNAME");
  EXPECT_EQ(result[3].classicName, "TYPE");
  EXPECT_EQ(result[3].systemName, "");
  EXPECT_EQ(result[3].classicType, "INT2");
  EXPECT_EQ(result[3].mark, Mark::kWarning);

  std::vector<FieldComparison> cpu = CompareFields("CPU_ALL", TopSingleElement("RES_SIZE"), 1, {});
  EXPECT_EQ(cpu[0].mark, Mark::kWarning);
}

TEST(ClassifyRemoteFailure, ByKeyOrMessage) {
  EXPECT_EQ(ClassifyRemoteFailure("FU_NOT_FOUND", "ID:FL Type:E Number:046 X"),
            RemoteAnswer::kNotFound);
  EXPECT_EQ(ClassifyRemoteFailure("RFC_NO_AUTHORITY", ""), RemoteAnswer::kNotAuthorised);
  EXPECT_EQ(ClassifyRemoteFailure("RFC_ERROR_SYSTEM_FAILURE",
                                  "User MONITOR has no RFC authorization for function module X"),
            RemoteAnswer::kNotAuthorised);
  EXPECT_EQ(ClassifyRemoteFailure("RFC_COMMUNICATION_FAILURE", "partner not reached"),
            RemoteAnswer::kFailed);
  EXPECT_EQ(ClassifyRemoteFailure("", ""), RemoteAnswer::kFailed);
}

TEST(KnownBadVersionWarning, SeventyFivePatchLevelSeven) {
  LibraryVersion bad{true, "SDK", 7500, 0, 7};
  EXPECT_EQ(KnownBadVersionWarning(bad),
            "7.50 patch level 7 is known to be faulty: install a later patch level of the SDK");
  for (LibraryVersion fine :
       {LibraryVersion{true, "", 7500, 0, 6}, LibraryVersion{true, "", 7500, 0, 8},
        LibraryVersion{true, "", 7200, 0, 7}, LibraryVersion{false, "", 7500, 0, 7}}) {
    EXPECT_EQ(KnownBadVersionWarning(fine), "") << fine.major << "." << fine.patchLevel;
  }
}

}  // namespace
}  // namespace qm
