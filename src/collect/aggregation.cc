// The process filters and the summing of the TOP_SINGLE rows. AddProcessRow
// runs once per process row, so it reads the row bytes in place with the
// matchers prepared once per step and allocates nothing.
#include "collect/aggregation.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/text.h"
#include "rfc/row_structures.h"

namespace qm {
namespace {

// Upper-casing by table: this runs for every byte of every row.
struct UpperTable {
  unsigned char map[256];
  constexpr UpperTable() : map() {
    for (int c = 0; c < 256; ++c) {
      map[c] = static_cast<unsigned char>(UpperAscii(static_cast<char>(c)));
    }
  }
};
constexpr UpperTable kUpper;

// The length of a character field's text: it ends at a NUL byte or the
// field's end.
std::size_t TextLength(const unsigned char* field, std::size_t length) {
  const void* nul = std::memchr(field, 0, length);
  return nul == nullptr ? length
                        : static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - field);
}

// True when the field's first `count` characters, upper-cased, equal `text`.
bool EqualsUpper(const unsigned char* field, const char* text, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (kUpper.map[field[i]] != static_cast<unsigned char>(text[i])) return false;
  }
  return true;
}

bool MatchesText(const unsigned char* field, std::size_t length, const TextMatcher& matcher) {
  if (matcher.matchAll) return true;
  std::size_t m = matcher.text.size();
  // Most rows differ in the first letter; they are rejected before the
  // text's length is measured.
  if (m > 0 && kUpper.map[field[0]] != static_cast<unsigned char>(matcher.text[0])) return false;
  std::size_t n = TextLength(field, length);
  while (n > 0 && field[n - 1] == ' ') --n;
  if (n == 0) return false;  // a blank text matches no value but a lone "*"
  if (matcher.prefix ? n < m : n != m) return false;
  return EqualsUpper(field, matcher.text.data(), m);
}

// Bytes of a field are searched eight at a time: a word holds eight bytes,
// the first in its lowest bits, and a mask marks chosen bytes with their top
// bit.
constexpr std::uint64_t kLowBits = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x8080808080808080;

// Up to eight bytes of a field from `at`; the bytes past the field read as
// zero, which ends a text just as the field's end does.
template <std::size_t Count>
std::uint64_t LoadWord(const unsigned char* at) {
  constexpr std::size_t kBytes = Count < 8 ? Count : 8;
  std::uint64_t word = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, at, kBytes);  // one load
  } else {
    for (std::size_t k = 0; k < kBytes; ++k) word |= std::uint64_t{at[k]} << (8 * k);
  }
  return word;
}

// The top bit of every byte of `word` that is zero, and of no other byte.
constexpr std::uint64_t ZeroBytes(std::uint64_t word) {
  constexpr std::uint64_t kLow7 = ~kHighBits;
  return ~(((word & kLow7) + kLow7) | word | kLow7);
}

// The top bit of the first zero byte of `word`, and maybe of later bytes;
// cheaper than ZeroBytes where only the first one counts.
constexpr std::uint64_t FirstZeroByte(std::uint64_t word) {
  return (word - kLowBits) & ~word & kHighBits;
}

// A mask of the bytes in front of the first marked one (all without one).
constexpr std::uint64_t BytesBefore(std::uint64_t marked) {
  return marked == 0 ? ~std::uint64_t{0} : (marked & (~marked + 1)) - 1;
}

// The needle's first letter, looked for in every byte of a word at once. A
// letter is found in either case: setting bit 5 of every byte turns exactly
// the letter's two forms into its lower-case form.
struct FirstLetter {
  explicit FirstLetter(unsigned char first) {
    bool letter = first >= 'A' && first <= 'Z';  // the needle is upper-cased
    caseBits = letter ? kLowBits * 0x20 : 0;
    wanted = kLowBits * (letter ? first | 0x20 : first);
  }
  // The top bit of every byte that is the letter.
  std::uint64_t Find(std::uint64_t word) const { return ZeroBytes((word | caseBits) ^ wanted); }
  std::uint64_t caseBits;
  std::uint64_t wanted;
};

