#include "codec/jis.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// ESC, and the Shift_JIS bytes used below.
#define ESC "\x1B"
const std::string kA = "\x82\xA0";     // あ (JIS 0x24 0x22)
const std::string kGeta = "\x81\xAC";  // 〓

struct Row {
  const char* name;
  std::string in;
  std::string want;
};

TEST(JisToSjis, Table) {
  const Row rows[] = {
      {"plain ASCII unchanged", "Subject: hello [x] \\ |", "Subject: hello [x] \\ |"},
      {"Shift_JIS double-byte unchanged", "\x95\x5C\x81\x5B\x83\x7C", "\x95\x5C\x81\x5B\x83\x7C"},
      {"8-bit half-width kana pass", "\xB1\xB2 x", "\xB1\xB2 x"},
      {"letter a between escapes", ESC "$B\x24\x22" ESC "(B", kA},
      {"pair 48 33", ESC "$B\x30\x21" ESC "(B", "\x88\x9F"},
      {"pair 33 33", ESC "$B\x21\x21" ESC "(J", "\x81\x40"},
      {"ESC $ @ selects JIS X 0208", ESC "$@\x24\x22" ESC "(B.", kA + "."},
      {"ESC & @ ESC $ B selects JIS X 0208", "x" ESC "&@" ESC "$B\x24\x22" ESC "(By", "x" + kA + "y"},
      {"text around the kanji", "ab" ESC "$B\x24\x22\x24\x24" ESC "(Bcd",
       "ab" + kA +
           "\x82\xA2"
           "cd"},
      {"line ends in two-byte mode", ESC "$B\x24\x22", kA},
      {"lone last byte dropped", ESC "$B\x24\x22\x24", kA},
      {"pair outside a byte dropped", ESC "$B\xA0\x21\x24\x22" ESC "(B", kA},
      // Unknown escapes drop the ESC only; the line is kept.
      {"ESC K drops only the ESC", "ab" ESC "Kcd", "abKcd"},
      {"ESC K after kanji text", ESC "$B\x24\x22" ESC "(Bx" ESC "Ky", kA + "xKy"},
      {"ESC ( other drops the ESC", "a" ESC "(Xb", "a(Xb"},
      {"ESC $ other drops the ESC", "a" ESC "$Zb", "a$Zb"},
      {"ESC $ ( other drops the ESC", "a" ESC "$(Xb", "a$(Xb"},
      {"ESC & other drops the ESC", "a" ESC "&Xb", "a&Xb"},
      {"ESC & @ without ESC $ B drops the ESC", "a" ESC "&@xyz", "a&@xyz"},
      // Remnants at the end of the line.
      {"ESC last byte copied", "ab" ESC, "ab" ESC},
      {"ESC and one byte copied", "ab" ESC "K", "ab" ESC "K"},
      {"cut-off ESC $ ( copied", "ab" ESC "$(", "ab" ESC "$("},
      {"cut-off ESC $ ( in kanji mode copied", ESC "$B\x24\x22" ESC "$(", kA + ESC "$("},
      {"cut-off ESC & @ copied", "ab" ESC "&@", "ab" ESC "&@"},
      {"cut-off ESC & @ ESC copied", "ab" ESC "&@" ESC, "ab" ESC "&@" ESC},
      {"cut-off ESC & @ ESC $ copied", "ab" ESC "&@" ESC "$", "ab" ESC "&@" ESC "$"},
      // Half-width katakana designation.
      {"ESC ( I maps 7-bit kana", ESC "(I\x31\x32" ESC "(Bx", "\xB1\xB2x"},
      {"ESC ( I range ends", ESC "(I\x21\x5F\x60 ", "\xA1\xDF\x60 "},
      {"ESC ( J ends kana", ESC "(I\x31" ESC "(J\x31", "\xB1\x31"},
      {"two-byte escape ends kana", ESC "(I\x31" ESC "$B\x24\x22" ESC "(B\x31", "\xB1" + kA + "\x31"},
      {"kana after kanji", ESC "$B\x24\x22" ESC "(I\x31", kA + "\xB1"},
      // JIS X 0212 has no Shift_JIS form: one geta mark per pair.
      {"JIS X 0212 pairs become geta", ESC "$(D\x30\x21\x30\x22" ESC "(Ba", kGeta + kGeta + "a"},
      {"JIS X 0212 then JIS X 0208", ESC "$(D\x30\x21" ESC "$B\x24\x22" ESC "(B", kGeta + kA},
      {"JIS X 0212 lone last byte dropped", ESC "$(D\x30\x21\x30", kGeta},
      {"empty line", "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Jis_To_Sjis(r.in), r.want);
  }
}

TEST(JisToSjis, ModeStartsOffOnEveryLine) {
  EXPECT_EQ(Jis_To_Sjis(ESC "$B\x24\x22"), kA);
  EXPECT_EQ(Jis_To_Sjis("\x24\x22"), "\x24\x22");
  EXPECT_EQ(Jis_To_Sjis(ESC "(I\x31"), "\xB1");
  EXPECT_EQ(Jis_To_Sjis("\x31"), "\x31");
}

TEST(JisToSjis, EveryJisX0208PairMatchesShiftJisArithmetic) {
  // Row/cell to Shift_JIS by the usual table layout, checked over the whole set.
  for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
    for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
      int row = j1 - 0x21;
      int s1 = row / 2 + (row < 62 ? 0x81 : 0xC1);
      int s2 = (row % 2 == 0) ? j2 + (j2 < 0x60 ? 0x1F : 0x20) : j2 + 0x7E;
      std::string in = std::string(ESC "$B") + char(j1) + char(j2);
      std::string want{char(s1), char(s2)};
      ASSERT_EQ(Jis_To_Sjis(in), want) << "pair " << j1 << "," << j2;
    }
  }
}

