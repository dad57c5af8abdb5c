// The colour picker's start values and code.
#include "settings/colour_pick.h"

#include <gtest/gtest.h>

#include "codec/cp932.h"

namespace {

TEST(ColourPick, StartBars) {
  struct Case {
    const char* name;
    std::string start;
    ColourBars bars;
  };
  const Case cases[] = {
      {"quote colour", "007f00", {0, 127, 0}},
      {"upper case", "FF8000", {255, 128, 0}},
      {"empty", "", {0, 0, 0}},
      {"not hexadecimal", "zzzzzz", {0, 0, 0}},
      {"a pair stops at its first non-digit", "fz7g0a", {15, 7, 10}},
      {"a bad pair leaves the others", "zz80ff", {0, 128, 255}},
      {"short text", "ab1", {171, 1, 0}},
      {"more than six characters", "1234567", {0x12, 0x34, 0x56}},
      {"leading #: not a digit", "#ff000", {0, 0xf0, 0}},
      {"double-byte character counts as one", cp932::from_utf8("赤ff00"), {0, 0xf0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ColourBars got = colour_bars_of(c.start);
    EXPECT_EQ(got.red, c.bars.red);
    EXPECT_EQ(got.green, c.bars.green);
    EXPECT_EQ(got.blue, c.bars.blue);
  }
}

TEST(ColourPick, Code) {
  struct Case {
    const char* name;
    ColourBars bars;
    const char* code;
  };
  const Case cases[] = {
      {"black", {0, 0, 0}, "000000"},
      {"orange", {255, 128, 0}, "FF8000"},
      {"leading zero below 16", {10, 127, 0}, "0A7F00"},
      {"every digit", {0x01, 0x23, 0xEF}, "0123EF"},
      {"clamped", {-5, 300, 16}, "00FF10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(colour_code(c.bars), c.code);
  }
}

}  // namespace
