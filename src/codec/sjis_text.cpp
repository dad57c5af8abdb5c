#include "codec/sjis_text.h"

#include <cstdint>
#include <cstring>

namespace sjis {
namespace {

unsigned char lower_ascii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }
unsigned char upper_ascii(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

template <class Fold>
std::string fold(std::string_view s, Fold f) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size();) {
    std::size_t n = char_len(out, i);
    if (n == 1) out[i] = static_cast<char>(f(static_cast<unsigned char>(out[i])));
    i += n;
  }
  return out;
}

// The next character boundary at or after to, walking from boundary b.
std::size_t walk_to(std::string_view s, std::size_t b, std::size_t to) {
  while (b < to) {
    // Eight ASCII bytes are eight characters.
    if (b + 8 <= to) {
      std::uint64_t w;
      std::memcpy(&w, s.data() + b, 8);
      if ((w & 0x8080808080808080u) == 0) {
        b += 8;
        continue;
      }
    }
    b += char_len(s, b);
  }
  return b;
}

// A byte that can never be a second byte (a space, "<", "/", a digit...)
// always begins a character: a lead byte before it stands alone.
bool opens_char(unsigned char c) { return !is_trail(c); }

// An ASCII needle that opens with such a byte matches only at character
// boundaries, and each of its bytes is a single-byte character in hay, so
// the plain byte search gives the character-wise answer.
bool byte_search_is_exact(char c) {
  return static_cast<unsigned char>(c) < 0x80 && opens_char(static_cast<unsigned char>(c));
}
bool byte_search_is_exact(std::string_view needle) {
  if (!opens_char(static_cast<unsigned char>(needle[0]))) return false;
  for (char c : needle)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

template <bool Exact, class Eq>
std::size_t find_impl(std::string_view hay, std::string_view needle, std::size_t from, std::size_t boundary, Eq eq) {
  if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
  if (needle.size() > hay.size()) return std::string_view::npos;
  if constexpr (Exact) {
    // A character-wise match is a byte-wise one: where the bytes match
    // nowhere (most lines searched), one fast search answers; the first
    // character-wise match cannot come before the first byte-wise one.
    const std::size_t hit = hay.find(needle, from);
    if (hit == std::string_view::npos || byte_search_is_exact(needle)) return hit;
    from = hit;
  }
  const std::size_t last = hay.size() - needle.size();
  const unsigned char first = static_cast<unsigned char>(needle[0]);
  // boundary: a character boundary of hay, never past i.
  for (std::size_t i = from; i <= last; ++i) {
    // Cheap test of the first byte; only a candidate is checked to stand on a
    // character boundary, so the boundary walk stays one pass over hay.
    if constexpr (Exact) {
      const void* hit = std::memchr(hay.data() + i, first, last - i + 1);
      if (!hit) break;
      i = static_cast<std::size_t>(static_cast<const char*>(hit) - hay.data());
    } else if (!eq(static_cast<unsigned char>(hay[i]), first)) {
      continue;
    }
    boundary = walk_to(hay, boundary, i);
    if (boundary != i) continue;
    // Single-byte characters compare through eq, both bytes of a double-byte
    // character exactly (its second byte may be an ASCII letter that must not
    // be folded), and the match must end on a character boundary of hay.
    std::size_t k = 0;
    while (k < needle.size()) {
      const std::size_t n = char_len(hay, i + k);
      if (k + n > needle.size()) break;
      if (n == 1) {
        if (!eq(static_cast<unsigned char>(hay[i + k]), static_cast<unsigned char>(needle[k]))) break;
      } else if (hay.compare(i + k, 2, needle, k, 2) != 0) {
        break;
      }
      k += n;
    }
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

}  // namespace

bool is_ascii(std::string_view s) {
  std::uint64_t any = 0;
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    any |= w;
  }
  for (; i < s.size(); ++i) any |= static_cast<unsigned char>(s[i]);
  return (any & 0x8080808080808080u) == 0;
}

std::size_t length(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); i += char_len(s, i)) ++n;
  return n;
}

std::size_t byte_offset(std::string_view s, std::size_t chars) {
  std::size_t i = 0;
  while (chars > 0 && i < s.size()) {
    i += char_len(s, i);
    --chars;
  }
  return i;
}

std::size_t find(std::string_view hay, std::string_view needle, std::size_t from) {
  return find_impl<true>(hay, needle, from, 0, [](unsigned char a, unsigned char b) { return a == b; });
}

std::size_t find_after(std::string_view hay, std::string_view needle, std::size_t from) {
  return find_impl<true>(hay, needle, from, from, [](unsigned char a, unsigned char b) { return a == b; });
}

std::size_t find_nocase(std::string_view hay, std::string_view needle, std::size_t from) {
  // A byte of the needle that has no other case must occur in hay at all;
  // most lines searched (attachment data above all) fail this at memchr speed.
  for (char c : needle) {
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') continue;
    if (hay.find(c, from) == std::string_view::npos) return std::string_view::npos;
    break;
  }
  return find_impl<false>(hay, needle, from, 0,
                          [](unsigned char a, unsigned char b) { return lower_ascii(a) == lower_ascii(b); });
}

