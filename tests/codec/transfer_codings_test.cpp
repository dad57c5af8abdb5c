#include "codec/transfer_codings.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codec/jis.h"
#include "support/linear_work.h"

namespace {

using namespace std::string_literals;

const std::string kA = "\x82\xA0";  // あ
const std::string kI = "\x82\xA2";  // い

struct TextRow {
  const char* name;
  std::string in;
  std::string want;
};

struct GroupRow {
  const char* name;
  std::string in;
  std::string bytes;
  int count;
};

void check_groups(const GroupRow* begin, const GroupRow* end, GroupBytes (*decode)(std::string_view)) {
  for (const GroupRow* r = begin; r != end; ++r) {
    SCOPED_TRACE(r->name);
    GroupBytes got = decode(r->in);
    EXPECT_EQ(got.bytes, r->bytes);
    EXPECT_EQ(got.count, r->count);
  }
}

TEST(DecodeHeader, Table) {
  const std::string kGeta = "\x81\xAC";
  const TextRow rows[] = {
      // "GyRCJCIbKEI=" is ESC $ B 0x24 0x22 ESC ( B, "GyRCJCQbKEI=" the same for い.
      {"ISO-2022-JP word gives a", "=?ISO-2022-JP?B?GyRCJCIbKEI=?=", kA},
      {"blank between two words dropped", "=?ISO-2022-JP?B?GyRCJCIbKEI=?= =?ISO-2022-JP?B?GyRCJCQbKEI=?=", kA + kI},
      {"blanks and TABs between words of two charsets dropped",
       "=?UTF-8?B?44GC?= \t =?ISO-8859-1?Q?=F8?=", kA + "&#248;"},
      {"words right against each other", "=?UTF-8?B?44GC?==?UTF-8?B?44GC?=", kA + kA},
      {"blanks between a word and text kept", "=?UTF-8?B?44GC?= x =?UTF-8?B?44GC?=", kA + " x " + kA},
      {"text around a word stays", "Re: [ml 12] =?ISO-2022-JP?B?GyRCJCIbKEI=?= (fwd)", "Re: [ml 12] " + kA + " (fwd)"},
      {"charset letters in any case", "=?iso-2022-jp?b?GyRCJCIbKEI=?=", kA},
      {"SHIFT_JIS word read as Shift_JIS", "x =?SHIFT_JIS?B?lVyBWw==?= y", "x \x95\x5C\x81\x5B y"},
      {"shift_jis word in lower case", "=?shift_jis?b?lVyBWw==?=", "\x95\x5C\x81\x5B"},
      // "G0tBQg==" is ESC K A B: no ISO-2022-JP escape, so nothing converts it.
      {"SHIFT_JIS word not JIS-converted", "=?SHIFT_JIS?B?G0tBQg==?=",
       "\x1B"
       "KAB"},
      {"UTF-8 B word", "=?UTF-8?B?44GC?= x", kA + " x"},
      {"UTF-8 Q word in lower case", "=?utf-8?q?caf=C3=a9_=E3=81=82?=", "caf&#233; " + kA},
      {"ISO-8859-1 Q word", "=?ISO-8859-1?Q?J=F8rn_St=F8ylen?= <j@x.no>", "J&#248;rn St&#248;ylen <j@x.no>"},
      {"ISO-2022-JP Q word", "=?ISO-2022-JP?Q?=1B$B$\"=1B(B?=", kA},
      {"RFC 2231 language suffix", "=?utf-8*ja?B?44GC?=", kA},
      // ESC $ B 0x24 | 0x22 0x24 0x24 ESC ( B, and ESC $ | B 0x24 0x22 ESC ( B.
      {"ISO-2022-JP split inside a character", "=?ISO-2022-JP?B?GyRCJA==?= =?ISO-2022-JP?B?IiQkGyhC?=", kA + kI},
      {"ISO-2022-JP split inside an escape", "=?ISO-2022-JP?B?GyQ=?=\t=?iso-2022-jp?B?QiQiGyhC?=", kA},
      {"UTF-8 split inside a character", "=?UTF-8?B?44E=?= =?UTF-8?B?gg==?=", kA},
      {"word inside quotes", "\"=?ISO-2022-JP?B?GyRCJCIbKEI=?=\" <a@b>", "\"" + kA + "\" <a@b>"},
      {"plain Shift_JIS text unchanged", "\x95\x5C\x81\x5B [x]", "\x95\x5C\x81\x5B [x]"},
      {"raw UTF-8 text", "Re: \xE3\x81\x82 =?UTF-8?B?44GC?=", "Re: " + kA + " " + kA},
      {"raw EUC-JP text", "\xC6\xFC\xCB\xDC", "\x93\xFA\x96\x7B"},
      {"raw ISO-2022-JP text", "Re: \x1B$B$\"\x1B(B", "Re: " + kA},
      // Six kanji whose JIS pairs spell a whole word: no word opens inside pairs.
      {"raw JIS pairs that spell a word open none", "\x1B$B=?a?B?GyRC?=\x1B(B",
       "\x8F\x5E\xE1\x5E\x91\xBD\x94\x99\x99\xC1\x90\x5C"},
      {"unknown charset detected", "=?x-bogus?B?44GC?=", kA},
      {"literal references escaped", "a &#1; =?UTF-8?Q?&#2;?=", "a &#38;#1; &#38;#2;"},
      {"decoded line break is a space, NUL dropped", "=?UTF-8?B?YQ0KYgBj?=", "a bc"},
      {"empty", "", ""},
      {"Base64 without padding keeps the text after it", "=?SHIFT_JIS?B?QUI?= tail [x]", "AB tail [x]"},
      {"Base64 with a stray last character", "=?UTF-8?B?44GC4?=", kA},
      // A word without "?=" ends at a blank or the end, keeping what follows.
      {"word without end marker kept", "abc =?ISO-2022-JP?B?GyRCJCIbKEI=", "abc " + kA},
      {"word without end marker before text", "=?UTF-8?B?44GC x y", kA + " x y"},
      {"unterminated word joins the word before it", "=?ISO-2022-JP?B?GyRCJCIbKEI=?= =?ISO-2022-JP?B?GyRCJCQ", kA + kI},
      {"unterminated SHIFT_JIS word", "s: =?SHIFT_JIS?B?lVyBWw", "s: \x95\x5C\x81\x5B"},
      {"Q word holding raw blanks", "=?ISO-8859-1?Q?a b?= c", "a b c"},
      {"Q word without end marker", "=?ISO-8859-1?Q?a b", "a b"},
      {"opening only", "x=?ISO-2022-JP?B?", "x"},
      {"invalid Base64 stays as written", "=?UTF-8?B?44G*?= x", "=?UTF-8?B?44G*?= x"},
      {"unknown encoding stays as written", "=?UTF-8?X?abc?=", "=?UTF-8?X?abc?="},
      // "=" is never a second byte: a word right after any character opens.
      {"word right after a double-byte character", "\x95\x5C=?SHIFT_JIS?B?lVyBWw==?=", "\x95\x5C\x95\x5C\x81\x5B"},
      {"word right after a lone lead byte", "\x95=?SHIFT_JIS?B?lVyBWw==?=", kGeta + "\x95\x5C\x81\x5B"},
      {"equals signs that open nothing", "a = b == c=?", "a = b == c=?"},
  };
  for (const TextRow& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Decode_Header(r.in), r.want);
  }
}

