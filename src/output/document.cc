#include "output/document.h"

#include <cstddef>

namespace qm {
namespace {

// Zephanor documents carry at most this many channels per run.
constexpr unsigned long kZephanorChannelLimit = 10;

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

void AppendQuenrikChannel(SensorOutput& out, unsigned long channelNumber, std::string_view name,
                          std::string_view value, std::string_view unit) {
  if (out.form.channelSelect) {
    if (out.form.selectedChannel == channelNumber) out.text += value;
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

OutputForm MakeOutputForm(OutputMode mode, const Parameters& parameters) {
  return OutputForm{mode, parameters.channelSelect, parameters.selectedChannel};
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
  if (IsXmlForm(out.form.mode)) {
    out.text = "\n<Prtg>\n";
  } else {
    out.text.clear();
  }
}

void BeginMessage(SensorOutput& out) { out.text += IsXmlForm(out.form.mode) ? "\n<Text>" : "\n# "; }

void EndMessage(SensorOutput& out) {
  if (IsXmlForm(out.form.mode)) {
    out.text += "</Text>\n";
  } else if (out.form.mode == OutputMode::kQuenrik && out.form.channelSelect) {
    // A selected channel's value is the whole document: drop the message.
    out.text.clear();
  }
}

void EndDocument(SensorOutput& out) { out.text += IsXmlForm(out.form.mode) ? "\n</Prtg>\n" : "\n"; }

void AppendMessageText(SensorOutput& out, std::string_view text) {
  if (IsXmlForm(out.form.mode)) {
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

void WriteChannel(SensorOutput& out, ChannelCounter& counter, std::string_view label,
                  const Channel& channel) {
  unsigned long number = ++counter.count;
  switch (out.form.mode) {
    case OutputMode::kZephanor:
      if (number > kZephanorChannelLimit) return;
      AppendZephanorChannel(out, label, channel.name, channel.value, channel.unit);
      return;
    case OutputMode::kQuenrik:
      AppendQuenrikChannel(out, number, channel.name, channel.value, channel.unit);
      return;
    case OutputMode::kExeXml:
    case OutputMode::kVelkira:
    case OutputMode::kHollent:
      AppendXmlChannel(out, channel.name, channel.value, channel.unit);
      return;
  }
}

std::string RenderDocument(const OutputForm& form, ChannelCounter& counter,
                           std::string_view message, const std::vector<Channel>& channels) {
  SensorOutput out{form, {}};
  BeginDocument(out);
  BeginMessage(out);
  AppendMessageText(out, message);
  EndMessage(out);
  for (const Channel& channel : channels) WriteChannel(out, counter, "", channel);
  EndDocument(out);
  return out.text;
}

std::string RenderItemChannel(const OutputForm& form, ChannelCounter& counter,
                              std::string_view label, const Channel& channel) {
  SensorOutput out{form, {}};
  WriteChannel(out, counter, label, channel);
  return out.text;
}

std::string RenderGlobalOpening(const OutputForm& form) {
  SensorOutput out{form, {}};
  BeginDocument(out);
  return out.text;
}

std::string RenderGlobalClosing(const OutputForm& form, std::string_view summary) {
  SensorOutput out{form, {}};
  BeginMessage(out);
  AppendMessageText(out, summary);
  EndMessage(out);
  EndDocument(out);
  return out.text;
}

std::string RenderErrorDocument(std::string_view text) {
  SensorOutput out;
  WriteErrorDocument(out, std::string(text));
  return out.text;
}

}  // namespace qm
