#include "settings/colour_pick.h"

#include <algorithm>

#include "codec/sjis_text.h"

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A pair of characters read as hexadecimal, stopping at the first non-digit.
// A double-byte character has no digit bytes to offer: its lead byte stops it.
int pair_value(std::string_view pair) {
  int value = 0;
  for (char c : pair) {
    const int d = hex_digit(c);
    if (d < 0) break;
    value = value * 16 + d;
  }
  return value;
}

}  // namespace

ColourBars colour_bars_of(std::string_view start) {
  // Positions count from 0.
  return {pair_value(sjis::mid(start, 0, 2)), pair_value(sjis::mid(start, 2, 2)), pair_value(sjis::mid(start, 4, 2))};
}

std::string colour_code(const ColourBars& bars) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string code;
  for (int v : {bars.red, bars.green, bars.blue}) {
    v = std::clamp(v, 0, 255);
    code += kDigits[v / 16];
    code += kDigits[v % 16];
  }
  return code;
}
