#include <array>
#include <cstddef>

#include "codec/jis.h"
#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"

namespace {

int hex_digit(std::string_view ch) {
  if (ch.size() != 1) return -1;
  const char c = ch[0];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string QP_Line(std::string_view line) {
  std::string decoded;
  decoded.reserve(line.size());
  for (std::size_t pos = 0; pos < line.size();) {
    const std::size_t len = sjis::char_len(line, pos);
    if (len != 1 || line[pos] != '=') {
      decoded.append(line.substr(pos, len));
      pos += len;
      continue;
    }
    ++pos;
    // The two characters after "=", as far as the line holds them; their
    // leading hexadecimal digits give the byte.
    int value = 0;
    bool digits = true;
    for (int k = 0; k < 2 && pos < line.size(); ++k) {
      const std::size_t clen = sjis::char_len(line, pos);
      const int d = hex_digit(line.substr(pos, clen));
      if (d < 0) digits = false;
      if (digits) value = value * 16 + d;
      pos += clen;
    }
    decoded += static_cast<char>(value);
  }
  return Jis_To_Sjis(decoded);
}

std::string qp_decode_body(std::string_view text) {
  // The value of each byte as a hexadecimal digit, else -1.
  static constexpr auto kHex = [] {
    std::array<signed char, 256> t{};
    for (int c = 0; c < 256; ++c)
      t[c] = static_cast<signed char>(c >= '0' && c <= '9'   ? c - '0'
                                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                             : -1);
    return t;
  }();
  std::string out(text.size(), '\0');
  char* w = out.data();
  const std::size_t n = text.size();
  const auto hex = [](char c) { return kHex[static_cast<unsigned char>(c)]; };
  for (std::size_t i = 0; i < n;) {
    const char c = text[i];
    if (c != '=') {
      *w++ = c;
      ++i;
      continue;
    }
    // What follows an "=" the text ends within is lost.
    if (i + 1 >= n) break;
    const char a = text[i + 1];
    if (a == '\n') {  // soft line break
      i += 2;
      continue;
    }
    if (i + 2 >= n) break;
    const char b = text[i + 2];
    if (hex(a) >= 0 && hex(b) >= 0) {
      *w++ = static_cast<char>(hex(a) * 16 + hex(b));
    } else if (a != '\r' || b != '\n') {  // else a soft line break
      *w++ = '=';
      *w++ = a;
      *w++ = b;
    }
    i += 3;
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
  return out;
}
