// Byte-level tests shared by the charset conversion and its detector.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace codec_detail {

// One step through UTF-8 text: a well-formed character of len bytes (ok), or
// an ill-formed sequence whose maximal valid prefix is len bytes (at least 1),
// which counts as one bad character. Well-formed means the Unicode table of
// well-formed byte sequences: no overlong forms, no surrogates, nothing above
// U+10FFFF.
struct Utf8Step {
  std::size_t len;
  bool ok;
};

inline Utf8Step utf8_step(std::string_view s, std::size_t i) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = at(i);
  if (c < 0x80) return {1, true};
  std::size_t need;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    need = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    need = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    need = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return {1, false};
  }
  std::size_t k = 1;
  for (; k < need && i + k < s.size(); ++k) {
    const unsigned char t = at(i + k);
    if (k == 1 ? (t < lo || t > hi) : (t < 0x80 || t > 0xBF)) break;
  }
  return {k, k == need};
}

// The code point of the well-formed character of len bytes at i.
inline char32_t utf8_code(std::string_view s, std::size_t i, std::size_t len) {
  const auto at = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[k])); };
  if (len == 1) return at(i);
  char32_t cp = at(i) & (0x7F >> len);
  for (std::size_t k = 1; k < len; ++k) cp = cp << 6 | (at(i + k) & 0x3F);
  return cp;
}

// True when s holds an ISO-2022-JP escape sequence: ESC $ B, ESC $ @,
// ESC & @, ESC $ ( D, ESC ( B, ESC ( J or ESC ( I.
inline bool has_jis_escape(std::string_view s) {
  for (const char* p = s.data(); (p = static_cast<const char*>(std::memchr(p, 0x1B, s.data() + s.size() - p))); ++p) {
    const std::string_view rest(p + 1, static_cast<std::size_t>(s.data() + s.size() - p - 1));
    if (rest.starts_with("$B") || rest.starts_with("$@") || rest.starts_with("&@") || rest.starts_with("$(D") ||
        rest.starts_with("(B") || rest.starts_with("(J") || rest.starts_with("(I"))
      return true;
  }
  return false;
}

}  // namespace codec_detail
