#include "platform/text.h"

#include <cstdio>

#include "platform/platform.h"

namespace qm {

std::string UpperCaseAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperAscii(c);
  return upper;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanksAndTabs(std::string_view text) {
  std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  std::size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

FileRead ReadWholeFile(const std::string& windowsPath, std::size_t maxBytes, std::string* bytes) {
  bytes->clear();
  std::FILE* file = OpenForReading(windowsPath);
  if (file == nullptr) return FileRead::kCannotOpen;
  FileRead result = FileRead::kRead;
  char chunk[4096];
  for (;;) {
    std::size_t room = maxBytes - bytes->size();
    // One byte more than the room tells a file of exactly maxBytes from a
    // longer one.
    std::size_t want = room < sizeof chunk ? room + 1 : sizeof chunk;
    std::size_t got = std::fread(chunk, 1, want, file);
    if (got == 0) break;
    if (got > room) {
      bytes->append(chunk, room);
      result = FileRead::kTooLarge;
      break;
    }
    bytes->append(chunk, got);
  }
  if (result == FileRead::kRead && std::ferror(file) != 0) result = FileRead::kReadFailed;
  std::fclose(file);
  return result;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
  }
  return lines;
}

}  // namespace qm
