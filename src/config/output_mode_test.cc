#include "config/output_mode.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(OutputMode, NamesAndForms) {
  const OutputMode modes[] = {OutputMode::kExeXml, OutputMode::kVelkira, OutputMode::kZephanor,
                              OutputMode::kQuenrik, OutputMode::kHollent};
  const char* names[] = {"EXEXML", "Velkira", "Zephanor", "Quenrik", "Hollent"};
  const bool xml[] = {true, true, false, false, true};
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(OutputModeName(modes[i]), names[i]);
    EXPECT_EQ(IsXmlForm(modes[i]), xml[i]) << names[i];
    EXPECT_EQ(IsCallerProduct(modes[i]), i != 0) << names[i];
  }
}

}  // namespace
}  // namespace qm