// FieldContains from byte `Base` of the field on, one word per step, the
// steps unrolled at compile time.
template <std::size_t Length, std::size_t Base>
bool WordsContain(const unsigned char* field, std::string_view needle, const FirstLetter& first) {
  if constexpr (Base >= Length) {
    return false;
  } else {
    const std::size_t m = needle.size();
    const std::uint64_t word = LoadWord<Length - Base>(field + Base);
    const std::uint64_t nul = FirstZeroByte(word);
    for (std::uint64_t starts = first.Find(word) & BytesBefore(nul); starts != 0;
         starts &= starts - 1) {
      const std::size_t i = Base + static_cast<std::size_t>(std::countr_zero(starts) / 8);
      if (i + m > Length) return false;  // later starts leave even less room
      if (EqualsUpper(field + i + 1, needle.data() + 1, m - 1)) return true;
    }
    if (nul != 0) return false;
    return WordsContain<Length, Base + 8>(field, needle, first);
  }
}

// True when the field's text (up to a NUL byte) contains the upper-cased
// needle, letter case ignored; trailing blanks belong to the text. The
// needle's first letter is looked for eight bytes at a time in either case,
// and only where it occurs is the rest compared. A match that starts before
// the first NUL byte and does not cross it is found, as the needle holds no
// NUL byte; the field is `Length` bytes long.
template <std::size_t Length>
bool FieldContains(const unsigned char* field, std::string_view needle) {
  const std::size_t m = needle.size();
  if (m == 0) return true;
  if (m > Length) return false;
  const FirstLetter first(static_cast<unsigned char>(needle[0]));
  return WordsContain<Length, 0>(field, needle, first);
}

std::int32_t ReadInt32(const unsigned char* row, std::size_t offset) {
  std::int32_t value;
  std::memcpy(&value, row + offset, sizeof value);
  return value;
}

std::int64_t NotNegative(std::int64_t value) { return value < 0 ? 0 : value; }

}  // namespace

ProcessFilter ProcessFilterOf(const Parameters& parameters) {
  const std::string& user = parameters.userFilter;
  const std::string& process = parameters.processFilter;
  ProcessFilter filter;
  filter.filterText = process.empty() ? user : process;
  filter.userFilter = UpperCaseAscii(user);
  filter.processFilter = UpperCaseAscii(process);
  return filter;
}

TextMatcher MakeTextMatcher(const std::string& upperValue) {
  TextMatcher matcher;
  if (upperValue.empty()) return matcher;
  matcher.active = true;
  matcher.matchAll = upperValue == "*";
  matcher.prefix = upperValue.back() == '*';
  matcher.text = matcher.prefix ? upperValue.substr(0, upperValue.size() - 1) : upperValue;
  return matcher;
}

RowSelection MakeRowSelection(const ProcessFilter& filter, const std::string& destination) {
  RowSelection selection;
  selection.filter = filter;
  selection.upperDestination = UpperCaseAscii(destination);
  selection.user = MakeTextMatcher(filter.userFilter);
  selection.process = MakeTextMatcher(filter.processFilter);
  selection.anyFilter = selection.user.active || selection.process.active;
  return selection;
}

bool RowMatchesFilter(const unsigned char* row, const RowSelection& selection) {
  using namespace top_single;
  if (selection.user.active && !MatchesText(row + kUsername, kUsernameLength, selection.user)) {
    return false;
  }
  if (selection.process.active && !MatchesText(row + kCommand, kCommandLength, selection.process)) {
    return false;
  }
  return true;
}

bool IsSystemRow(const unsigned char* row, const std::string& upperDestination) {
  using namespace top_single;
  return FieldContains<kUsernameLength>(row + kUsername, upperDestination) ||
         FieldContains<kCommandLength>(row + kCommand, upperDestination);
}

std::int64_t ReadCpuTime(const char* text, std::size_t length) {
  std::size_t i = 0;
  while (i < length && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  // The field has 8 characters; the bound only guards longer texts.
  constexpr std::int64_t kLimit = 100000000000000000;  // 10^17
  for (; i < length && text[i] >= '0' && text[i] <= '9' && value < kLimit; ++i) {
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

void AddProcessRow(const unsigned char* row, const RowSelection& selection, ProcessTotals* totals) {
  using namespace top_single;
  std::int64_t cpuUtil = NotNegative(ReadInt32(row, kCpuUtil));
  if (!selection.anyFilter && IsSystemRow(row, selection.upperDestination)) {
    totals->systemCpuUtilSum += cpuUtil;
  }
  if (!RowMatchesFilter(row, selection)) return;
  ++totals->matchedRows;
  totals->cpuUtilSum += cpuUtil;
  totals->cpuTimeSum +=
      NotNegative(ReadCpuTime(reinterpret_cast<const char*>(row + kCpuTime), kCpuTimeLength));
  totals->residentSizeSum += NotNegative(ReadInt32(row, kResSize));
  totals->privatePagesSum += NotNegative(ReadInt32(row, kPrivPages));
}

}  // namespace qm
