#include "output/sensor_output.h"

#include <algorithm>
#include <cstddef>

namespace qm {
namespace {

// Zephanor documents carry at most this many channels per run.
constexpr unsigned long kZephanorChannelLimit = 10;

bool HasChannelSelect(const std::string& parameterText) {
  return parameterText.find("CH=") != std::string::npos;
}

void AppendEscaped(std::string& out, std::string_view text) { out += EscapeXml(text); }

// The label of the Zephanor form: blanks, slashes, backslashes, brackets and
// hyphens become "_", and then only the first "." does.
std::string ZephanorLabel(std::string_view label) {
  std::string result(label);
  for (char& c : result) {
    if (c == ' ' || c == '/' || c == '\\' || c == '[' || c == ']' || c == '-') c = '_';
  }
  std::size_t dot = result.find('.');
  if (dot != std::string::npos) result[dot] = '_';
  return result;
}

// The unit as the text forms show it.
std::string_view DisplayUnit(std::string_view unit) {
  if (unit.empty()) return "#";
  if (unit == "PerCent") return "%";
  if (unit == "TimeResponse") return "mSec";
  return unit;
}

void AppendZephanorChannel(SensorOutput& out, std::string_view label, std::string_view name,
                           std::string_view value, std::string_view unit) {
  std::string shownLabel = ZephanorLabel(label.empty() ? name : label);
  out.text += "\n\nMessage.";
  out.text += shownLabel;
  out.text += ": ";
  out.text += name;
  out.text += " (";
  out.text += DisplayUnit(unit);
  out.text += ")\nStatistic.";
  out.text += shownLabel;
  out.text += ": ";
  out.text += value;
}

void AppendQuenrikChannel(SensorOutput& out, std::string_view name, std::string_view value,
                          std::string_view unit) {
  if (out.channelSelect) {
    if (out.selectedChannel == out.channelCounter) out.text += value;
    return;
  }
  out.text += "\n> ";
  out.text += name;
  out.text += ": ";
  out.text += value;
  out.text += " ";
  out.text += DisplayUnit(unit);
}

void AppendXmlChannel(SensorOutput& out, std::string_view name, std::string_view value,
                      std::string_view unit) {
  out.text += "\n<Result><Channel>";
  AppendEscaped(out.text, name);
  out.text += "</Channel>";
  if (!unit.empty()) {
    out.text += "\n<Unit>Custom</Unit>\n<CustomUnit>";
    AppendEscaped(out.text, unit);
    out.text += "</CustomUnit>";
  }
  out.text += "\n<Value>";
  AppendEscaped(out.text, value);
  out.text += "</Value></Result>\n";
}

}  // namespace

const char* OutputModeName(OutputMode mode) {
  switch (mode) {
    case OutputMode::kExeXml:
      return "EXEXML";
    case OutputMode::kVelkira:
      return "Velkira";
    case OutputMode::kZephanor:
      return "Zephanor";
    case OutputMode::kQuenrik:
      return "Quenrik";
    case OutputMode::kHollent:
      return "Hollent";
  }
  return "EXEXML";
}

bool IsXmlForm(OutputMode mode) {
  return mode == OutputMode::kExeXml || mode == OutputMode::kHollent ||
         mode == OutputMode::kVelkira;
}

void SetOutputForm(SensorOutput& out, OutputMode mode, const std::string& parameterText,
                   const std::string& rawParameterText) {
  out.outputMode = mode;
  out.channelSelect = HasChannelSelect(parameterText);
  out.selectedChannel = ReadSelectedChannel(parameterText, rawParameterText);
}

unsigned long ReadSelectedChannel(const std::string& parameterText,
                                  const std::string& rawParameterText) {
  std::size_t found = parameterText.find("CH=");
  if (found == std::string::npos) return 0;
  std::size_t start = found + 3;
  if (start >= rawParameterText.size()) return 0;
  // At most three characters, ending early at a comma.
  std::string_view field(rawParameterText.data() + start,
                         std::min<std::size_t>(3, rawParameterText.size() - start));
  field = field.substr(0, field.find(','));
  std::size_t pos = 0;
  while (pos < field.size() && field[pos] == ' ') ++pos;
  unsigned long number = 0;
  for (; pos < field.size() && field[pos] >= '0' && field[pos] <= '9'; ++pos) {
    number = number * 10 + static_cast<unsigned long>(field[pos] - '0');
  }
  return number;
}

std::string EscapeXml(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '&') {
      result += "&amp;";
    } else if (c == '<') {
      result += "&lt;";
    } else if (c == '>') {
      result += "&gt;";
    } else if (byte >= 0x80) {
      // Latin-1: the byte value is the character's code point.
      result += "&#" + std::to_string(byte) + ";";
    } else if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F) {
      result += '?';
    } else {
      result += c;
    }
  }
  return result;
}

void BeginDocument(SensorOutput& out) {
  if (IsXmlForm(out.outputMode)) {
    out.text = "\n<Prtg>\n";
  } else {
    out.text.clear();
  }
}

void BeginMessage(SensorOutput& out) {
  out.text += IsXmlForm(out.outputMode) ? "\n<Text>" : "\n# ";
}

void EndMessage(SensorOutput& out) {
  if (IsXmlForm(out.outputMode)) {
    out.text += "</Text>\n";
  } else if (out.outputMode == OutputMode::kQuenrik && out.channelSelect) {
    // A selected channel's value is the whole document: drop the message.
    out.text.clear();
  }
}

void EndDocument(SensorOutput& out) {
  out.text += IsXmlForm(out.outputMode) ? "\n</Prtg>\n" : "\n";
}

void AppendMessageText(SensorOutput& out, std::string_view text) {
  if (IsXmlForm(out.outputMode)) {
    AppendEscaped(out.text, text);
  } else {
    out.text += text;
  }
}

void WriteErrorDocument(SensorOutput& out, std::string text) {
  // `text` is our own copy, so it may have come from out.text.
  out.text = "<Prtg>\n<Error>1</Error>\n<Text>";
  AppendEscaped(out.text, text);
  out.text += "</Text>\n</Prtg>\n";
}

void WriteChannel(SensorOutput& out, std::string_view label, std::string_view name,
                  std::string_view value, std::string_view unit) {
  ++out.channelCounter;
  switch (out.outputMode) {
    case OutputMode::kZephanor:
      if (out.channelCounter > kZephanorChannelLimit) return;
      AppendZephanorChannel(out, label, name, value, unit);
      return;
    case OutputMode::kQuenrik:
      AppendQuenrikChannel(out, name, value, unit);
      return;
    case OutputMode::kExeXml:
    case OutputMode::kVelkira:
    case OutputMode::kHollent:
      AppendXmlChannel(out, name, value, unit);
      return;
  }
}

}  // namespace qm