TEST(JisToSjis, EveryBytePairInKanjiModeFollowsTheArithmetic) {
  // 8-bit and control bytes too (the converter looks its bytes up): the
  // lead byte (j1 + 1) / 2 + 112 or + 176, the second j2 + 31 or j2 + 125
  // and one more above 126, and nothing for a pair that leaves a byte.
  for (unsigned j1 = 0; j1 < 256; ++j1) {
    for (unsigned j2 = 0; j2 < 256; ++j2) {
      unsigned s2 = (j1 % 2 == 1) ? j2 + 31 : j2 + 125;
      if (s2 > 126) ++s2;
      const unsigned s1 = (j1 + 1) / 2 + (j1 <= 94 ? 112 : 176);
      const std::string want = s1 > 255 || s2 > 255 ? "" : std::string{char(s1), char(s2)};
      const std::string in = std::string(ESC "$B") + char(j1) + char(j2);
      ASSERT_EQ(Jis_To_Sjis(in), want) << "pair " << j1 << "," << j2;
    }
  }
}

TEST(JisToSjis, LongLinesHaveNoLimit) {
  std::string in = ESC "$B";
  std::string want;
  for (int k = 0; k < 40000; ++k) {
    in += "\x24\x22";
    want += kA;
  }
  in += ESC "(B";
  in += std::string(40000, 'x');
  want += std::string(40000, 'x');
  EXPECT_EQ(Jis_To_Sjis(in), want);
}

// The one-pass conversion of common lines, and the lines it leaves to the
// general path (false, out untouched). Expected bytes written out by hand:
// こ 0x82B1, ん 0x82F1 (JIS 0x2433, 0x2473); ① 0x8740 (NEC row 13, JIS
// 0x2D21); JIS 0x2F21 would be 0x8840, which code page 932 lacks.
TEST(PlainJisLine, ConvertsAndChecksInOnePass) {
  const struct {
    const char* name;
    std::string in;
    bool plain;
    std::string want;
  } rows[] = {
      {"kanji then ASCII", ESC "$B$3$s" ESC "(B ok", true, "\x82\xB1\x82\xF1 ok"},
      {"old kanji escape and JIS-Roman", ESC "$@$3" ESC "(Jx", true, "\x82\xB1x"},
      {"NEC special character is kept", ESC "$B-!" ESC "(B", true, "\x87\x40"},
      {"pair code page 932 lacks is the geta mark", ESC "$B/!$3", true, kGeta + "\x82\xB1"},
      {"lone last byte of a pair is dropped", ESC "$B$3$", true, "\x82\xB1"},
      {"line ends in kanji mode", ESC "$B$3", true, "\x82\xB1"},
      {"control bytes and DEL in ASCII", "a\tb\x7F" ESC "$B$3", true, "a\tb\x7F\x82\xB1"},
      {"escape alone", ESC "(B", true, ""},
      {"ampersand", "Q&A" ESC "$B$3", false, ""},
      {"8-bit byte in ASCII mode", ESC "(B\x82\xA0", false, ""},
      {"half-width katakana", ESC "(I1", false, ""},
      {"JIS X 0212", ESC "$(D0!", false, ""},
      {"escape with the revision prefix", ESC "&@" ESC "$B$3", false, ""},
      {"unknown escape", ESC "(Zab", false, ""},
      {"ESC cut off at the end", "ab" ESC "$", false, ""},
      {"ESC inside a pair", ESC "$B$" ESC "(B", false, ""},
      {"pair byte out of range", ESC "$B$\x7F", false, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    std::string out = "before";
    EXPECT_EQ(append_plain_jis_line(r.in, out), r.plain);
    EXPECT_EQ(out, "before" + (r.plain ? r.want : ""));
  }
}

}  // namespace