// Raw 8-bit text (no encoded word) is read in the charset of the message's
// first text part when it names one other than the Japanese codes.
// The decoder keeps its buffers for the next value: values decoded one
// after another, each shorter than the one before or without words, give
// their own text only.
TEST(DecodeHeader, EachValueInTurnGivesItsOwnTextOnly) {
  const TextRow rows[] = {
      {"two words and text", "=?ISO-2022-JP?B?GyRCJCIbKEI=?= =?ISO-2022-JP?B?GyRCJCQbKEI=?= and a longer tail",
       kA + kI + " and a longer tail"},
      {"plain text", "x", "x"},
      {"one word", "=?UTF-8?B?44GC?=", kA},
      {"empty", "", ""},
      {"invalid word after a word", "=?UTF-8?B?44GC?= =?UTF-8?B?44G*?=", kA + " =?UTF-8?B?44G*?="},
      {"short Shift_JIS word", "=?SHIFT_JIS?B?QUI?=", "AB"},
      {"raw Shift_JIS text", "\x95\x5C", "\x95\x5C"},
  };
  for (int round = 0; round < 2; ++round) {
    for (const TextRow& r : rows) {
      SCOPED_TRACE(std::string(r.name) + (round ? ", again" : ""));
      EXPECT_EQ(Decode_Header(r.in), r.want);
    }
  }
}

