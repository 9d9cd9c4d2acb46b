// Small text helpers shared by the stand-in's readers. Pure functions over
// bytes; none of them allocates more than its result.
#ifndef RFCSIM_TEXT_H_
#define RFCSIM_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace rfcsim {

// True for the blank characters the readers strip: space and tab.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text without blanks (space, tab) at both ends.
std::string_view TrimBlanks(std::string_view text);

// The text without blanks at its end.
std::string_view TrimTrailingBlanks(std::string_view text);

// Equality without regard to the letter case of "a" to "z" / "A" to "Z".
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// True when `text` starts with `prefix`, without regard to letter case.
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);

// Reads an optional sign and decimal digits, with blanks around allowed;
// an empty or all-blank text is 0. False when the text is not such a number
// or its value lies outside [minimum, maximum].
bool ParseInteger(std::string_view text, std::int64_t minimum, std::int64_t maximum,
                  std::int64_t* value);

// A text of exactly `width` bytes: cut, or padded on the right with blanks.
std::string FitText(std::string_view text, std::size_t width);

// The length of a terminated text, reading at most `limit` bytes (for
// records whose name length the caller also passes).
std::size_t BoundedLength(const char* text, std::size_t limit);

}  // namespace rfcsim

#endif  // RFCSIM_TEXT_H_
