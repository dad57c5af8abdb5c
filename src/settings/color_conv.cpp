#include "settings/color_conv.h"

#include <string>

#include "codec/sjis_text.h"

std::uint32_t Color_Conv(std::string_view text) {
  std::string hex;
  hex.append(sjis::right(text, 2));
  hex.append(sjis::mid(text, 3, 2));
  hex.append(sjis::mid(text, 1, 2));
  // At most six digits, so the value always fits.
  std::uint32_t value = 0;
  for (char c : hex) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      break;
    value = value * 16 + static_cast<std::uint32_t>(d);
  }
  return value;
}