TEST(DecodeHeader, RawTextInTheCharsetOfTheText) {
  const struct {
    const char* name;
    std::string in;
    const char* fallback;
    std::string want;
  } rows[] = {
      {"Big5 subject", "Re: \xA4\xA4\xA4\xE5", "big5", "Re: \x92\x86\x95\xB6"},
      {"GB2312 subject", "\xD6\xD0\xCE\xC4", "gb2312", "\x92\x86\x95\xB6"},
      {"KOI8-R sender", "\xF0\xD2\xC9\xD7\xC5\xD4 <p@x.ru>", "KOI8-R",
       "\x84\x50\x84\x82\x84\x79\x84\x72\x84\x75\x84\x84 <p@x.ru>"},
      {"Latin-1 subject", "K\xF6ln", "iso-8859-1", "K&#246;ln"},
      {"UTF-8 before the fallback", "\xE3\x81\x82", "iso-8859-1", kA},
      {"Shift_JIS under a Japanese text", kA + kI, "iso-2022-jp", kA + kI},
      {"encoded words keep their own charset", "=?UTF-8?B?44GC?= \xA4\xA4", "big5", kA + " \x92\x86"},
      {"UTF-7 word under a label iconv does not know", "=?unicode-1-1-utf-7?Q?+ZeVnLIqe-?=", "",
       "\x93\xFA\x96\x7B\x8C\xEA"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Decode_Header(r.in, r.fallback), r.want);
  }
}

TEST(DecodeHeader, LongTextHasNoLimit) {
  std::string in, want;
  for (int k = 0; k < 3000; ++k) {
    in += "=?ISO-2022-JP?B?GyRCJCIbKEI=?= x ";
    want += kA + " x ";
  }
  EXPECT_EQ(Decode_Header(in), want);
}

std::string Repeat(const std::string& unit, std::size_t bytes) {
  std::string s;
  while (s.size() < bytes) s += unit;
  return s;
}

// Texts that make a careless reader look ahead again and again (openers
// without ends, Q words with blanks, failed words): the work must grow
// linearly with the text.
TEST(DecodeHeaderWork, GrowsLinearlyWithTheText) {
  const struct {
    const char* name;
    std::string unit;
  } units[] = {
      {"words", "=?UTF-8?B?44GC?= "}, {"B words without end", "=?a?B?x"}, {"Q words with blanks, no end", "=?a?Q?x y"},
      {"openers only", "=?"},         {"charset without end", "=?aaaa"},  {"invalid B words", "=?a?B?x*"},
      {"raw JIS", "\x1B$B$\"=?"},
  };
  LinearWork work;
  for (const auto& u : units) {
    SCOPED_TRACE(u.name);
    EXPECT_FALSE(Decode_Header(Repeat(u.unit, 1000)).empty());
    work.add(u.name, [&u](std::size_t n) { return [in = Repeat(u.unit, n)] { Decode_Header(in); }; });
  }
  work.expect_linear();
}

TEST(QpLine, Table) {
  const TextRow rows[] = {
      {"=41 is A", "=41", "A"},
      {"=3D is the equals sign", "a=3Db", "a=b"},
      {"lower-case digits", "=3d=4a", "=J"},
      {"lone = at the end is code 0", "ab=", "ab\0"s},
      {"one digit then the end", "x=4", "x\x04"},
      {"one digit then other", "=4Gz", "\x04z"},
      {"two non-digits give 0", "=GGz", "\0z"s},
      {"plain text copied", "hello [world]", "hello [world]"},
      {"escaped ISO-2022-JP becomes Shift_JIS", "=1B$B$\"=1B(B!", kA + "!"},
      {"Shift_JIS text passes", "\x95\x5C\x81\x5B", "\x95\x5C\x81\x5B"},
      // A double-byte character after "=" is one of its two characters.
      {"double-byte character after =", "=\x82\xA0x.", "\0."s},
      {"empty", "", ""},
  };
  for (const TextRow& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(QP_Line(r.in), r.want);
  }
}

