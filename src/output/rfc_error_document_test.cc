#include "output/rfc_error_document.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(RfcErrorDocument, TextAndTheClosingOfAnOpenedDocument) {
  EXPECT_EQ(RfcErrorText("ItGetLine TF_CPU_ALL", "ItGetLine", "table lost"),
            "RFC error: ItGetLine TF_CPU_ALL, ItGetLine: table lost");
  EXPECT_EQ(CloseDocumentWithError("RFC error: x, y: <z> & \xE4"),
            "<Error>1</Error>\n<Text>RFC error: x, y: &lt;z&gt; &amp; &#228;</Text>\n</Prtg>\n");
}

}  // namespace
}  // namespace qm
