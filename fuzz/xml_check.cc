#include "xml_check.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qm::fuzz {
namespace {

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// The characters XML 1.0 allows in a document.
bool IsLegalChar(std::uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

class Checker {
 public:
  explicit Checker(std::string_view text) : text_(text) {}

  bool Run(std::string* why) {
    while (pos_ < text_.size() && error_.empty()) Step();
    if (error_.empty() && !open_.empty()) Fail("element <" + open_.back() + "> not closed");
    if (error_.empty() && !rootSeen_) Fail("no element");
    if (error_.empty()) return true;
    if (why != nullptr) *why = error_ + " at byte " + std::to_string(errorPos_);
    return false;
  }

 private:
  void Fail(const std::string& message) {
    if (!error_.empty()) return;
    error_ = message;
    errorPos_ = pos_;
  }

  void Step() {
    char c = text_[pos_];
    if (c == '<') {
      Tag();
    } else if (open_.empty()) {
      if (!IsXmlSpace(c)) return Fail("text outside the element");
      ++pos_;
    } else if (c == '&') {
      Reference();
    } else {
      CharacterData();
    }
  }

  std::string Name() {
    std::size_t start = pos_;
    if (pos_ >= text_.size() || !IsNameStart(text_[pos_])) {
      Fail("bad element name");
      return std::string();
    }
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    return std::string(text_.substr(start, pos_ - start));
  }

  void SkipSpace() {
    while (pos_ < text_.size() && IsXmlSpace(text_[pos_])) ++pos_;
  }

  bool Expect(std::string_view what) {
    if (text_.substr(pos_, what.size()) != what) {
      Fail("expected \"" + std::string(what) + "\"");
      return false;
    }
    pos_ += what.size();
    return true;
  }

  void Tag() {
    ++pos_;  // '<'
    if (pos_ < text_.size() && text_[pos_] == '/') {
      ++pos_;
      std::string name = Name();
      SkipSpace();
      if (!Expect(">")) return;
      if (open_.empty() || open_.back() != name) return Fail("</" + name + "> closes nothing open");
      open_.pop_back();
      return;
    }
    if (rootSeen_ && open_.empty()) return Fail("a second element at the top");
    std::string name = Name();
    if (!error_.empty()) return;
    SkipSpace();
    rootSeen_ = true;
    if (pos_ < text_.size() && text_[pos_] == '/') {
      Expect("/>");
      return;
    }
    if (!Expect(">")) return;
    open_.push_back(name);
  }

  void Reference() {
    std::size_t semicolon = text_.find(';', pos_);
    if (semicolon == std::string_view::npos || semicolon - pos_ > 12) {
      return Fail("\"&\" without a reference");
    }
    std::string_view body = text_.substr(pos_ + 1, semicolon - pos_ - 1);
    pos_ = semicolon + 1;
    if (body == "amp" || body == "lt" || body == "gt" || body == "quot" || body == "apos") return;
    if (body.size() < 2 || body[0] != '#') return Fail("unknown entity");
    bool hex = body[1] == 'x';
    std::string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty()) return Fail("empty character reference");
    std::uint32_t code = 0;
    for (char d : digits) {
      int value = (d >= '0' && d <= '9')          ? d - '0'
                  : hex && (d >= 'a' && d <= 'f') ? d - 'a' + 10
                  : hex && (d >= 'A' && d <= 'F') ? d - 'A' + 10
                                                  : -1;
      if (value < 0) return Fail("bad digit in a character reference");
      code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
      if (code > 0x10FFFF) return Fail("character reference out of range");
    }
    if (!IsLegalChar(code)) return Fail("character reference to an illegal character");
  }

  // One character of text: ASCII or a UTF-8 sequence of a legal character.
  void CharacterData() {
    if (text_.substr(pos_, 3) == "]]>") return Fail("\"]]>\" in text");
    unsigned char lead = static_cast<unsigned char>(text_[pos_]);
    std::size_t length = lead < 0x80                    ? 1
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || pos_ + length > text_.size()) return Fail("byte that is not UTF-8");
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
      unsigned char next = static_cast<unsigned char>(text_[pos_ + i]);
      if ((next & 0xC0) != 0x80) return Fail("byte that is not UTF-8");
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length]) return Fail("overlong UTF-8 sequence");
    if (!IsLegalChar(code)) return Fail("illegal character in text");
    pos_ += length;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::vector<std::string> open_;
  bool rootSeen_ = false;
  std::string error_;
  std::size_t errorPos_ = 0;
};

}  // namespace

bool IsWellFormedXml(std::string_view text, std::string* why) { return Checker(text).Run(why); }

}  // namespace qm::fuzz
