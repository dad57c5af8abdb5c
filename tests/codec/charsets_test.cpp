#include "codec/charsets.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "support/linear_work.h"

namespace {

#define ESC "\x1B"
const std::string kGeta = "\x81\xAC";                     // 〓
const std::string kA = "\x82\xA0";                        // あ
const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語 in Shift_JIS
const std::string kNihongoUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
const std::string kNihongoEuc = "\xC6\xFC\xCB\xDC\xB8\xEC";
const std::string kNihongoJis = ESC "$BF|K\\8l" ESC "(B";
const std::string kMailSjis = "\x83\x81\x81\x5B\x83\x8B\x96\x7B\x95\xB6\x82\xC5\x82\xB7\x81\x42";  // メール本文です。
const std::string kMailUtf8 =
    "\xE3\x83\xA1\xE3\x83\xBC\xE3\x83\xAB\xE6\x9C\xAC\xE6\x96\x87\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82";

struct Row {
  const char* name;
  const char* charset;
  std::string in;
  std::string want;
};

void check(const Row* begin, const Row* end) {
  for (const Row* r = begin; r != end; ++r) {
    SCOPED_TRACE(r->name);
    EXPECT_EQ(to_sjis(r->in, r->charset), r->want);
  }
}

TEST(ToSjis, CharsetFamilies) {
  const Row rows[] = {
      {"UTF-8 kanji", "UTF-8", kNihongoUtf8, kNihongo},
      {"lower-case label", "utf-8", kMailUtf8, kMailSjis},
      {"quoted label with blanks", " \"UTF-8\" ", kNihongoUtf8, kNihongo},
      {"UTF-8 byte order mark dropped", "UTF-8", "\xEF\xBB\xBFx", "x"},
      {"UTF-8 wave dash", "UTF-8", "\xE3\x80\x9C", "\x81\x60"},
      {"EUC-JP kanji", "EUC-JP", kNihongoEuc, kNihongo},
      {"EUC-JP half-width katakana", "euc-jp", "\x8E\xB1", "\xB1"},
      {"EUC-JP NEC special", "EUC-JP", "\xAD\xA1", "\x87\x40"},
      {"ISO-2022-JP kanji", "ISO-2022-JP", kNihongoJis, kNihongo},
      {"KOI8-R", "KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4", "\x84\x50\x84\x82\x84\x79\x84\x72\x84\x75\x84\x84"},
      {"Windows-1251", "windows-1251", "\xCC\xE8\xF0", "\x84\x4D\x84\x79\x84\x82"},
      {"ISO-8859-7", "ISO-8859-7", "\xE1\xE2", "\x83\xBF\x83\xC0"},
      {"GB2312", "GB2312", "\xD6\xD0\xCE\xC4", "\x92\x86\x95\xB6"},
      {"Big5", "Big5", "\xA5\x78\xC6\x57", "\x91\xE4\xE0\x73"},
      {"EUC-KR Hangul has no code page 932 form", "EUC-KR", "\xC7\xD1\xB1\xB9", "&#54620;&#44397;"},
      {"UTF-16LE", "UTF-16LE", "\xE5\x65\x2C\x67", "\x93\xFA\x96\x7B"},
      {"UTF-16 with a little-endian byte order mark", "UTF-16", "\xFF\xFE\xE5\x65\x2C\x67", "\x93\xFA\x96\x7B"},
      {"UTF-16 without byte order mark is big-endian", "utf-16", "\x65\xE5\x67\x2C", "\x93\xFA\x96\x7B"},
      {"UTF-16 ASCII is no fast-path copy", "UTF-16BE", std::string("\0a\0b", 4), "ab"},
      {"Latin-1 name", "ISO-8859-1", "J\xF8rn St\xF8ylen", "J&#248;rn St&#248;ylen"},
      {"ISO-8859-1 read as Windows-1252", "iso-8859-1", "\x80", "&#8364;"},
      {"US-ASCII", "us-ascii", "plain [text] \\", "plain [text] \\"},
      {"UTF-8 emoji", "UTF-8", "a\xF0\x9F\x98\x80z", "a&#128512;z"},
      {"UTF-8 e acute", "UTF-8", "caf\xC3\xA9", "caf&#233;"},
      {"UTF-8 yen sign is no backslash", "UTF-8", "\xC2\xA5", "&#165;"},
      {"ISO-2022-JP-2 Hangul", "ISO-2022-JP-2", ESC "$(CGQ" ESC "(B", "&#54620;"},
      {"ISO-2022-JP-2 JIS X 0212 Latin", "iso-2022-jp-2", ESC "$(D)L" ESC "(B", "&#248;"},
      {"ISO-2022-JP-3 JIS X 0213 kanji", "ISO-2022-JP-3", ESC "$(O.\"" ESC "(B", "&#131083;"},
      // Only the line that needs iconv goes through it: row 13 stays exact.
      {"ISO-2022-JP-2 decided line by line", "ISO-2022-JP-2", ESC "$B-!" ESC "(B\r\n" ESC "$(CGQ" ESC "(B",
       "\x87\x40\r\n&#54620;"},
  };
  check(std::begin(rows), std::end(rows));
}

TEST(ToSjis, JapaneseCodesStayExact) {
  const Row rows[] = {
      {"NEC special through ISO-2022-JP", "ISO-2022-JP", ESC "$B-!-\"" ESC "(B", "\x87\x40\x87\x41"},
      {"NEC-selected IBM extension through ISO-2022-JP", "ISO-2022-JP", ESC "$By!" ESC "(B", "\xED\x40"},
      {"Shift_JIS IBM extension beside JIS escapes", "iso-2022-jp", ESC "$B$\"" ESC "(B \xFA\x40", kA + " \xFA\x40"},
      {"half-width katakana through ISO-2022-JP", "ISO-2022-JP", ESC "(I12" ESC "(B", "\xB1\xB2"},
      {"JIS mode starts afresh on every line", "ISO-2022-JP", ESC "$B$\"\r\n$\"", kA + "\r\n$\""},
      {"IBM extension and NEC-selected twin kept apart", "Shift_JIS", "\xFA\x40\xED\x40\xFA\x5C",
       "\xFA\x40\xED\x40\xFA\x5C"},
      {"half-width katakana in Shift_JIS", "SJIS", "\xB1\xB2", "\xB1\xB2"},
      {"Shift_JIS holding JIS escapes", "Shift_JIS", ESC "$B$\"" ESC "(B\x95\x5C", kA + "\x95\x5C"},
      {"line ends pass", "ISO-2022-JP", "a\r\nb\rc\nd" ESC "$B$\"", "a\r\nb\rc\nd" + kA},
      {"line ends pass through iconv", "UTF-8", "\xC3\xA9\r\n\xC3\xA9\r", "&#233;\r\n&#233;\r"},
  };
  check(std::begin(rows), std::end(rows));
  for (const char* label :
       {"Shift_JIS", "Shift-JIS", "shift_jis", "SJIS", "x-sjis", "Windows-31J", "CP932", "MS_Kanji", "csShiftJIS"}) {
    SCOPED_TRACE(label);
    EXPECT_EQ(to_sjis(kMailSjis + "\x87\x40\xFA\x40", label), kMailSjis + "\x87\x40\xFA\x40");
  }
}

TEST(ToSjis, BrokenBytesBecomeGetaAndTheLineGoesOn) {
  const Row rows[] = {
      {"invalid UTF-8 byte", "UTF-8",
       "a\xFF"
       "b" +
           kNihongoUtf8,
       "a" + kGeta + "b" + kNihongo},
      {"UTF-8 cut at the end", "UTF-8", kNihongoUtf8 + "\xE6\x9C", kNihongo + kGeta},
      {"UTF-8 surrogate is one broken sequence each byte", "UTF-8",
       kMailUtf8 + "\xED\xA0\x80"
                   "x",
       kMailSjis + kGeta + kGeta + kGeta + "x"},
      {"Shift_JIS lone lead byte before ASCII", "Shift_JIS", "\x93 x", kGeta + " x"},
      {"Shift_JIS pair of no character", "Shift_JIS", "\x85\x80z", kGeta + "z"},
      {"Shift_JIS ASCII after a bad lead byte stays", "Shift_JIS",
       "\x85"
       "A",
       kGeta + "A"},
      {"Shift_JIS bytes of no character", "Shift_JIS", "\x80\xA0\xFD\xFE\xFF", kGeta + kGeta + kGeta + kGeta + kGeta},
      {"Shift_JIS lead byte at the end", "Shift_JIS", kNihongo + "\x93", kNihongo + kGeta},
      {"EUC-JP invalid byte", "EUC-JP", "\xC6\xFC\xFF\xCB\xDC", "\x93\xFA" + kGeta + "\x96\x7B"},
      {"JIS pair outside code page 932", "ISO-2022-JP", ESC "$B)!" ESC "(Bx", kGeta + "x"},
  };
  check(std::begin(rows), std::end(rows));
}

TEST(ToSjis, LiteralReferencesShowAsWritten) {
  const Row rows[] = {
      {"ASCII", "US-ASCII", "a &#248; b &amp; #&", "a &#38;#248; b &amp; #&"},
      {"Shift_JIS", "Shift_JIS", kA + "&#1;", kA + "&#38;#1;"},
      {"UTF-8 beside a reference of its own", "UTF-8", "\xC3\xB8&#248;", "&#248;&#38;#248;"},
      {"ISO-2022-JP", "ISO-2022-JP", ESC "$B$\"" ESC "(B&#", kA + "&#38;#"},
      {"Latin-1", "ISO-8859-1", "&#x\xF8", "&#38;#x&#248;"},
      {"unlabelled", "", "&&##", "&&#38;##"},
  };
  check(std::begin(rows), std::end(rows));
}

// File names go back to UTF-8 with the characters their references stand for.
TEST(SjisRefsToUtf8, ReadsBackWhatToSjisWrote) {
  const struct {
    const char* name;
    std::string utf8;
  } rows[] = {
      {"Latin letters", "J\xC3\xB8rn St\xC3\xB8ylen.txt"},
      {"kanji and emoji", kNihongoUtf8 + " \xF0\x9F\x98\x80.doc"},
      {"literal reference", "&#248;.txt"},
      {"literal reference of the ampersand", "a&#38;#b"},
      {"ampersands and hashes", "a&b &# #&& &#;"},
      {"yen sign",
       "\xC2\xA5"
       "100"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(sjis_refs_to_utf8(to_sjis(r.utf8, "UTF-8")), r.utf8);
  }
  EXPECT_EQ(sjis_refs_to_utf8("&#0; &#55296; &#99999999; &#12"), "&#0; &#55296; &#99999999; &#12");
}

TEST(DetectCharset, Table) {
  const struct {
    const char* name;
    std::string in;
    const char* want;
  } rows[] = {
      {"ASCII", "hello [x]", "US-ASCII"},
      {"empty", "", "US-ASCII"},
      {"ISO-2022-JP", "Re: " + kNihongoJis, "ISO-2022-JP"},
      {"ISO-2022-JP with Shift_JIS beside", kNihongoJis + kNihongo, "ISO-2022-JP"},
      {"UTF-8", kMailUtf8, "UTF-8"},
      {"UTF-8 with one stray byte", kMailUtf8 + "\xFF", "UTF-8"},
      {"Shift_JIS", kMailSjis, "Shift_JIS"},
      {"Shift_JIS kanji", kNihongo, "Shift_JIS"},
      {"EUC-JP", kNihongoEuc, "EUC-JP"},
      {"EUC-JP hiragana", "\xA4\xAB\xA4\xCA", "EUC-JP"},
      {"EUC-JP with half-width katakana", kNihongoEuc + "\x8E\xB1", "EUC-JP"},
      {"Latin-1 is none of them", "J\xF8rn", "Shift_JIS"},
      // Rule 3 wants more well-formed UTF-8 characters than broken
      // sequences: "\xC3\xBD" is one (y acute), the "\xC4" cut at the end
      // one broken; as Shift_JIS all three are half-width katakana.
      {"tie of UTF-8 characters and broken sequences goes to Shift_JIS", "\xC3\xBD\xC4", "Shift_JIS"},
      {"one character more is UTF-8", "\xC3\xBD\xC4\xBD", "UTF-8"},
      {"the tie inside longer ASCII text", "a \xC3\xBD\xC4 b", "Shift_JIS"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(detect_charset(r.in), r.want);
  }
  // The tie comes out as the half-width katakana of the mail, untouched.
  EXPECT_EQ(to_sjis("\xC3\xBD\xC4", ""), "\xC3\xBD\xC4");
}

TEST(ToSjis, UnlabelledAndWronglyLabelledTextIsDetected) {
  const Row rows[] = {
      {"unlabelled UTF-8", "", kMailUtf8, kMailSjis},
      {"unlabelled Shift_JIS", "", kMailSjis, kMailSjis},
      {"unlabelled EUC-JP", "", kNihongoEuc, kNihongo},
      {"unlabelled ISO-2022-JP", "", kNihongoJis, kNihongo},
      {"unknown label", "x-unknown-8bit", kMailUtf8, kMailSjis},
      {"label with odd characters", "utf-8/../x", kNihongoEuc, kNihongo},
      {"us-ascii label on Shift_JIS", "us-ascii", kMailSjis, kMailSjis},
      {"us-ascii label on raw JIS", "US-ASCII", kNihongoJis, kNihongo},
      {"iso-2022-jp label on EUC-JP", "ISO-2022-JP", kNihongoEuc, kNihongo},
      {"UTF-8 label on Shift_JIS", "UTF-8", kMailSjis, kMailSjis},
      {"UTF-8 label on EUC-JP", "utf-8", kNihongoEuc, kNihongo},
      {"Latin-1 label on 7-bit JIS", "ISO-8859-1", kNihongoJis, kNihongo},
  };
  check(std::begin(rows), std::end(rows));
}

TEST(ToSjis, Utf7UnderItsLabels) {
  const Row rows[] = {
      {"utf-7", "utf-7", "Hi Mom -+Jjo--!", "Hi Mom -&#9786;-!"},
      {"UTF-7 kanji", "UTF-7", "+ZeVnLIqe-", kNihongo},
      {"unicode-1-1-utf-7, which iconv does not know", "unicode-1-1-utf-7", "+ZeVnLIqe- x", kNihongo + " x"},
      {"quoted, upper case", "\"UNICODE-1-1-UTF-7\"", "a+-b", "a+b"},
      {"x-unicode-2-0-utf-7", "x-unicode-2-0-utf-7", "+ZeVnLIqe-", kNihongo},
      {"8-bit text is no UTF-7: Shift_JIS", "utf-7", kMailSjis, kMailSjis},
  };
  check(std::begin(rows), std::end(rows));
}

TEST(ToSjis, TextItsLabelCannotExplain) {
  const Row rows[] = {
      {"UTF-8 labelled GB2312", "gb2312", kMailUtf8, kMailSjis},
      {"UTF-8 labelled Big5", "big5", kNihongoUtf8 + "\r\n", kNihongo + "\r\n"},
      {"UTF-8 labelled Shift_JIS", "Shift_JIS", kMailUtf8, kMailSjis},
      {"UTF-8 labelled EUC-JP", "EUC-JP", kMailUtf8, kMailSjis},
      {"GB2312 stays GB2312", "GB2312", "\xD6\xD0\xCE\xC4", "\x92\x86\x95\xB6"},
      {"a broken byte in GB2312 that is no UTF-8", "GB2312", "\xD6\xD0\xFF", "\x92\x86" + kGeta},
      {"a label every byte fits keeps its reading", "KOI8-R", "\xD0\xD2", "\x84\x81\x84\x82"},
      {"UTF-16 label on 7-bit HTML without NUL", "utf-16", "<p>Hello there</p>", "<p>Hello there</p>"},
      {"UTF-16LE label on 7-bit text without NUL", "UTF-16LE", "Hello", "Hello"},
      {"UCS-4 label on 7-bit text", "ucs-4", "Hello!!!", "Hello!!!"},
      {"UTF-16 label on Shift_JIS of odd length: detected", "utf-16", kMailSjis + "a", kMailSjis + "a"},
      {"unicode label on raw JIS", "unicode", kNihongoJis, kNihongo},
      {"UTF-16 with NUL bytes stays UTF-16", "UTF-16BE", std::string("\0H\0i", 4), "Hi"},
  };
  check(std::begin(rows), std::end(rows));
}

TEST(ValidIn, Table) {
  const struct {
    const char* name;
    std::string in;
    const char* charset;
    bool want;
  } rows[] = {
      {"UTF-8", kMailUtf8, "UTF-8", true},
      {"cut UTF-8", kMailUtf8 + "\xE3", "utf-8", false},
      {"Shift_JIS", kMailSjis, "Shift_JIS", true},
      {"Shift_JIS of a user-defined row", "\xF0\x40", "Shift_JIS", false},
      {"Latin-1 o umlaut before a letter is no Shift_JIS", "K\xF6ln", "Shift_JIS", false},
      {"lone lead byte", "\x82", "Shift_JIS", false},
      {"EUC-JP", kNihongoEuc, "EUC-JP", true},
      {"Shift_JIS is no EUC-JP", kMailSjis, "EUC-JP", false},
      {"Big5", "\xA4\xA4\xA4\xE5", "Big5", true},
      {"8-bit text in US-ASCII", kMailSjis, "us-ascii", false},
      {"7-bit text in ISO-2022-JP", kNihongoJis, "ISO-2022-JP", true},
      {"unknown label", "abc", "x-unknown", false},
      {"empty label", "abc", "", false},
      {"7-bit text without NUL in UTF-16", "Hello", "UTF-16", false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(valid_in(r.in, r.charset), r.want);
  }
}

TEST(RawTextCharset, Table) {
  const struct {
    const char* name;
    std::string in;
    const char* fallback;
    const char* want;
  } rows[] = {
      {"no fallback: the detector", kNihongoEuc, "", "EUC-JP"},
      {"Japanese fallback: the detector", kMailSjis, "ISO-2022-JP", "Shift_JIS"},
      {"UTF-8 fallback: the detector", kNihongoEuc, "utf-8", "EUC-JP"},
      {"EUC-JP fallback: the detector", kMailSjis, "euc-jp", "Shift_JIS"},
      {"Big5 text under Big5", "\xA4\xA4\xA4\xE5", "big5", "big5"},
      {"GB2312 text, also valid EUC-JP, under GB2312", "\xD6\xD0\xCE\xC4", "GB2312", "GB2312"},
      {"UTF-8 before the fallback", kMailUtf8, "big5", "UTF-8"},
      {"KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4", "koi8-r", "koi8-r"},
      {"Shift_JIS that is no Big5", kMailSjis, "Big5", "Shift_JIS"},
      {"valid in nothing: the fallback", "\xFF\xFF", "Big5", "Big5"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(raw_text_charset(r.in, r.fallback), r.want);
  }
}

// Long text goes to iconv in pieces; characters cut between two pieces
// still convert whole, at every offset.
TEST(ToSjis, LongTextConvertsWhole) {
  for (int lead = 0; lead < 3; ++lead) {
    SCOPED_TRACE(lead);
    std::string euc(lead, 'x'), sjis(lead, 'x'), utf16, refs(lead, 'x');
    for (int k = 0; k < lead; ++k) utf16 += std::string("\0x", 2);
    for (int k = 0; k < 3000; ++k) {
      euc += kNihongoEuc;
      sjis += kNihongo;
      utf16 += std::string("\xD8\x3D\xDE\x00", 4);  // U+1F600 as a surrogate pair
      refs += "&#128512;";
    }
    EXPECT_TRUE(to_sjis(euc, "EUC-JP") == sjis);
    EXPECT_TRUE(to_sjis(utf16, "UTF-16BE") == refs);
  }
}

// Two threads converting at once each keep their own conversion state.
TEST(ToSjis, TwoThreadsAtOnce) {
  const std::string jis2 = ESC "$(CGQ" ESC "(B" + kNihongoJis;
  auto work = [&](const char* charset, const std::string& in, std::string want, bool& ok) {
    ok = true;
    for (int k = 0; k < 2000 && ok; ++k) ok = to_sjis(in, charset) == want;
  };
  bool ok1 = false, ok2 = false;
  std::thread t1(work, "ISO-2022-JP-2", jis2, "&#54620;" + kNihongo, std::ref(ok1));
  std::thread t2(work, "EUC-JP", kNihongoEuc, kNihongo, std::ref(ok2));
  t1.join();
  t2.join();
  EXPECT_TRUE(ok1);
  EXPECT_TRUE(ok2);
}

std::string Repeat(const std::string& unit, std::size_t bytes) {
  std::string s;
  s.reserve(bytes + unit.size());
  while (s.size() < bytes) s += unit;
  return s;
}

// Each kind of text converts with work that grows linearly with it.
TEST(ToSjisWork, GrowsLinearlyWithTheText) {
  const struct {
    const char* name;
    const char* charset;
    std::string unit, want_unit;
  } rows[] = {
      {"ASCII", "us-ascii", "Subject: plain text line\r\n", "Subject: plain text line\r\n"},
      {"UTF-8 Japanese", "UTF-8", kMailUtf8 + "\r\n", kMailSjis + "\r\n"},
      {"UTF-8 emoji", "UTF-8", "\xF0\x9F\x98\x80", "&#128512;"},
      {"Shift_JIS", "Shift_JIS", kMailSjis + "\r\n", kMailSjis + "\r\n"},
      {"ISO-2022-JP lines", "ISO-2022-JP", kNihongoJis + "\r\n", kNihongo + "\r\n"},
      {"EUC-JP", "EUC-JP", kNihongoEuc, kNihongo},
      {"literal references", "UTF-8", "&#", "&#38;#"},
      {"broken UTF-8", "UTF-8", kMailUtf8 + "\xFF", kMailSjis + kGeta},
      {"Hangul", "EUC-KR", "\xC7\xD1", "&#54620;"},
      {"bytes of no EUC-KR character", "EUC-KR", "\xFF", kGeta},
  };
  LinearWork work;
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string in = Repeat(r.unit, 1000);
    const std::string out = to_sjis(in, r.charset);
    EXPECT_EQ(out.size(), in.size() / r.unit.size() * r.want_unit.size());
    EXPECT_EQ(out.substr(0, r.want_unit.size()), r.want_unit);
    work.add(r.name, [&r](std::size_t n) { return [in = Repeat(r.unit, n), &r] { to_sjis(in, r.charset); }; });
  }
  work.expect_linear();
}

}  // namespace
