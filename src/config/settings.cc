#include "config/settings.h"

#include <cstddef>
#include <cstdio>
#include <iterator>

#include "platform/platform.h"

namespace qm {
namespace {

// What the lines of the file have said so far. Caller lines are only
// collected here and applied at the end, in the products' fixed order.
struct SettingsBuilder {
  ProgramSettings settings;
  bool callerNamed[4] = {false, false, false, false};
};

// The caller products in the order they are applied: the last one named wins.
constexpr OutputMode kCallerOrder[] = {OutputMode::kVelkira, OutputMode::kZephanor,
                                       OutputMode::kQuenrik, OutputMode::kHollent};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanksAndTabs(std::string_view text) {
  std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  std::size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

// Caller=NAME: one of the four products in any letter case; others ignored.
void ApplyCaller(std::string_view value, SettingsBuilder& builder) {
  for (std::size_t i = 0; i < std::size(kCallerOrder); ++i) {
    if (EqualsIgnoringCase(value, OutputModeName(kCallerOrder[i]))) {
      builder.callerNamed[i] = true;
    }
  }
}

// Timeout=SECONDS: whole seconds, 0 turns the limit off; anything else
// (signs, blanks inside, more than nine digits) is ignored.
void ApplyTimeout(std::string_view value, SettingsBuilder& builder) {
  if (value.empty() || value.size() > 9) return;
  unsigned long seconds = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return;
    seconds = seconds * 10 + static_cast<unsigned long>(c - '0');
  }
  builder.settings.timeoutSeconds = seconds;
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
  while (!bytes.empty()) {
    std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ApplyLine(line, builder);
  }
  return Finish(builder);
}

ProgramSettings ReadSettingsFile() {
  std::FILE* file = OpenForReading(kSettingsFile);
  if (file == nullptr) return ProgramSettings();
  std::string bytes;
  char buffer[4096];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
  bool readFailed = std::ferror(file) != 0;
  std::fclose(file);
  if (readFailed) return ProgramSettings();
  return ParseSettings(bytes);
}

}  // namespace qm
