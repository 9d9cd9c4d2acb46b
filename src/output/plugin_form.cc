#include "output/plugin_form.h"

#include <algorithm>
#include <cstddef>

#include "output/document.h"

namespace qm {
namespace {

const char* UnitOf(Reading reading) {
  switch (reading) {
    case Reading::kCpuUsage:
    case Reading::kSidUsage:
      return "%";
    case Reading::kCpuTime:
      return "s";
    case Reading::kWorkingSet:
    case Reading::kPrivatePages:
      return "MB";
    case Reading::kProcesses:
      return "";
    case Reading::kResponseTime:
      return "ms";
  }
  return "";
}

// A range as the guidelines write it: "@" marks an inside range.
std::string RangeText(const std::optional<Range>& range) {
  if (!range) return std::string();
  std::string text = range->text;
  if (range->inside) text[0] = '@';
  return text;
}

// Line ends and "|" would end the status line or start its performance
// data early.
std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\n' || c == '\r' || c == '|') c = '?';
  }
  return line;
}

// A label in single quotes: a quote doubled, "=" (which ends a label) as
// "_", on one line.
std::string QuotedLabel(std::string_view label) {
  std::string quoted = "'";
  for (char c : OneLine(label)) {
    if (c == '\'') {
      quoted += "''";
    } else {
      quoted += c == '=' ? '_' : c;
    }
  }
  return quoted + "'";
}

PluginState Worse(PluginState a, PluginState b) {
  return static_cast<int>(a) >= static_cast<int>(b) ? a : b;
}

}  // namespace

const char* PluginStateName(PluginState state) {
  switch (state) {
    case PluginState::kOk:
      return "OK";
    case PluginState::kWarning:
      return "WARNING";
    case PluginState::kCritical:
      return "CRITICAL";
    case PluginState::kUnknown:
      return "UNKNOWN";
  }
  return "UNKNOWN";
}

PluginState StateOfViolations(const ViolatedThresholds& violated) {
  if (violated.AnyCritical()) return PluginState::kCritical;
  return violated.AnyWarning() ? PluginState::kWarning : PluginState::kOk;
}

PluginState FailureState(std::string_view message) {
  constexpr std::string_view kPrefix = "Error ";
  if (message.substr(0, kPrefix.size()) != kPrefix || message.size() < kPrefix.size() + 4) {
    return PluginState::kUnknown;
  }
  std::string_view number = message.substr(kPrefix.size(), 4);
  bool digits =
      std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (digits && number >= "1011" && number <= "1016") return PluginState::kCritical;
  return PluginState::kUnknown;
}

PluginState GlobalRunState(const ViolatedThresholds& violated, unsigned long processedCount,
                           unsigned long failedCount, bool timedOut) {
  if (timedOut) return PluginState::kCritical;
  if (processedCount == 0 && failedCount == 0) return PluginState::kUnknown;
  PluginState failures = failedCount == 0      ? PluginState::kOk
                         : processedCount == 0 ? PluginState::kCritical
                                               : PluginState::kWarning;
  return Worse(StateOfViolations(violated), failures);
}

const char* PluginLabel(Reading reading) {
  switch (reading) {
    case Reading::kCpuUsage:
      return "cpu_usage";
    case Reading::kSidUsage:
      return "sid_usage";
    case Reading::kCpuTime:
      return "cpu_time";
    case Reading::kWorkingSet:
      return "working_set";
    case Reading::kPrivatePages:
      return "private_pages";
    case Reading::kProcesses:
      return "processes";
    case Reading::kResponseTime:
      return "response_time";
  }
  return "";
}

std::string PerformanceData(std::string_view label, const Channel& channel,
                            const Thresholds& thresholds) {
  std::size_t index = static_cast<std::size_t>(channel.reading);
  return Utf8Text(QuotedLabel(label)) + "=" + channel.value + UnitOf(channel.reading) + ";" +
         RangeText(thresholds.warning[index]) + ";" + RangeText(thresholds.critical[index]) + ";0;";
}

std::string PluginStatusLine(PluginState state, std::string_view message,
                             std::string_view performanceData) {
  std::string line =
      std::string("QUILLMARK ") + PluginStateName(state) + " - " + Utf8Text(OneLine(message));
  if (!performanceData.empty()) line += " | " + std::string(performanceData);
  return line + "\n";
}

PluginDocument RenderPluginDocument(const Thresholds& thresholds, std::string_view message,
                                    const std::vector<Channel>& channels) {
  ViolatedThresholds violated = ViolatedBy(thresholds, channels);
  std::string performanceData;
  for (const Channel& channel : channels) {
    if (!performanceData.empty()) performanceData += " ";
    performanceData += PerformanceData(PluginLabel(channel.reading), channel, thresholds);
  }
  PluginState state = StateOfViolations(violated);
  std::string text = std::string(message) + ThresholdMarkers(violated);
  return {PluginStatusLine(state, text, performanceData), state};
}

PluginDocument RenderPluginFailure(std::string_view message) {
  PluginState state = FailureState(message);
  return {PluginStatusLine(state, message, ""), state};
}

}  // namespace qm