TEST(QpDecodeBody, Table) {
  const TextRow rows[] = {
      {"hex pairs in either case", "=41=3d=e3=81=82", "A=\xe3\x81\x82"},
      {"soft break before LF", "ab=\ncd", "abcd"},
      {"soft break before CR LF", "ab=\r\ncd", "abcd"},
      {"hard line ends kept", "a\r\nb\nc", "a\r\nb\nc"},
      {"= and two non-digits kept", "=G1=1G=  x", "=G1=1G=  x"},
      {"= before CR and other kept", "=\rx", "=\rx"},
      {"lone = at the end dropped", "ab=", "ab"},
      {"= and one character at the end dropped", "ab=4", "ab"},
      {"= and CR at the end dropped", "ab=\r", "ab"},
      {"decoded = starts nothing", "=3D41", "=41"},
      {"8-bit bytes copied", "\x82\xa0=82=A0", "\x82\xa0\x82\xa0"},
      {"NUL decoded", "a=00b", "a\0b"s},
      {"empty", "", ""},
  };
  for (const TextRow& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(qp_decode_body(r.in), r.want);
  }
}

TEST(QpDecodeBodyWork, GrowsLinearlyWithTheText) {
  LinearWork work(16384);
  work.add("escapes and soft breaks", [](std::size_t n) {
    std::string text;
    while (text.size() < n) text += "=E3=81=82 =\r\n=G";
    return [text] { qp_decode_body(text); };
  });
  work.expect_linear();
}

TEST(B64TextGroup, Table) {
  const GroupRow rows[] = {
      {"three bytes", "QUJD", "ABC", 3},
      {"one = counts 2", "QUI=", "AB@", 2},
      {"two = count 1", "QQ==", "A\x10@", 1},
      {"zero bytes left out", "AAEC", "\x01\x02", 3},
      {"invalid fourth character drops the third byte", "QUI*", "AB", 3},
      {"invalid first character", "*QJD", "\xFD\x02\x43", 3},
      {"short group counts 3", "QQ", "A", 3},
      {"double-byte character is invalid", "QU\x82\xA0*", "A\x7F", 3},
  };
  check_groups(std::begin(rows), std::end(rows), B64_Text_Group);
}

TEST(B64BinGroup, Table) {
  const GroupRow rows[] = {
      {"three bytes", "QUJD", "ABC", 3},
      {"one = counts 2", "QUI=", "AB\0"s, 2},
      {"two = count 1", "QQ==", "A\0\0"s, 1},
      {"zero bytes kept", "AAAA", "\0\0\0"s, 3},
      {"invalid character is 63", "QUI*", "AB?", 3},
      {"short group", "QQ", "A\0\0"s, 3},
  };
  check_groups(std::begin(rows), std::end(rows), B64_Bin_Group);
}

TEST(B64Line, Table) {
  const TextRow rows[] = {
      {"group without = gives three", "QUJD", "ABC"},
      {"group with one = gives two", "QUI=", "AB"},
      {"group with two = gives one", "QQ==", "A"},
      {"several groups", "SGVsbG8sIHdvcmxk", "Hello, world"},
      {"binary bytes", "AP8Q/w==", "\0\xFF\x10\xFF"s},
      {"space is not skipped", "QUJD QUJD", "ABC\xFD\x05\x09\x0C\0\0"s},
      {"= inside the line ends only its group", "QQ==QUJD", "AABC"},
      {"empty", "", ""},
  };
  for (const TextRow& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(B64_Line(r.in), r.want);
  }
}

TEST(B64Line, LongLineHasNoLimit) {
  std::string in;
  for (int k = 0; k < 20000; ++k) in += "QUJD";
  std::string out = B64_Line(in);
  ASSERT_EQ(out.size(), 60000u);
  EXPECT_EQ(out.substr(59997), "ABC");
}

TEST(B64Line, AppendKeepsWhatIsThere) {
  std::string data = "xy";
  b64_line_append("QUJD", data);
  b64_line_append("QQ==", data);
  EXPECT_EQ(data, "xyABCA");
}

TEST(UuGroup, Table) {
  const GroupRow rows[] = {
      {"Cat", "0V%T", "Cat", 3},
      {"grave accent is 0", "````", "\0\0\0"s, 3},
      {"space is 0", "    ", "\0\0\0"s, 3},
      {"grave and space mix", "` `8", "\0\0\x18"s, 3},
      {"short group", "0V", "C`\0"s, 3},
  };
  check_groups(std::begin(rows), std::end(rows), UU_Group);
}

