// Writing a code point as UTF-8: the one encoder every module uses. The
// caller gives a code point of Unicode (at most U+10FFFF); a surrogate is
// written as its three bytes, as the readers that hand them over expect.
#pragma once

#include <cstddef>
#include <string>

// The UTF-8 bytes of c at p (room for four); their count.
inline std::size_t put_utf8(char* p, char32_t c) {
  if (c < 0x80) {
    p[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    p[0] = static_cast<char>(0xC0 | (c >> 6));
    p[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    p[0] = static_cast<char>(0xE0 | (c >> 12));
    p[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    p[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  p[0] = static_cast<char>(0xF0 | (c >> 18));
  p[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  p[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  p[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

// Appends the UTF-8 bytes of c to out.
inline void put_utf8(std::string& out, char32_t c) {
  char bytes[4];
  out.append(bytes, put_utf8(bytes, c));
}
