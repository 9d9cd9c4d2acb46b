#include "config/settings.h"

#include <cstddef>
#include <iterator>

#include "platform/file_names.h"
#include "platform/line_reader.h"
#include "platform/text.h"

namespace qm {
namespace {

// The callers in the order they are applied: the last one named wins.
constexpr OutputMode kCallerOrder[] = {OutputMode::kVelkira, OutputMode::kZephanor,
                                       OutputMode::kQuenrik, OutputMode::kHollent,
                                       OutputMode::kPlugin,  OutputMode::kPrometheus};

// What the lines of the file have said so far. Caller lines are only
// collected here and applied at the end, in the products' fixed order.
struct SettingsBuilder {
  ProgramSettings settings;
  bool callerNamed[std::size(kCallerOrder)] = {};
};

// Caller=NAME: one of the callers in any letter case; others ignored.
void ApplyCaller(std::string_view value, SettingsBuilder& builder) {
  for (std::size_t i = 0; i < std::size(kCallerOrder); ++i) {
    if (EqualsIgnoringCase(value, OutputModeName(kCallerOrder[i]))) {
      builder.callerNamed[i] = true;
    }
  }
}

// Timeout=SECONDS: whole seconds, 0 turns the limit off; anything else
// (signs, blanks inside, more than nine digits) is ignored.
bool ReadWholeSeconds(std::string_view value, unsigned long* seconds) {
  if (value.empty() || value.size() > 9) return false;
  unsigned long number = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<unsigned long>(c - '0');
  }
  *seconds = number;
  return true;
}

void ApplyTimeout(std::string_view value, SettingsBuilder& builder) {
  ReadWholeSeconds(value, &builder.settings.timeoutSeconds);
}

// SystemTimeout=SECONDS: as Timeout=.
void ApplySystemTimeout(std::string_view value, SettingsBuilder& builder) {
  ReadWholeSeconds(value, &builder.settings.systemTimeoutSeconds);
}

// Parallel=N: 1 to 64 systems at once; anything else is ignored.
void ApplyParallel(std::string_view value, SettingsBuilder& builder) {
  unsigned long number = 0;
  if (ReadWholeSeconds(value, &number) && number >= 1 && number <= kMaxParallel) {
    builder.settings.parallel = static_cast<unsigned>(number);
  }
}

// RfcLibrary=PATH (a native path) or "standin"; an empty value is ignored.
void ApplyRfcLibrary(std::string_view value, SettingsBuilder& builder) {
  if (!value.empty()) builder.settings.rfcLibrary = std::string(value);
}

// One entry per key. A later key adds its entry here; its handler keeps the
// setting's default on an invalid value and otherwise overwrites it, so the
// last valid line wins.
struct KeyRule {
  const char* key;
  void (*apply)(std::string_view value, SettingsBuilder& builder);
};
constexpr KeyRule kKeyRules[] = {
    {"Caller", ApplyCaller},
    {"Timeout", ApplyTimeout},
    {"RfcLibrary", ApplyRfcLibrary},
    {"Parallel", ApplyParallel},
    {"SystemTimeout", ApplySystemTimeout},
};

void ApplyLine(std::string_view line, SettingsBuilder& builder) {
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  std::string_view key = TrimBlanksAndTabs(line.substr(0, equals));
  std::string_view value = TrimBlanksAndTabs(line.substr(equals + 1));
  for (const KeyRule& rule : kKeyRules) {
    if (EqualsIgnoringCase(key, rule.key)) rule.apply(value, builder);
  }
}

ProgramSettings Finish(const SettingsBuilder& builder) {
  ProgramSettings settings = builder.settings;
  for (std::size_t i = 0; i < std::size(kCallerOrder); ++i) {
    if (builder.callerNamed[i]) settings.outputMode = kCallerOrder[i];
  }
  return settings;
}

}  // namespace

ProgramSettings ParseSettings(std::string_view bytes) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    bytes.remove_prefix(kByteOrderMark.size());
  }
  SettingsBuilder builder;
  LineReader reader(bytes);
  std::string line;
  // One read takes a whole line, however long.
  while (reader.ReadLine(bytes.size() + 1, &line)) ApplyLine(line, builder);
  return Finish(builder);
}

ProgramSettings ParseSettingsFile(std::string_view bytes) {
  if (bytes.size() > kSettingsFileLimit) {
    // The line the limit cuts through was not ended within it.
    bytes = bytes.substr(0, kSettingsFileLimit);
    std::size_t lastEnd = bytes.rfind('\n');
    bytes = bytes.substr(0, lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
  }
  return ParseSettings(bytes);
}

ProgramSettings ReadSettingsFile() {
  // One byte beyond the limit tells a file that ends there from a longer one.
  std::string bytes;
  switch (ReadWholeFile(kSettingsFile, kSettingsFileLimit + 1, &bytes)) {
    case FileRead::kRead:
    case FileRead::kTooLarge:
      return ParseSettingsFile(bytes);
    case FileRead::kCannotOpen:
    case FileRead::kReadFailed:
      break;
  }
  return ProgramSettings();
}

}  // namespace qm
