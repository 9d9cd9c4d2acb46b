#include "config/output_mode.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(OutputMode, NamesAndForms) {
  const OutputMode modes[] = {OutputMode::kExeXml,    OutputMode::kVelkira, OutputMode::kZephanor,
                              OutputMode::kQuenrik,   OutputMode::kHollent, OutputMode::kPlugin,
                              OutputMode::kPrometheus};
  const char* names[] = {"EXEXML",  "Velkira", "Zephanor",  "Quenrik",
                         "Hollent", "Plugin",  "Prometheus"};
  const bool xml[] = {true, true, false, false, true, false, false};
  for (int i = 0; i < 7; ++i) {
    EXPECT_STREQ(OutputModeName(modes[i]), names[i]);
    EXPECT_EQ(IsXmlForm(modes[i]), xml[i]) << names[i];
    EXPECT_EQ(IsCallerProduct(modes[i]), i != 0) << names[i];
    EXPECT_EQ(IsWholeDocumentForm(modes[i]), i >= 5) << names[i];
  }
}

}  // namespace
}  // namespace qm
