#include "xml_check.h"

#include <gtest/gtest.h>

#include <string>

#include "output/document.h"

namespace qm::fuzz {
namespace {

TEST(IsWellFormedXml, AcceptsTheDocumentsTheSensorWrites) {
  const char* documents[] = {
      "\n<Prtg>\n\n<Text>(PRD) a &amp; b &lt;c&gt; &#252; &#xFC; caf\xc3\xa9 ></Text>\n"
      "<Result><Channel>CPU-Usage</Channel>\n<Unit>Custom</Unit>\n"
      "<CustomUnit>PerCent</CustomUnit>\n<Value>37</Value></Result>\n\n</Prtg>\n",
      "<Prtg>\n<Error>1</Error>\n<Text></Text>\n</Prtg>\n",
      "<A/>",
      "<a.b-c_d:e >x</a.b-c_d:e >",
  };
  for (const char* document : documents) {
    std::string why;
    EXPECT_TRUE(IsWellFormedXml(document, &why)) << document << "\n" << why;
  }
}

TEST(IsWellFormedXml, FindsEachKindOfFault) {
  struct Case {
    const char* name;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"only white space", " \n"},
      {"text outside", "x<A></A>"},
      {"two roots", "<A></A><B></B>"},
      {"not closed", "<A><B></B>"},
      {"wrong close", "<A><B></A></B>"},
      {"close without open", "</A>"},
      {"raw less-than", "<A>a < b</A>"},
      {"raw ampersand", "<A>a & b</A>"},
      {"unknown entity", "<A>&nbsp;</A>"},
      {"reference to NUL", "<A>&#0;</A>"},
      {"reference out of range", "<A>&#x110000;</A>"},
      {"bad digit", "<A>&#12a;</A>"},
      {"control byte", std::string("<A>\x01</A>")},
      {"NUL byte", std::string("<A>\0</A>", 8)},
      {"Latin-1 byte", "<A>\xfc</A>"},
      {"cut UTF-8", "<A>\xc3</A>"},
      {"overlong UTF-8", "<A>\xe0\x80\xaf</A>"},
      {"surrogate", "<A>\xed\xa0\x80</A>"},
      {"CDATA end", "<A>]]></A>"},
      {"attribute", "<A b=\"1\"></A>"},
      {"declaration", "<?xml version=\"1.0\"?><A/>"},
      {"comment", "<A><!-- x --></A>"},
      {"bad name", "<1A></1A>"},
      {"cut tag", "<A"},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_FALSE(IsWellFormedXml(c.text, &why)) << c.name;
    EXPECT_FALSE(why.empty()) << c.name;
  }
}

TEST(IsWellFormedXml, AcceptsErrorDocumentsOfEveryByte) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  std::string why;
  EXPECT_TRUE(IsWellFormedXml(RenderErrorDocument(all + "]]>" + all), &why)) << why;
}

}  // namespace
}  // namespace qm::fuzz
