#include "run/check_report.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

using Mark = CheckReport::Mark;

// Marks in their column, continued lines under the text, tables aligned
// without trailing blanks, warnings and problems counted into the closing
// line and the exit code.
TEST(CheckReport, LaysOutMarksTablesAndTheVerdict) {
  CheckReport report;
  report.Section("RFC library");
  report.Ok("loaded");
  report.Problem("not authorised\nthe user needs S_RFC");
  report.Section("Table");
  report.Table({Mark::kInfo, Mark::kWarning}, {{"field", "type", "note"}, {"PRIORITY", "-", ""}});
  EXPECT_EQ(report.Text(),
            "RFC library\n"
            "  ok       loaded\n"
            "  PROBLEM  not authorised\n"
            "           the user needs S_RFC\n"
            "\n"
            "Table\n"
            "           field     type  note\n"
            "  WARNING  PRIORITY  -\n"
            "\n"
            "Found 1 problem and 1 warning.\n");
  EXPECT_EQ(report.ExitCode(), 2);
}

TEST(CheckReport, AllIsWellWithoutWarningsOrProblems) {
  CheckReport report;
  report.Section("Profile");
  report.Ok("found");
  report.Info("note");
  EXPECT_EQ(report.ExitCode(), 0);
  EXPECT_EQ(report.Text(), "Profile\n  ok       found\n           note\n\nAll is well.\n");
  report.Warning("7.50 patch level 7");
  EXPECT_EQ(report.ExitCode(), 2);
}

}  // namespace
}  // namespace qm
