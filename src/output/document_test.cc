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

Channel ReadingChannel(const char* name, Reading reading, std::uint64_t amount, const char* unit) {
  return Channel{name, std::to_string(amount), unit, reading, amount};
}

// PRTG: a channel with thresholds carries LimitMode and the limits its
// outside ranges give (an inside range gives none, a lower end of 0 or
// below none, as no reading falls below it); a violated range adds a
// warning to the channel and a marker to the message.
TEST(RenderDocument, PrtgLimitsWarningsAndMarkers) {
  const std::vector<Channel> channels = {
      ReadingChannel("CPU-Usage", Reading::kCpuUsage, 37, "PerCent"),
      ReadingChannel("Processes", Reading::kProcesses, 4, ""),
  };
  const std::string cpuStart =
      "\n<Result><Channel>CPU-Usage</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>PerCent"
      "</CustomUnit>\n<Value>37</Value>";
  const std::string procsStart = "\n<Result><Channel>Processes</Channel>\n<Value>4</Value>";
  const std::string end = "</Result>\n";
  struct Case {
    const char* parameters;
    std::string message;
    std::string cpu;    // after the value
    std::string procs;  // after the value
  } cases[] = {
      {"", "m", "", ""},
      {"WARN.CPU=50 CRIT.CPU=90", "m",
       "\n<LimitMode>1</LimitMode>\n<LimitMaxWarning>50"
       "</LimitMaxWarning>\n<LimitMaxError>90</LimitMaxError>",
       ""},
      {"WARN.CPU=10:20 CRIT.CPU=5:", "m [WARN.CPU]",
       "\n<LimitMode>1</LimitMode>\n<LimitMaxWarning>20</LimitMaxWarning>\n<LimitMinWarning>10"
       "</LimitMinWarning>\n<LimitMinError>5</LimitMinError>\n<Warning>1</Warning>",
       ""},
      {"CRIT.CPU=~:30 WARN.PROCS=0:10", "m [CRIT.CPU]",
       "\n<LimitMode>1</LimitMode>\n<LimitMaxError>30</LimitMaxError>\n<Warning>1</Warning>",
       "\n<LimitMode>1</LimitMode>\n<LimitMaxWarning>10</LimitMaxWarning>"},
      {"WARN.PROCS=^1:5 CRIT.PROCS=^~:0", "m [WARN.PROCS]", "",
       "\n<LimitMode>1</LimitMode>\n<Warning>1</Warning>"},
      // A threshold on a reading without a channel marks nothing.
      {"CRIT.RTIME=0", "m", "", ""},
  };
  for (const Case& c : cases) {
    ChannelCounter counter;
    OutputForm form = FormOf(OutputMode::kExeXml, c.parameters);
    EXPECT_EQ(RenderDocument(form, counter, "m", channels),
              "\n<Prtg>\n\n<Text>" + c.message + "</Text>\n" + cpuStart + c.cpu + end + procsStart +
                  c.procs + end + "\n</Prtg>\n")
        << c.parameters;
  }
  // The caller products' forms stay as they are.
  for (OutputMode mode :
       {OutputMode::kVelkira, OutputMode::kHollent, OutputMode::kZephanor, OutputMode::kQuenrik}) {
    ChannelCounter a, b;
    EXPECT_EQ(RenderDocument(FormOf(mode, "WARN.CPU=1 CRIT.PROCS=1"), a, "m", channels),
              RenderDocument(FormOf(mode), b, "m", channels))
        << OutputModeName(mode);
  }
}

// PRTG shows 2,000 characters of a message: the markers always fit.
TEST(PrtgMessageText, KeepsTheMarkersWithinTheLimit) {
  ViolatedThresholds violated;
  violated.Add(Reading::kCpuUsage, {true, true});
  const std::string marks = " [WARN.CPU] [CRIT.CPU]";
  OutputForm form = FormOf(OutputMode::kExeXml, "WARN.CPU=1");
  std::string longMessage(3000, 'x');
  EXPECT_EQ(PrtgMessageText(form, longMessage, violated),
            std::string(2000 - marks.size(), 'x') + marks);
  EXPECT_EQ(PrtgMessageText(form, "short", violated), "short" + marks);
  EXPECT_EQ(PrtgMessageText(form, "short", {}), "short");
  // Without thresholds, and outside PRTG's form, the message is left alone.
  EXPECT_EQ(PrtgMessageText(FormOf(OutputMode::kExeXml), longMessage, violated), longMessage);
  EXPECT_EQ(PrtgMessageText(FormOf(OutputMode::kVelkira, "WARN.CPU=1"), "m", violated), "m");
}

TEST(Utf8Text, KeepsUtf8AndReadsOtherBytesAsLatin1) {
  struct Case {
    std::string text;
    std::string utf8;
  } cases[] = {
      {"plain", "plain"},
      {"M\xFCller", "M\xC3\xBCller"},
      {"M\xC3\xBCller", "M\xC3\xBCller"},  // already UTF-8
      {"\xE2\x82\xAC \xF0\x9F\x98\x80", "\xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"\xC3", "\xC3\x83"},                          // a sequence cut short
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},              // an overlong form
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},  // a surrogate
      {"\xF5\x80\x80\x80", "\xC3\xB5\xC2\x80\xC2\x80\xC2\x80"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8Text(c.text), c.utf8) << c.text;
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
