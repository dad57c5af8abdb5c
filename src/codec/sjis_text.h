// Character-wise work on Shift_JIS text.
//
// Text inside the program is held as Shift_JIS bytes. A lead byte (0x81-0x9F,
// 0xE0-0xFC) and the byte after it form one character; that second byte may be
// any of 0x40-0x7E or 0x80-0xFC and so may equal "[", "]", "\", "|" or an ASCII
// letter. Every search, position, length and case fold here walks characters,
// so such a trail byte never matches an ASCII search. A lead byte at the very
// end of a text, or before a byte outside 0x40-0x7E and 0x80-0xFC, stands
// alone and counts as one character.
//
// Positions handed in and out are byte offsets that always fall on character
// boundaries; counts named "chars" are in characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sjis {

inline bool is_lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool is_trail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Byte length of the character starting at byte offset pos. A lead byte
// followed by a byte that cannot be a second byte (a space, "<", "/", a
// digit...) stands alone, so that byte is still seen as itself.
inline std::size_t char_len(std::string_view s, std::size_t pos) {
  return (is_lead(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size() &&
          is_trail(static_cast<unsigned char>(s[pos + 1])))
             ? 2
             : 1;
}

// True when s holds no byte of 0x80 or above (every byte a character).
bool is_ascii(std::string_view s);
std::size_t length(std::string_view s);                          // in characters
std::size_t byte_offset(std::string_view s, std::size_t chars);  // offset of character n (clamped)

// Character-aligned search; returns a byte offset or npos.
std::size_t find(std::string_view hay, std::string_view needle, std::size_t from = 0);
// As find, for a from the caller knows to be a character boundary (the end
// of an earlier match, say): hay before it is not walked again.
std::size_t find_after(std::string_view hay, std::string_view needle, std::size_t from);
std::size_t find_char(std::string_view hay, char c, std::size_t from = 0);
// Last character-aligned occurrence of c, or npos.
std::size_t rfind_char(std::string_view hay, char c);
inline bool contains(std::string_view hay, std::string_view needle) {
  return find(hay, needle) != std::string_view::npos;
}
// As find, with ASCII letters of single-byte characters compared without case.
std::size_t find_nocase(std::string_view hay, std::string_view needle, std::size_t from = 0);

// ASCII letters of single-byte characters folded; double-byte characters kept.
std::string to_lower(std::string_view s);
std::string to_upper(std::string_view s);

// True when s begins with prefix, ASCII letters of single-byte characters
// compared without case. Most calls (a line tested against field names) fail
// on the first byte, which is tested here before the whole comparison.
bool starts_with_nocase_whole(std::string_view s, std::string_view prefix);
inline bool starts_with_nocase(std::string_view s, std::string_view prefix) {
  if (!prefix.empty() && static_cast<unsigned char>(prefix[0]) < 0x80) {
    if (s.empty()) return false;
    const unsigned char p = static_cast<unsigned char>(prefix[0]) | 0x20;
    const unsigned char c = static_cast<unsigned char>(s[0]);
    if (p >= 'a' && p <= 'z' ? (c | 0x20) != p : c != static_cast<unsigned char>(prefix[0])) return false;
  }
  return starts_with_nocase_whole(s, prefix);
}

// Blanks are the space character only, as the mail formats use them.
std::string_view trim(std::string_view s);
std::string_view ltrim(std::string_view s);
std::string_view rtrim(std::string_view s);

// The first n characters, the last n characters, n characters from character start.
std::string_view left(std::string_view s, std::size_t n);
std::string_view right(std::string_view s, std::size_t n);
std::string_view mid(std::string_view s, std::size_t start, std::size_t n = std::string_view::npos);

// Ordering of the sorted line lists: character by character, ASCII letters
// without case, double-byte characters by their bytes. Returns <0, 0, >0.
int compare_nocase(std::string_view a, std::string_view b);

// Full-width Latin letters, digits and the full-width colon and space become
// their ASCII forms, then ASCII letters become lower case. One character in,
// one character out, so character positions agree with the original.
std::string narrow_lower(std::string_view s);

// Plain decimal number as written by the program ("0000012" -> 12); -1 when
// the text is empty or holds anything but digits.
long long parse_digits(std::string_view s);

}  // namespace sjis