TEST(UuLine, Table) {
  const TextRow rows[] = {
      {"one group", "0V%T", "Cat"},
      {"four groups", "2&5L;&\\L('=O<FQD", "Hello, world"},
      {"grave accents", "````", "\0\0\0"s},
      // A short last group gives only the whole bytes its characters hold.
      {"last group of three", "0V%T0V%", "CatCa"},
      {"last group of two", "0V%T0V", "CatC"},
      {"last group of one", "0V%T0", "Cat"},
      {"single character", "0", ""},
      {"empty", "", ""},
      {"high bytes are safe", "\xFF\xFE\xFD", "\x7D\xE7"},
  };
  for (const TextRow& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(UU_Line(r.in), r.want);
  }
}

TEST(UuLine, NeverYieldsMoreThanTheCharactersHold) {
  std::string in;
  for (int n = 0; n < 70; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(UU_Line(in).size(), static_cast<std::size_t>(n * 6 / 8));
    in += static_cast<char>(' ' + (n * 7) % 64);
  }
}

TEST(BitText, ByteToBits) {
  const struct {
    const char* name;
    int value;
    const char* want;
  } rows[] = {
      {"zero", 0, "00000000"},
      {"five", 5, "00000101"},
      {"255", 255, "11111111"},
      {"128", 128, "10000000"},
      {"256 keeps low 8 bits", 256, "00000000"},
      {"-1", -1, "11111111"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Byte_To_Bits(r.value), r.want);
  }
}

TEST(BitText, BitsToNum) {
  const struct {
    const char* name;
    const char* bits;
    std::uint64_t want;
  } rows[] = {
      {"empty", "", 0},
      {"one", "1", 1},
      {"leading zeros", "00000101", 5},
      {"six bits", "111111", 63},
      {"twelve bits", "100000000001", 2049},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Bits_To_Num(r.bits), r.want);
  }
  for (int v = 0; v < 256; ++v) ASSERT_EQ(Bits_To_Num(Byte_To_Bits(v)), static_cast<std::uint64_t>(v));
}

// Arbitrary bytes, escape and marker bytes made frequent, through every
// decoder: nothing reads outside its input (checked under the sanitizers) and
// the size limits hold.
TEST(Decoders, ArbitraryBytesAreSafe) {
  std::mt19937 rng(12345);
  const std::string frequent = "\x1B$(B@&DIJ=?\x81\x82\xE0 `AQ";
  for (int round = 0; round < 3000; ++round) {
    std::string in;
    const int len = static_cast<int>(rng() % 24);
    for (int k = 0; k < len; ++k)
      in += (rng() % 2) ? frequent[rng() % frequent.size()] : static_cast<char>(rng() % 256);
    SCOPED_TRACE(::testing::PrintToString(in));
    const std::string jis = Jis_To_Sjis(in);
    EXPECT_LE(jis.size(), in.size());
    Decode_Header(in);
    Decode_Header("=?ISO-2022-JP?B?" + in);
    QP_Line(in);
    EXPECT_LE(B64_Line(in).size(), (in.size() + 3) / 4 * 3);
    EXPECT_LE(UU_Line(in).size(), in.size() * 6 / 8);
    B64_Text_Group(in);
    B64_Bin_Group(in);
    UU_Group(in);
  }
}

}  // namespace

TEST(Base64Decode, WholePartsAsMailersWriteThem) {
  const struct {
    const char* name;
    std::string in, out;
  } rows[] = {
      {"lines of 76 with CR LF", "SGVsbG8s\r\nIHdvcmxk\r\n", "Hello, world"},
      {"one = of padding", "YWI=", "ab"},
      {"two = of padding", "YQ==", "a"},
      {"padding missing", "YWI", "ab"},
      {"blanks and stray bytes skipped", " YW\tJj\x80ZA==", "abcd"},
      {"data after = ignored", "YQ==YWJj", "a"},
      {"a lone character gives nothing", "Y", ""},
      {"all 256 byte values", "AAEC/f7/", std::string("\x00\x01\x02\xFD\xFE\xFF", 6)},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(base64_decode(r.in), r.out);
  }
}
