#include "output/sensor_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/console.h"

namespace qm {
namespace {

constexpr OutputMode kAllModes[] = {OutputMode::kExeXml, OutputMode::kVelkira,
                                    OutputMode::kZephanor, OutputMode::kQuenrik,
                                    OutputMode::kHollent};

SensorOutput MakeOutput(OutputMode mode, const std::string& parameters = "") {
  SensorOutput out;
  SetOutputForm(out, mode, parameters, parameters);
  return out;
}

// A single-system document as the readings build it: message, three channels
// (one without unit), with leftovers in the buffer before BeginDocument.
std::string BuildDocument(SensorOutput& out) {
  out.text = "left over";
  BeginDocument(out);
  BeginMessage(out);
  AppendMessageText(out, "a<b & \xFC");
  EndMessage(out);
  WriteChannel(out, "", "CPU-Usage", "42", "PerCent");
  WriteChannel(out, "", "Private Pages", "7", "MByte");
  WriteChannel(out, "", "Count", "3", "");
  EndDocument(out);
  return out.text;
}

TEST(SensorOutput, BuildsTheDocumentInEveryMode) {
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
    SensorOutput out = MakeOutput(c.mode, c.parameters);
    EXPECT_EQ(BuildDocument(out), c.expected) << OutputModeName(c.mode) << " " << c.parameters;
    EXPECT_EQ(out.channelCounter, 3u);
  }
}

TEST(SensorOutput, XmlFormEscapesChannelTextsAndTextFormsKeepThem) {
  SensorOutput xml = MakeOutput(OutputMode::kExeXml);
  WriteChannel(xml, "", "A&B", "1>0", "<u>");
  EXPECT_EQ(xml.text,
            "\n<Result><Channel>A&amp;B</Channel>\n<Unit>Custom</Unit>\n"
            "<CustomUnit>&lt;u&gt;</CustomUnit>\n<Value>1&gt;0</Value></Result>\n");

  SensorOutput quenrik = MakeOutput(OutputMode::kQuenrik);
  WriteChannel(quenrik, "", "A&B", "1>0", "TimeResponse");
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
    WriteChannel(out, c.label, c.name, "1", "CpuTime");
    std::string shown = c.shown;
    EXPECT_EQ(out.text,
              "\n\nMessage." + shown + ": " + c.name + " (CpuTime)\nStatistic." + shown + ": 1")
        << c.label << "|" << c.name;
  }
}

TEST(SensorOutput, ZephanorWritesOnlyTheFirstTenChannelsOfARun) {
  SensorOutput out = MakeOutput(OutputMode::kZephanor);
  for (int i = 1; i <= 12; ++i) WriteChannel(out, "", "C", std::to_string(i), "");
  EXPECT_EQ(out.channelCounter, 12u);
  EXPECT_NE(out.text.find("Statistic.C: 10"), std::string::npos);
  EXPECT_EQ(out.text.find("Statistic.C: 11"), std::string::npos);
  EXPECT_EQ(out.text.find("Statistic.C: 12"), std::string::npos);
}

TEST(SensorOutput, QuenrikSelectionCountsChannelsAcrossTheWholeRun) {
  // A global run: the counter is never reset, so CH=3 picks the third
  // channel of the process even when it belongs to the second system.
  SensorOutput out = MakeOutput(OutputMode::kQuenrik, "ITEM=CPU-USAGE CH=3");
  BeginDocument(out);
  std::string printed;
  for (const char* value : {"10", "20", "30", "40"}) {
    WriteChannel(out, "CPU-Usage", "CPU-Usage", value, "PerCent");
    printed += out.text;
    out.text.clear();
  }
  EXPECT_EQ(printed, "30");
}

TEST(SensorOutput, ErrorDocumentIsTheSameInEveryModeAndEscaped) {
  for (OutputMode mode : kAllModes) {
    SensorOutput out = MakeOutput(mode, "CH=1");
    BuildDocument(out);
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

TEST(ReadSelectedChannel, ReadsUpToThreeCharactersAfterCh) {
  struct Case {
    const char* parameters;
    unsigned long channel;
  } cases[] = {
      {"CH=3", 3},   {"CH=12,USER=X", 12}, {"CH=1234", 123}, {"CH= 7", 7},
      {"CH=  7", 7}, {"CH=   7", 0},       {"CH=x", 0},      {"CH=", 0},
      {"CH=,5", 0},  {"CH=4X", 4},         {"USER=A", 0},    {"X CH=5 CH=6", 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadSelectedChannel(c.parameters, c.parameters), c.channel) << c.parameters;
  }
}

TEST(SetOutputForm, FindsChInTheUpperCasedTextAndReadsTheRawCopy) {
  SensorOutput out;
  SetOutputForm(out, OutputMode::kQuenrik, "USER=ABC CH=2", "user=abc ch=2");
  EXPECT_EQ(out.outputMode, OutputMode::kQuenrik);
  EXPECT_TRUE(out.channelSelect);
  EXPECT_EQ(out.selectedChannel, 2u);

  SetOutputForm(out, OutputMode::kHollent, "USER=ABC", "user=abc");
  EXPECT_EQ(out.outputMode, OutputMode::kHollent);
  EXPECT_FALSE(out.channelSelect);
  EXPECT_EQ(out.selectedChannel, 0u);
}

TEST(OutputMode, NamesAndForms) {
  const char* names[] = {"EXEXML", "Velkira", "Zephanor", "Quenrik", "Hollent"};
  const bool xml[] = {true, true, false, false, true};
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(OutputModeName(kAllModes[i]), names[i]);
    EXPECT_EQ(IsXmlForm(kAllModes[i]), xml[i]) << names[i];
  }
}

TEST(StringConsole, CollectsWritesUnchanged) {
  StringConsole console;
  console.Write("a\n");
  console.Write(std::string_view("b\0c", 3));
  EXPECT_EQ(console.written, std::string("a\nb\0c", 5));
}

}  // namespace
}  // namespace qm
