// A small parser of Prometheus' text exposition format (version 0.0.4), as
// strict as the collectors that read the textfiles: every line a comment
// ("# HELP", "# TYPE" or other), an empty line or a sample; names and label
// names by the format's grammar, label values and help texts with only the
// escapes the format has, valid UTF-8; "# TYPE" before the family's first
// sample and at most once, each family's lines in one group, no series
// twice, and a line feed at the end. Tests use it to show a document is one
// a collector accepts, and to read its samples.
#ifndef QUILLMARK_TESTS_SUPPORT_EXPOSITION_PARSER_H_
#define QUILLMARK_TESTS_SUPPORT_EXPOSITION_PARSER_H_

#include <cstddef>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qm::test {

struct Sample {
  std::string name;
  std::map<std::string, std::string> labels;  // unescaped values
  double value = 0;
};

struct Exposition {
  bool ok = false;
  std::string error;  // why not, with the line's number
  std::vector<Sample> samples;
  std::map<std::string, std::string> types;  // family -> type
  std::map<std::string, std::string> helps;  // family -> unescaped help
};

namespace exposition_detail {

inline bool IsNameStart(char c, bool colon) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (colon && c == ':');
}

inline bool IsNameChar(char c, bool colon) {
  return IsNameStart(c, colon) || (c >= '0' && c <= '9');
}

// Takes a name from the front of `text` (metric names may hold ":").
inline bool TakeName(std::string_view& text, bool colon, std::string* name) {
  std::size_t n = 0;
  if (text.empty() || !IsNameStart(text[0], colon)) return false;
  while (n < text.size() && IsNameChar(text[n], colon)) ++n;
  *name = std::string(text.substr(0, n));
  text.remove_prefix(n);
  return true;
}

inline bool ValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's bounds
    if (c < 0x80) {
      extra = 0;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (text.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      unsigned char from = k == 1 ? low : 0x80, to = k == 1 ? high : 0xBF;
      if (next < from || next > to) return false;
    }
    i += extra + 1;
  }
  return true;
}

// A go-style float: digits with an optional sign, point and exponent, or
// NaN / +Inf / -Inf.
inline bool ParseValue(std::string_view text, double* value) {
  if (text == "NaN" || text == "+Inf" || text == "-Inf" || text == "Inf") return true;
  if (text.empty()) return false;
  std::string copy(text);
  char* end = nullptr;
  *value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size()) return false;
  for (char c : copy) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) {
      return false;  // strtod also reads hex and "infinity"
    }
  }
  return true;
}

// Unescapes a help text: only "\\" and "\n".
inline bool UnescapeHelp(std::string_view text, std::string* out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      *out += text[i];
      continue;
    }
    if (++i >= text.size()) return false;
    if (text[i] == '\\') {
      *out += '\\';
    } else if (text[i] == 'n') {
      *out += '\n';
    } else {
      return false;
    }
  }
  return true;
}

// Takes a quoted label value: only "\\", "\"" and "\n" escaped.
inline bool TakeLabelValue(std::string_view& text, std::string* out) {
  if (text.empty() || text[0] != '"') return false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return ValidUtf8(*out);
    }
    if (c != '\\') {
      *out += c;
      continue;
    }
    if (++i >= text.size()) return false;
    if (text[i] == '\\' || text[i] == '"') {
      *out += text[i];
    } else if (text[i] == 'n') {
      *out += '\n';
    } else {
      return false;
    }
  }
  return false;  // no closing quote
}