std::size_t find_char(std::string_view hay, char c, std::size_t from) {
  if (byte_search_is_exact(c)) return hay.find(c, from);
  for (std::size_t i = 0; i < hay.size(); i += char_len(hay, i))
    if (i >= from && hay[i] == c && char_len(hay, i) == 1) return i;
  return std::string_view::npos;
}

std::size_t rfind_char(std::string_view hay, char c) {
  if (byte_search_is_exact(c)) return hay.rfind(c);
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < hay.size(); i += char_len(hay, i))
    if (hay[i] == c && char_len(hay, i) == 1) found = i;
  return found;
}

std::string to_lower(std::string_view s) { return fold(s, lower_ascii); }
std::string to_upper(std::string_view s) { return fold(s, upper_ascii); }

bool starts_with_nocase_whole(std::string_view s, std::string_view prefix) {
  // Compared character-wise, so a double-byte character's second byte is
  // never folded; the prefix must also end where a character of s ends.
  if (s.size() < prefix.size()) return false;
  // An ASCII prefix matches only ASCII bytes of s, and those are characters
  // of their own from the first byte on: a plain byte comparison is exact.
  bool ascii = true;
  for (std::size_t k = 0; k < prefix.size() && ascii; ++k) {
    const unsigned char p = static_cast<unsigned char>(prefix[k]);
    if (p >= 0x80)
      ascii = false;
    else if (lower_ascii(static_cast<unsigned char>(s[k])) != lower_ascii(p))
      return false;
  }
  if (ascii) return true;
  if (find_nocase(s.substr(0, prefix.size()), prefix) != 0) return false;
  std::size_t i = 0;
  while (i < prefix.size()) i += char_len(s, i);
  return i == prefix.size();
}

// A trail byte is never 0x20, so trimming spaces byte-wise is character-safe.
std::string_view ltrim(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}
std::string_view rtrim(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}
std::string_view trim(std::string_view s) { return rtrim(ltrim(s)); }

std::string_view left(std::string_view s, std::size_t n) { return s.substr(0, byte_offset(s, n)); }

// Where the last n bytes are ASCII and the byte before them cannot begin a
// double-byte character, they are the last n characters (a page's file name
// at the end of its path); else the text is counted from its start.
std::string_view right(std::string_view s, std::size_t n) {
  if (s.size() <= n) return s;
  const std::string_view tail = s.substr(s.size() - n);
  if (!is_lead(static_cast<unsigned char>(s[s.size() - n - 1])) && is_ascii(tail)) return tail;
  std::size_t total = length(s);
  if (n >= total) return s;
  return s.substr(byte_offset(s, total - n));
}

std::string_view mid(std::string_view s, std::size_t start, std::size_t n) {
  std::size_t b = byte_offset(s, start);
  std::string_view rest = s.substr(b);
  if (n == std::string_view::npos) return rest;
  return rest.substr(0, byte_offset(rest, n));
}

int compare_nocase(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  // Eight equal ASCII bytes at a time first.
  while (i + 8 <= n) {
    std::uint64_t wa, wb;
    std::memcpy(&wa, a.data() + i, 8);
    std::memcpy(&wb, b.data() + i, 8);
    if (wa != wb || (wa & 0x8080808080808080u) != 0) break;
    i += 8;
  }
  while (i < n) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    // The same ASCII byte at a character boundary is the same character in
    // both: the usual long shared prefixes (dates, thread keys) go by fast.
    if (x == y && x < 0x80) {
      ++i;
      continue;
    }
    bool dbl = char_len(a, i) == 2 || char_len(b, i) == 2;
    if (!dbl) {
      x = lower_ascii(x);
      y = lower_ascii(y);
    }
    if (x != y) return x < y ? -1 : 1;
    ++i;
    if (dbl) {
      // Both begin a double-byte character with the same lead byte.
      if (i >= n) break;
      x = static_cast<unsigned char>(a[i]);
      y = static_cast<unsigned char>(b[i]);
      if (x != y) return x < y ? -1 : 1;
      ++i;
    }
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string narrow_lower(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    std::size_t n = char_len(s, i);
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (n == 1) {
      out += static_cast<char>(lower_ascii(c));
    } else {
      unsigned char t = static_cast<unsigned char>(s[i + 1]);
      unsigned code = (c << 8) | t;
      if (code >= 0x8260 && code <= 0x8279)
        out += static_cast<char>('a' + (code - 0x8260));  // Ａ-Ｚ
      else if (code >= 0x8281 && code <= 0x829A)
        out += static_cast<char>('a' + (code - 0x8281));  // ａ-ｚ
      else if (code >= 0x824F && code <= 0x8258)
        out += static_cast<char>('0' + (code - 0x824F));  // ０-９
      else if (code == 0x8146)
        out += ':';  // ：
      else if (code == 0x8140)
        out += ' ';  // ideographic space
      else
        out.append(s.substr(i, 2));
    }
    i += n;
  }
  return out;
}

long long parse_digits(std::string_view s) {
  if (s.empty() || s.size() > 18) return -1;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

}  // namespace sjis
