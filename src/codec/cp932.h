// Conversion between the archive's Shift_JIS (code page 932) and UTF-8, the
// encoding of file names and of every text shown to the user.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cp932 {

// UTF-8 to code page 932. Characters without a code page 932 form become "?".
std::string from_utf8(std::string_view utf8);
// UTF-8 to code page 932, or nothing when a character has no code page 932 form.
std::optional<std::string> from_utf8_exact(std::string_view utf8);
// Code page 932 to UTF-8. Bytes that form no character become U+FFFD.
std::string to_utf8(std::string_view sjis);
// True when every character of s is a valid code page 932 character that
// converts to UTF-8 and back unchanged.
bool round_trips(std::string_view sjis);
// True when lead and trail form a double-byte character of code page 932
// (one that iconv reads; the user-defined rows 0xF0-0xF9 count).
bool is_pair(unsigned char lead, unsigned char trail);

// The pairs is_pair accepts, a byte per lead and trail byte. For loops that
// test many pairs: take the table once, then each test is one load.
class PairTable {
 public:
  bool has(unsigned char lead, unsigned char trail) const { return known_[static_cast<unsigned>(lead) << 8 | trail]; }
  void add(unsigned char lead, unsigned char trail) { known_[static_cast<unsigned>(lead) << 8 | trail] = true; }

 private:
  std::array<bool, 65536> known_{};
};
// Built on first use from iconv's own table.
const PairTable& pair_table();
// The one character iconv reads the pair lead, trail as (what to_utf8 gives
// for it), from the table to_utf8 reads; 0 when it reads no one character.
char32_t pair_char(unsigned char lead, unsigned char trail);
// The code page 932 code iconv writes for the character cp of the Basic
// Multilingual Plane: a byte value for a single-byte code (ASCII, half-width
// katakana), lead * 256 + trail for a pair; 0 when it has none (and for
// U+0000). YEN SIGN and OVERLINE, which iconv writes as "\\" and "~", count
// as having none. Read from a table built on first use.
unsigned from_code_point(char32_t cp);
// The same table whole: the code of every BMP code point, 0x10000 entries.
const std::uint16_t* bmp_codes();

}  // namespace cp932
