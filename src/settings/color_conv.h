// Colour texts of the settings file ("#rrggbb") as platform colour values.
#pragma once

#include <cstdint>
#include <string_view>

// blue * 65536 + green * 256 + red for a text "#rrggbb" (digits in either
// case). Red comes from characters 2-3, green from 4-5, blue from the last
// two characters; the three pairs are read as one hexadecimal number, blue
// first, up to its first character that is not a hexadecimal digit. A short
// or malformed text therefore gives a partial value, an empty or unreadable
// one 0; nothing is an error.
std::uint32_t Color_Conv(std::string_view text);
