// The colour picker's numbers: the three bar values it starts from and the
// code it shows for them.
#pragma once

#include <string>
#include <string_view>

struct ColourBars {
  int red = 0, green = 0, blue = 0;  // 0 to 255 each
  bool operator==(const ColourBars&) const = default;
};

// The bars for a start text of six hexadecimal digits red-green-blue (no
// "#", Shift_JIS): characters 1-2 give red, 3-4 green, 5-6 blue. Each pair is
// read as a hexadecimal number up to its first character that is not a
// hexadecimal digit; a missing or unreadable pair gives 0, so an empty text
// is black. Characters after the sixth are ignored.
ColourBars colour_bars_of(std::string_view start);

// Six upper-case hexadecimal digits, two per bar ("0A7F00"). Values outside
// 0-255 are clamped.
std::string colour_code(const ColourBars& bars);
