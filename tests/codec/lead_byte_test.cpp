// Double-byte characters whose lead byte is 0x9F or one of 0xE0-0xEF (JIS
// rows 61-94, the second half of the kanji): the range tests of a lead byte
// must take them, and their second bytes "[", "]", "\", "|" or a letter
// must never match as ASCII.
#include <gtest/gtest.h>

#include <string>

#include "codec/cp932.h"
#include "codec/jis.h"
#include "codec/sjis_text.h"

namespace {

// 檗 歇 歉 歹 (lead 0x9F), 漾 濬 烟 濔 (0xE0), 靡 熙 (0xEA).
const std::string k9F40 = "\x9F\x40", k9F5B = "\x9F\x5B", k9F5D = "\x9F\x5D", k9F65 = "\x9F\x65";
const std::string kE040 = "\xE0\x40", kE05C = "\xE0\x5C", kE07C = "\xE0\x7C", kE05D = "\xE0\x5D";
const std::string kEA72 = "\xEA\x72", kEAA4 = "\xEA\xA4";

TEST(HighLeadBytes, AreOneCharacterEach) {
  const struct {
    const char* name;
    std::string text;
    std::size_t chars;
  } rows[] = {
      {"0x9F 0x40", k9F40, 1},
      {"0xE0 0x40", kE040, 1},
      {"0xEA 0xA4", kEAA4, 1},
      {"0xEF lead, unassigned but two bytes", "\xEF\x40", 1},
      {"three in a row", k9F40 + kE040 + kEAA4, 3},
      {"second bytes that are ASCII", k9F5B + k9F5D + kE05C + kE07C + kEA72 + k9F65, 6},
      {"mixed with ASCII", "a" + k9F5D + "b" + kE05C + "c", 5},
      {"lead before a byte that is no second byte", "\xE0>\x9F ", 4},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(sjis::length(r.text), r.chars);
    EXPECT_EQ(sjis::byte_offset(r.text, r.chars), r.text.size());
  }
}

TEST(HighLeadBytes, SecondBytesNeverMatchAnAsciiSearch) {
  const struct {
    const char* name;
    std::string hay;
    char c;
    std::size_t first, last;
  } rows[] = {
      {"] after 0x9F", k9F5D + "x]", ']', 3, 3},
      {"[ after 0x9F", k9F5B + "[", '[', 2, 2},
      {"backslash after 0xE0", kE05C, '\\', std::string::npos, std::string::npos},
      {"| after 0xE0", kE07C + "|" + kE07C, '|', 2, 2},
      {"] after 0xE0 only", kE05D + kE05D, ']', std::string::npos, std::string::npos},
      {"letter after 0xEA", kEA72 + "r", 'r', 2, 2},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(sjis::find_char(r.hay, r.c), r.first);
    EXPECT_EQ(sjis::rfind_char(r.hay, r.c), r.last);
  }
  EXPECT_EQ(sjis::find(kEA72 + "e:", "re:"), std::string::npos);
  EXPECT_EQ(sjis::find_nocase(kEA72 + "E:", "re:"), std::string::npos);
  EXPECT_EQ(sjis::find_nocase(kEA72 + "RE:", "re:"), 2u);
}

TEST(HighLeadBytes, CaseFoldingLeavesTheSecondByte) {
  const std::string upper = "\x9F\x41\xE0\x5A";  // second bytes "A" and "Z"
  EXPECT_EQ(sjis::to_lower(upper), upper);
  EXPECT_EQ(sjis::narrow_lower(upper), upper);
  EXPECT_EQ(sjis::to_upper("\x9F\x61\xEA\x72"), "\x9F\x61\xEA\x72");
  EXPECT_NE(sjis::compare_nocase("\x9F\x41", "\x9F\x61"), 0);
  EXPECT_FALSE(sjis::starts_with_nocase("\xE0\x52\x45:", "re:"));
}

TEST(HighLeadBytes, ConvertToTheRightKanji) {
  const std::string text = k9F40 + k9F5B + k9F5D + k9F65 + kE040 + kE05C + kE07C + kE05D + kEA72 + kEAA4;
  const std::string utf8 = "檗歇歉歹漾濬烟濔靡熙";
  EXPECT_EQ(cp932::to_utf8(text), utf8);
  EXPECT_EQ(cp932::from_utf8(utf8), text);
  EXPECT_TRUE(cp932::round_trips(text));
  // In ISO-2022-JP: 檗 is JIS 0x5D21 (row 61, the first with lead 0x9F), 漾
  // 0x5F21 (row 63, lead 0xE0), 熙 0x7426 (row 84, lead 0xEA).
  EXPECT_EQ(Jis_To_Sjis("\x1B$B\x5D\x21\x5F\x21\x74\x26\x1B(B"), k9F40 + kE040 + kEAA4);
}

}  // namespace
