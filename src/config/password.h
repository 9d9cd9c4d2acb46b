// Profile passwords: a scrambled value (a 4-digit header of check digit, key
// offset and length, and a shuffled body, both combined with a fixed key
// table) and its clear text. A value of 24 characters has a 20-character body
// and holds a password of up to 20 characters; one of 44 characters has a
// 40-character body for passwords of 21 to 40.
#ifndef QUILLMARK_CONFIG_PASSWORD_H_
#define QUILLMARK_CONFIG_PASSWORD_H_

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qm {

// The 32 fixed one-byte key values, each between 0x01 and 0x0F.
const std::array<std::uint8_t, 32>& PasswordKeyTable();

enum class DescrambleStatus { kInvalid, kWrong, kClear };

struct DescrambleResult {
  DescrambleStatus status = DescrambleStatus::kInvalid;
  std::string clear;  // set only for kClear; at most 40 characters
};

// Turns a scrambled value back into the clear password, or finds it of the
// wrong form (Invalid: neither 24 nor 44 characters, or a header that is not
// four digits) or failing its check digit (Wrong). `value` is not empty.
DescrambleResult DescramblePassword(std::string_view value);

// Scrambles a clear password of 2 to 40 characters from 0x20 to 0x7E, into
// 24 characters for up to 20 and into 44 beyond. `random(n)` returns a number
// from 0 to n-1; it chooses the offset digit and the filler. Returns false
// with *error set for a password it cannot scramble. The value holds no byte
// below 0x20, does not end in a blank, and DescramblePassword returns it as
// Clear with the same password.
bool ScramblePassword(std::string_view clear, const std::function<unsigned(unsigned)>& random,
                      std::string* value, std::string* error);

}  // namespace qm

#endif  // QUILLMARK_CONFIG_PASSWORD_H_
