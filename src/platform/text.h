// The small text layer every part of the program shares: ASCII letter case,
// trimming, whole files with a size cap and splitting into lines. Upper- and
// lower-casing touch only the letters "a" to "z" and "A" to "Z"; every other
// byte, those of 128 and above included, stays as it is.
#ifndef QUILLMARK_PLATFORM_TEXT_H_
#define QUILLMARK_PLATFORM_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// One byte upper- or lower-cased (ASCII letters only).
constexpr char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A copy of the text with its ASCII letters upper-cased.
std::string UpperCaseAscii(std::string_view text);

// True when both texts are equal after upper-casing their ASCII letters.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// The text without blanks and tabs at either end.
std::string_view TrimBlanksAndTabs(std::string_view text);

// How reading a whole file ended.
enum class FileRead { kRead, kCannotOpen, kTooLarge, kReadFailed };

// Reads one of the program's own files (Windows-form path) into *bytes, at
// most `maxBytes` bytes: a longer file gives kTooLarge with the first
// `maxBytes` bytes in *bytes. A file that cannot be opened (a directory
// included) gives kCannotOpen and empty bytes.
FileRead ReadWholeFile(const std::string& windowsPath, std::size_t maxBytes, std::string* bytes);

// The lines of a text: each ends at a line feed, which is removed together
// with one carriage return before it; the last line needs no line feed, and
// an empty rest after the last line feed is no line. The views point into
// `text`.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace qm

#endif  // QUILLMARK_PLATFORM_TEXT_H_
