#include "output/document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm {
namespace {

constexpr OutputMode kAllModes[] = {OutputMode::kExeXml, OutputMode::kVelkira,
                                    OutputMode::kZephanor, OutputMode::kQuenrik,
                                    OutputMode::kHollent};

OutputForm FormOf(OutputMode mode, const std::string& parameters = "") {
  return MakeOutputForm(mode, ParseParameters(parameters));
}

SensorOutput MakeOutput(OutputMode mode, const std::string& parameters = "") {
  return SensorOutput{FormOf(mode, parameters), ""};
}

void Write(SensorOutput& out, ChannelCounter& counter, const char* label, const char* name,
           const char* value, const char* unit) {
  WriteChannel(out, counter, label, Channel{name, value, unit});
}

// A single-system document: message, three channels (one without unit).
const std::vector<Channel> kChannels = {
    {"CPU-Usage", "42", "PerCent"}, {"Private Pages", "7", "MByte"}, {"Count", "3", ""}};

TEST(RenderDocument, BuildsTheDocumentInEveryMode) {
  const std::string xml =
      "\n<Prtg>\n"
      "\n<Text>a&lt;b &amp; &#252;</Text>\n"
      "\n<Result><Channel>CPU-Usage</Channel>\n<Unit>Custom</Unit>\n"
      "<CustomUnit>PerCent</CustomUnit>\n<Value>42</Value></Result>\n"
      "\n<Result><Channel>Private Pages</Channel>\n<Unit>Custom</Unit>\n"
      "<CustomUnit>MByte</CustomUnit>\n<Value>7</Value></Result>\n"
      "\n<Result><Channel>Count</Channel>\n<Value>3</Value></Result>\n"
      "\n</Prtg>\n";
  struct Case {
    OutputMode mode;
    const char* parameters;
    std::string expected;
  } cases[] = {
      {OutputMode::kExeXml, "", xml},
      {OutputMode::kVelkira, "", xml},
      {OutputMode::kHollent, "CH=2", xml},  // "CH=" matters to Quenrik only
      {OutputMode::kZephanor, "",
       "\n# a<b & \xFC"
       "\n\nMessage.CPU_Usage: CPU-Usage (%)\nStatistic.CPU_Usage: 42"
       "\n\nMessage.Private_Pages: Private Pages (MByte)\nStatistic.Private_Pages: 7"
       "\n\nMessage.Count: Count (#)\nStatistic.Count: 3"
       "\n"},
      {OutputMode::kQuenrik, "",
       "\n# a<b & \xFC"
       "\n> CPU-Usage: 42 %"
       "\n> Private Pages: 7 MByte"
       "\n> Count: 3 #"
       "\n"},
      {OutputMode::kQuenrik, "USER=X CH=2", "7\n"},
      {OutputMode::kQuenrik, "CH=9", "\n"},
  };
  for (const Case& c : cases) {
    ChannelCounter counter;
    EXPECT_EQ(RenderDocument(FormOf(c.mode, c.parameters), counter, "a<b & \xFC", kChannels),
              c.expected)
        << OutputModeName(c.mode) << " " << c.parameters;
    EXPECT_EQ(counter.count, 3u);
  }
}

TEST(SensorOutput, BeginDocumentDropsWhatCameBefore) {
  for (OutputMode mode : kAllModes) {
    SensorOutput out = MakeOutput(mode);
    out.text = "left over";
    BeginDocument(out);
    EXPECT_EQ(out.text, IsXmlForm(mode) ? "\n<Prtg>\n" : "") << OutputModeName(mode);
  }
}

TEST(RenderGlobalDocument, OpeningItemChannelsAndClosingInEveryMode) {
  struct Case {
    OutputMode mode;
    const char* parameters;
    std::string expected;
  } cases[] = {
      {OutputMode::kExeXml, "",
       "\n<Prtg>\n"
       "\n<Result><Channel>PRD</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>PerCent"
       "</CustomUnit>\n<Value>10</Value></Result>\n"
       "\n<Result><Channel>QAS</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>PerCent"
       "</CustomUnit>\n<Value>20</Value></Result>\n"
       "\n<Text>(***) CPU-Usage: NoSystems=2</Text>\n\n</Prtg>\n"},
      {OutputMode::kZephanor, "",
       "\n\nMessage.PRD: PRD (%)\nStatistic.PRD: 10\n\nMessage.QAS: QAS (%)\nStatistic.QAS: 20"
       "\n# (***) CPU-Usage: NoSystems=2\n"},
      {OutputMode::kQuenrik, "", "\n> PRD: 10 %\n> QAS: 20 %\n# (***) CPU-Usage: NoSystems=2\n"},
      // The channel counter runs over the systems: CH=2 is the second system.
      {OutputMode::kQuenrik, "CH=2", "20\n"},
  };
  for (const Case& c : cases) {
    OutputForm form = FormOf(c.mode, c.parameters);
    ChannelCounter counter;
    std::string document = RenderGlobalOpening(form);
    document += RenderItemChannel(form, counter, "PRD", {"PRD", "10", "PerCent"});
    document += RenderItemChannel(form, counter, "QAS", {"QAS", "20", "PerCent"});
    document += RenderGlobalClosing(form, "(***) CPU-Usage: NoSystems=2");
    EXPECT_EQ(document, c.expected) << OutputModeName(c.mode) << " " << c.parameters;
    EXPECT_EQ(counter.count, 2u);
  }
}

TEST(SensorOutput, XmlFormEscapesChannelTextsAndTextFormsKeepThem) {
  ChannelCounter counter;
  SensorOutput xml = MakeOutput(OutputMode::kExeXml);
  Write(xml, counter, "", "A&B", "1>0", "<u>");
  EXPECT_EQ(xml.text,
            "\n<Result><Channel>A&amp;B</Channel>\n<Unit>Custom</Unit>\n"
            "<CustomUnit>&lt;u&gt;</CustomUnit>\n<Value>1&gt;0</Value></Result>\n");

  SensorOutput quenrik = MakeOutput(OutputMode::kQuenrik);
  Write(quenrik, counter, "", "A&B", "1>0", "TimeResponse");
  EXPECT_EQ(quenrik.text, "\n> A&B: 1>0 mSec");
}

TEST(SensorOutput, ZephanorLabelRules) {
  struct Case {
    const char* label;
    const char* name;
    const char* shown;
  } cases[] = {
      {"a.b.c", "CPU-Usage", "a_b.c"},  // only the first "." is replaced
      {"", "x/y\\z[1]-q r.s", "x_y_z_1__q_r_s"},
      {"", "Private Pages", "Private_Pages"},
      {"Item:1", "Ignored", "Item:1"},  // label given: the name is not the label
  };
  for (const Case& c : cases) {
    SensorOutput out = MakeOutput(OutputMode::kZephanor);
    ChannelCounter counter;
    Write(out, counter, c.label, c.name, "1", "CpuTime");
    std::string shown = c.shown;
    EXPECT_EQ(out.text,
              "\n\nMessage." + shown + ": " + c.name + " (CpuTime)\nStatistic." + shown + ": 1")
        << c.label << "|" << c.name;
  }
}

TEST(SensorOutput, ZephanorWritesOnlyTheFirstTenChannelsOfARun) {
  SensorOutput out = MakeOutput(OutputMode::kZephanor);
  ChannelCounter counter;
  for (int i = 1; i <= 12; ++i) WriteChannel(out, counter, "", Channel{"C", std::to_string(i), ""});
  EXPECT_EQ(counter.count, 12u);
  EXPECT_NE(out.text.find("Statistic.C: 10"), std::string::npos);
  EXPECT_EQ(out.text.find("Statistic.C: 11"), std::string::npos);
  EXPECT_EQ(out.text.find("Statistic.C: 12"), std::string::npos);
}

TEST(SensorOutput, ErrorDocumentIsTheSameInEveryModeAndEscaped) {
  for (OutputMode mode : kAllModes) {
    SensorOutput out = MakeOutput(mode, "CH=1");
    ChannelCounter counter;
    out.text = RenderDocument(out.form, counter, "m", kChannels);
    WriteErrorDocument(out, "Error 1001: Parameter for Profile-Name is missing !");
    EXPECT_EQ(out.text,
              "<Prtg>\n<Error>1</Error>\n<Text>Error 1001: Parameter for Profile-Name is "
              "missing !</Text>\n</Prtg>\n")
        << OutputModeName(mode);

    // The text may be a copy of the current content; it is escaped.
    out.text = "Error 1012: <x> & \xE4";
    WriteErrorDocument(out, out.text);
    EXPECT_EQ(out.text,
              "<Prtg>\n<Error>1</Error>\n<Text>Error 1012: &lt;x&gt; &amp; &#228;</Text>\n"
              "</Prtg>\n")
        << OutputModeName(mode);
  }
  EXPECT_EQ(RenderErrorDocument("a<b"), "<Prtg>\n<Error>1</Error>\n<Text>a&lt;b</Text>\n</Prtg>\n");
}

TEST(EscapeXml, EscapesMarkupHighBytesAndControlCharacters) {
  struct Case {
    std::string text;
    std::string escaped;
  } cases[] = {
      {"plain text 1-2_3", "plain text 1-2_3"},
      {"<defunct>", "&lt;defunct&gt;"},
      {"a&amp;", "a&amp;amp;"},
      {"\xFC\x80\xFF", "&#252;&#128;&#255;"},
      {"t\tl\nc\r", "t\tl\nc\r"},
      {std::string("n\0b\x01\x1F\x7F\x20", 7), "n?b??? "},
      {"\"'", "\"'"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(EscapeXml(c.text), c.escaped) << c.text;
}

TEST(MakeOutputForm, TakesTheChannelSelectionOfTheParameters) {
  OutputForm form = FormOf(OutputMode::kQuenrik, "user=abc ch=2");
  EXPECT_EQ(form.mode, OutputMode::kQuenrik);
  EXPECT_TRUE(form.channelSelect);
  EXPECT_EQ(form.selectedChannel, 2u);

  form = FormOf(OutputMode::kHollent, "user=abc");
  EXPECT_EQ(form.mode, OutputMode::kHollent);
  EXPECT_FALSE(form.channelSelect);
  EXPECT_EQ(form.selectedChannel, 0u);
}

}  // namespace
}  // namespace qm
