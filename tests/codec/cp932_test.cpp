#include "codec/cp932.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <string>

namespace {

TEST(Cp932, JapaneseRoundTrip) {
  const struct {
    const char* name;
    std::string utf8, sjis;
  } rows[] = {
      {"hiragana", "あい", "\x82\xA0\x82\xA2"},
      {"trail bytes that look like ASCII", "表ーポ", "\x95\x5C\x81\x5B\x83\x7C"},
      {"half-width katakana", "ｱｲ", "\xB1\xB2"},
      {"mixed with ASCII", "件名: テスト [1]", "\x8C\x8F\x96\xBC: \x83\x65\x83\x58\x83\x67 [1]"},
      {"geta mark", "〓", "\x81\xAC"},
      {"empty", "", ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(cp932::from_utf8(r.utf8), r.sjis);
    EXPECT_EQ(cp932::to_utf8(r.sjis), r.utf8);
    EXPECT_TRUE(cp932::round_trips(r.sjis));
  }
}

TEST(Cp932, LongTextConverts) {
  std::string utf8, sjis;
  for (int k = 0; k < 5000; ++k) {
    utf8 += "日本";
    sjis += "\x93\xFA\x96\x7B";
  }
  EXPECT_EQ(cp932::from_utf8(utf8), sjis);
  EXPECT_EQ(cp932::to_utf8(sjis), utf8);
}

TEST(Cp932, UnconvertibleInput) {
  const std::string kReplacement = "\xEF\xBF\xBD";
  const struct {
    const char* name;
    std::string sjis, utf8;
  } to_rows[] = {
      {"byte that forms no character",
       "a\xA0"
       "b",
       "a" + kReplacement + "b"},
      {"lone lead byte at the end", "ab\x82", "ab" + kReplacement},
      {"lead byte before a space keeps the space", "a\x82 b", "a" + kReplacement + " b"},
  };
  for (const auto& r : to_rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(cp932::to_utf8(r.sjis), r.utf8);
    EXPECT_FALSE(cp932::round_trips(r.sjis));
  }
  const struct {
    const char* name;
    std::string utf8, sjis;
  } from_rows[] = {
      {"emoji",
       "a\xF0\x9F\x98\x80"
       "b",
       "a?b"},
      {"Hangul", "x\xED\x95\x9C", "x?"},
      {"broken UTF-8 byte",
       "a\xC3"
       "b",
       "a?b"},
  };
  for (const auto& r : from_rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(cp932::from_utf8(r.utf8), r.sjis);
  }
}

}  // namespace

namespace {

// What the system's iconv makes of sjis, read the plain way; nothing when it
// refuses any of it.
std::optional<std::string> Iconv_Utf8(const std::string& sjis) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  std::string out(sjis.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(sjis.data());
  char* to = out.data();
  std::size_t in_left = sjis.size(), out_left = out.size();
  const std::size_t r = iconv(cd, &in, &in_left, &to, &out_left);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1)) return std::nullopt;
  out.resize(out.size() - out_left);
  return out;
}

// The code point of UTF-8 text of one character, else 0.
char32_t only_code_point(const std::string& utf8) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(utf8[k]); };
  if (utf8.size() == 1 && b(0) < 0x80) return b(0);
  if (utf8.size() == 2 && (b(0) & 0xE0) == 0xC0) return (b(0) & 0x1Fu) << 6 | (b(1) & 0x3Fu);
  if (utf8.size() == 3 && (b(0) & 0xF0) == 0xE0) return (b(0) & 0x0Fu) << 12 | (b(1) & 0x3Fu) << 6 | (b(2) & 0x3Fu);
  return 0;
}

// Every character of code page 932 alone and between others converts as the
// system's iconv converts it, and so do the bytes and pairs it refuses
// (each becomes U+FFFD, as the conversion always did); pair_char gives the
// one character a pair is.
TEST(Cp932, EveryCharacterConvertsAsIconvConvertsIt) {
  const std::string kReplacement = "\xEF\xBF\xBD";
  int pairs = 0;
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead)
    for (unsigned trail = 0x40; trail <= 0xFF; ++trail) {
      const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::optional<std::string> expected = Iconv_Utf8("a" + pair + "z");
      if (!expected) continue;
      ++pairs;
      ASSERT_EQ(cp932::to_utf8("a" + pair + "z"), *expected) << std::hex << lead << " " << trail;
      const std::optional<std::string> alone = Iconv_Utf8(pair);
      EXPECT_EQ(cp932::pair_char(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)),
                alone ? only_code_point(*alone) : 0)
          << std::hex << lead << " " << trail;
    }
  EXPECT_GT(pairs, 7000) << "iconv refused what it should read";
  for (unsigned c = 0; c < 0x100; ++c) {
    const std::string one(1, static_cast<char>(c));
    const std::optional<std::string> expected = Iconv_Utf8(one);
    SCOPED_TRACE(c);
    EXPECT_EQ(cp932::to_utf8(one), expected ? *expected : kReplacement);
  }
  std::string ascii;
  for (unsigned c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
  EXPECT_EQ(cp932::to_utf8(ascii), Iconv_Utf8(ascii)) << "a text of ASCII alone, backslash and tilde too";
  EXPECT_EQ(cp932::to_utf8("\x82\xA0\x82"), "あ" + kReplacement);
  EXPECT_EQ(cp932::to_utf8("\x82\xA0\xFF\x82\xA0"), "あ" + kReplacement + "あ");
}

// The table of pairs says, for every lead and trail byte, what the system's
// iconv says of the pair alone (the table is read a row at a time).
TEST(Cp932, PairTableIsWhatIconvReadsPairByPair) {
  int known = 0;
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead)
    for (unsigned trail = 0x00; trail <= 0xFF; ++trail) {
      const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
      const bool expected = trail >= 0x40 && trail != 0x7F && trail <= 0xFC && !(lead >= 0xA0 && lead < 0xE0) &&
                            lead >= 0x81 && lead <= 0xFC && Iconv_Utf8(pair).has_value();
      known += expected;
      ASSERT_EQ(cp932::is_pair(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)), expected)
          << std::hex << lead << " " << trail;
    }
  EXPECT_GT(known, 7000) << "iconv refused what it should read";
}

}  // namespace