inline bool ParseSample(std::string_view line, Sample* sample, std::string* series,
                        std::string* why) {
  if (!TakeName(line, true, &sample->name)) return *why = "bad metric name", false;
  *series = sample->name + "{";
  if (!line.empty() && line[0] == '{') {
    line.remove_prefix(1);
    while (!line.empty() && line[0] != '}') {
      std::string name, value;
      if (!TakeName(line, false, &name)) return *why = "bad label name", false;
      if (name.rfind("__", 0) == 0) return *why = "reserved label name " + name, false;
      if (line.empty() || line[0] != '=') return *why = "no = after label " + name, false;
      line.remove_prefix(1);
      if (!TakeLabelValue(line, &value)) return *why = "bad value of label " + name, false;
      if (!sample->labels.emplace(name, value).second) {
        return *why = "label " + name + " twice", false;
      }
      *series += name + "=" + value + "\x1F";
      if (!line.empty() && line[0] == ',') line.remove_prefix(1);
    }
    if (line.empty()) return *why = "labels not closed", false;
    line.remove_prefix(1);
  }
  if (line.empty() || line[0] != ' ') return *why = "no blank before the value", false;
  line.remove_prefix(1);
  std::string_view value = line.substr(0, line.find(' '));
  if (!ParseValue(value, &sample->value)) return *why = "bad value", false;
  line.remove_prefix(value.size());
  if (!line.empty()) {
    // A timestamp: an integer of milliseconds.
    line.remove_prefix(1);
    if (line.empty()) return *why = "empty timestamp", false;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (!((line[i] >= '0' && line[i] <= '9') || (i == 0 && line[i] == '-'))) {
        return *why = "bad timestamp", false;
      }
    }
  }
  return true;
}

}  // namespace exposition_detail

// Parses a whole document.
inline Exposition ParseExposition(std::string_view text) {
  using namespace exposition_detail;
  Exposition result;
  auto fail = [&](std::size_t lineNumber, const std::string& why) {
    result.error = "line " + std::to_string(lineNumber) + ": " + why;
    return result;
  };
  if (text.empty() || text.back() != '\n')
    return fail(0, "the document does not end in a line feed");
  std::set<std::string> closedFamilies;  // families whose group has ended
  std::set<std::string> sampledFamilies;
  std::set<std::string> seriesSeen;
  std::string currentFamily;
  std::size_t lineNumber = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++lineNumber;
    if (line.empty()) continue;
    std::string family;
    if (line[0] == '#') {
      std::string_view rest = line.substr(1);
      bool help = rest.rfind(" HELP ", 0) == 0;
      bool type = rest.rfind(" TYPE ", 0) == 0;
      if (!help && !type) continue;  // a comment
      rest.remove_prefix(6);
      if (!TakeName(rest, true, &family)) return fail(lineNumber, "bad name after HELP/TYPE");
      if (rest.empty() || rest[0] != ' ') return fail(lineNumber, "no blank after the name");
      rest.remove_prefix(1);
      if (help) {
        std::string helpText;
        if (!UnescapeHelp(rest, &helpText) || !ValidUtf8(helpText)) {
          return fail(lineNumber, "bad help text");
        }
        if (!result.helps.emplace(family, helpText).second) return fail(lineNumber, "second HELP");
      } else {
        static const std::set<std::string> kTypes = {"counter", "gauge", "histogram", "summary",
                                                     "untyped"};
        if (kTypes.count(std::string(rest)) == 0) return fail(lineNumber, "unknown type");
        if (sampledFamilies.count(family) != 0) return fail(lineNumber, "TYPE after a sample");
        if (!result.types.emplace(family, std::string(rest)).second) {
          return fail(lineNumber, "second TYPE");
        }
      }
    } else {
      Sample sample;
      std::string series;
      std::string why;
      if (!ParseSample(line, &sample, &series, &why)) return fail(lineNumber, why);
      if (!seriesSeen.insert(series).second) return fail(lineNumber, "the same series twice");
      family = sample.name;
      sampledFamilies.insert(family);
      result.samples.push_back(std::move(sample));
    }
    if (family != currentFamily) {
      if (closedFamilies.count(family) != 0) {
        return fail(lineNumber, "the lines of " + family + " are not in one group");
      }
      if (!currentFamily.empty()) closedFamilies.insert(currentFamily);
      currentFamily = family;
    }
  }
  result.ok = true;
  return result;
}

}  // namespace qm::test

#endif  // QUILLMARK_TESTS_SUPPORT_EXPOSITION_PARSER_H_
