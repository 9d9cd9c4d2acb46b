#include "output/document.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace qm {
namespace {

// Zephanor documents carry at most this many channels per run.
constexpr unsigned long kZephanorChannelLimit = 10;

// PRTG shows at most this many characters of a message text.
constexpr std::size_t kPrtgMessageLimit = 2000;

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

void AppendElement(std::string& out, const char* tag, std::int64_t value) {
  out += std::string("\n<") + tag + ">" + std::to_string(value) + "</" + tag + ">";
}

// The limit elements of one channel's ranges, which PRTG reads when it
// creates the channel: an upper end as LimitMax*, a lower end that a
// reading can fall below as LimitMin*; an inside range has none.
void AppendLimits(std::string& out, const Thresholds& thresholds, Reading reading) {
  std::size_t index = static_cast<std::size_t>(reading);
  const std::optional<Range>& warning = thresholds.warning[index];
  const std::optional<Range>& critical = thresholds.critical[index];
  auto outside = [](const std::optional<Range>& range) { return range && !range->inside; };
  out += "\n<LimitMode>1</LimitMode>";
  if (outside(warning) && warning->high) AppendElement(out, "LimitMaxWarning", *warning->high);
  if (outside(critical) && critical->high) AppendElement(out, "LimitMaxError", *critical->high);
  if (outside(warning) && warning->low && *warning->low > 0) {
    AppendElement(out, "LimitMinWarning", *warning->low);
  }
  if (outside(critical) && critical->low && *critical->low > 0) {
    AppendElement(out, "LimitMinError", *critical->low);
  }
}

void AppendXmlChannel(SensorOutput& out, const Channel& channel) {
  out.text += "\n<Result><Channel>";
  AppendEscaped(out.text, channel.name);
  out.text += "</Channel>";
  if (!channel.unit.empty()) {
    out.text += "\n<Unit>Custom</Unit>\n<CustomUnit>";
    AppendEscaped(out.text, channel.unit);
    out.text += "</CustomUnit>";
  }
  out.text += "\n<Value>";
  AppendEscaped(out.text, channel.value);
  out.text += "</Value>";
  const Thresholds& thresholds = out.form.thresholds;
  if (out.form.mode == OutputMode::kExeXml && thresholds.AnyFor(channel.reading)) {
    AppendLimits(out.text, thresholds, channel.reading);
    Violations violated = CheckThresholds(thresholds, channel.reading, channel.amount);
    if (violated.warning || violated.critical) out.text += "\n<Warning>1</Warning>";
  }
  out.text += "</Result>\n";
}

}  // namespace

OutputForm MakeOutputForm(OutputMode mode, const Parameters& parameters) {
  return OutputForm{mode, parameters.channelSelect, parameters.selectedChannel,
                    parameters.thresholds};
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

std::string Utf8Text(std::string_view text) {
  auto continuation = [&](std::size_t at, unsigned char low, unsigned char high) {
    if (at >= text.size()) return false;
    unsigned char byte = static_cast<unsigned char>(text[at]);
    return byte >= low && byte <= high;
  };
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    // The length of a valid sequence starting here, 0 when there is none.
    std::size_t length = 0;
    if (lead < 0x80) {
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = continuation(i + 1, 0x80, 0xBF) ? 2 : 0;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
      unsigned char high = lead == 0xED ? 0x9F : 0xBF;
      length = continuation(i + 1, low, high) && continuation(i + 2, 0x80, 0xBF) ? 3 : 0;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
      unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
      length = continuation(i + 1, low, high) && continuation(i + 2, 0x80, 0xBF) &&
                       continuation(i + 3, 0x80, 0xBF)
                   ? 4
                   : 0;
    }
    if (length == 0) {
      // Latin-1: the byte value is the code point, two bytes in UTF-8.
      result += static_cast<char>(0xC0 | (lead >> 6));
      result += static_cast<char>(0x80 | (lead & 0x3F));
      ++i;
    } else {
      result.append(text, i, length);
      i += length;
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
      AppendXmlChannel(out, channel);
      return;
    case OutputMode::kPlugin:
    case OutputMode::kPrometheus:
      return;
  }
}

ViolatedThresholds ViolatedBy(const Thresholds& thresholds, const std::vector<Channel>& channels) {
  ViolatedThresholds violated;
  for (const Channel& channel : channels) {
    violated.Add(channel.reading, CheckThresholds(thresholds, channel.reading, channel.amount));
  }
  return violated;
}

std::string ThresholdMarkers(const ViolatedThresholds& violated) {
  std::string markers;
  for (std::size_t i = 0; i < kReadingCount; ++i) {
    const char* name = ThresholdName(static_cast<Reading>(i));
    if (violated.byReading[i].warning) markers += std::string(" [WARN.") + name + "]";
    if (violated.byReading[i].critical) markers += std::string(" [CRIT.") + name + "]";
  }
  return markers;
}

std::string PrtgMessageText(const OutputForm& form, std::string_view message,
                            const ViolatedThresholds& violated) {
  if (form.mode != OutputMode::kExeXml || !form.thresholds.Any()) return std::string(message);
  std::string markers = ThresholdMarkers(violated);
  return std::string(message.substr(0, kPrtgMessageLimit - markers.size())) + markers;
}

std::string RenderDocument(const OutputForm& form, ChannelCounter& counter,
                           std::string_view message, const std::vector<Channel>& channels) {
  SensorOutput out{form, {}};
  BeginDocument(out);
  BeginMessage(out);
  AppendMessageText(out, PrtgMessageText(form, message, ViolatedBy(form.thresholds, channels)));
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
