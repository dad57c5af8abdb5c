#include "codec/sjis_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr auto npos = std::string_view::npos;

// Double-byte characters whose second byte is an ASCII character.
const std::string kChoon = "\x81\x5B";       // ー, second byte "["
const std::string kHyo = "\x95\x5C";         // 表, second byte "\"
const std::string kPo = "\x83\x7C";          // ポ, second byte "|"
const std::string kKaA = "\x83\x41";         // ア, second byte "A"
const std::string kKaSmallTsu = "\x83\x62";  // ッ, second byte "b"
const std::string kKaTsu = "\x83\x63";       // ツ, second byte "c"
const std::string kKaXa = "\x83\x61";        // ヂ, second byte "a"

TEST(SjisFind, Table) {
  const struct {
    const char* name;
    std::string hay, needle;
    std::size_t from;
    std::size_t want;
  } rows[] = {
      {"[ not in choon", "a" + kChoon + "b", "[", 0, npos},
      {"[ after choon", kChoon + "[", "[", 0, 2},
      {"backslash not in hyo", kHyo + "x", "\\", 0, npos},
      {"backslash after hyo", kHyo + "\\", "\\", 0, 2},
      {"bar not in po", kPo + kPo, "|", 0, npos},
      {"bar after po", kPo + "|", "|", 0, 2},
      {"letter not in a trail", kKaA, "A", 0, npos},
      {"two-char needle across a trail", kChoon + "]", "[]", 0, npos},
      {"double-byte needle found", "ab" + kHyo + "c", kHyo, 0, 2},
      {"needle ending in a lead byte", kHyo, "\x95", 0, npos},
      {"trail plus lead not found", kHyo + kHyo, "\x5C\x95", 0, npos},
      {"from skips earlier match", "a]b]", "]", 2, 3},
      {"from past the end", "ab", "b", 5, npos},
      {"empty needle", "ab", "", 1, 1},
      {"lone lead at the end", "ab\x81", "\x81", 0, 2},
      // A lead byte before a byte that cannot be a second byte stands alone.
      {"< after a broken lead byte", "\x81<b>", "<", 0, 1},
      {"slash after a broken lead byte", "a\x82/x", "/", 0, 2},
      {"space after a broken lead byte", "\xE0 x", " x", 0, 1},
      // Long ASCII runs are walked eight bytes at a time.
      {"backslash in hyo after a long ASCII run", "0123456789abcdefg" + kHyo + "\\", "\\", 0, 19},
      {"bracket after mixed runs", "01234567" + kChoon + "89abcdef" + kChoon + "[", "[", 0, 20},
      {"from inside a long run", "0123456789abcdef]x]", "]", 17, 18},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(sjis::find(r.hay, r.needle, r.from), r.want);
    // from = 0 is a boundary, so find_after must agree there.
    EXPECT_EQ(sjis::find_after(r.hay, r.needle, 0), sjis::find(r.hay, r.needle));
    EXPECT_EQ(sjis::contains(r.hay, r.needle), sjis::find(r.hay, r.needle) != npos);
  }
}

TEST(SjisFindNocase, TrailBytesAreNotFolded) {
  const struct {
    const char* name;
    std::string hay, needle;
    std::size_t want;
  } rows[] = {
      {"ascii letters fold", "Re: X", "re:", 0},
      {"a not found in trail A", kKaA, "a", npos},
      {"trail a not found as trail A", kKaA, kKaXa, npos},
      {"trail A found as itself", "x" + kKaA, kKaA, 1},
      {"folded needle after double-byte char", kKaTsu + "RE", "re", 2},
      {"folded letter then double-byte char", "X" + kKaA, "x" + kKaA, 0},
      {"folded letter then unfolded trail", "X" + kKaA, "x" + kKaXa, npos},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(sjis::find_nocase(r.hay, r.needle), r.want);
  }
}

TEST(SjisFindChar, Table) {
  EXPECT_EQ(sjis::find_char(kChoon + "x[", '['), 3u);
  EXPECT_EQ(sjis::find_char(kChoon, '['), npos);
  EXPECT_EQ(sjis::rfind_char("]" + kChoon, ']'), 0u);
  EXPECT_EQ(sjis::rfind_char("]" + kPo + "]" + kChoon, ']'), 3u);
  EXPECT_EQ(sjis::rfind_char("\x81\x5D", ']'), npos);  // ］'s second byte is "]"
}

TEST(SjisCase, FoldsSingleBytesOnly) {
  EXPECT_EQ(sjis::to_lower("ABC" + kKaA + "Z"), "abc" + kKaA + "z");
  EXPECT_EQ(sjis::to_upper("abc" + kKaXa + kKaSmallTsu + "z"), "ABC" + kKaXa + kKaSmallTsu + "Z");
  EXPECT_EQ(sjis::to_lower("A\x83"), "a\x83");  // lone lead byte at the end
}

TEST(SjisStartsWithNocase, Table) {
  const struct {
    const char* name;
    std::string s, prefix;
    bool want;
  } rows[] = {
      {"case ignored", "RE: x", "re:", true},
      {"shorter text", "re", "re:", false},
      {"empty prefix", "x", "", true},
      {"double-byte prefix exact", kKaA + "x", kKaA, true},
      {"double-byte prefix not folded", kKaA + "x", kKaXa, false},
      {"prefix ends inside a character", "a" + kHyo, "a\x95", false},
      {"first letter in the other case", "From: x", "fROM:", true},
      {"first byte no letter", "--b", "--", true},
      {"bytes a case bit apart that are no letters", "[x", "{x", false},
      {"at sign is no upper-case grave accent", "@x", "`x", false},
      {"empty text", "", "a", false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(sjis::starts_with_nocase(r.s, r.prefix), r.want);
  }
}

TEST(SjisCompareNocase, Table) {
  const struct {
    const char* name;
    std::string a, b;
    int sign;
  } rows[] = {
      {"equal", "abc", "abc", 0},
      {"case ignored", "ABC", "abc", 0},
      {"shorter first", "ab", "abc", -1},
      {"longer second", "abc", "ab", 1},
      {"letter order", "abd", "ABC", 1},
      {"trail bytes not folded", kKaA, kKaXa, -1},
      {"same double-byte chars", "x" + kHyo, "X" + kHyo, 0},
      {"double-byte after single", "a" + kChoon, "a[", 1},
      {"lone lead before full char", "\x81", kChoon, -1},
      {"both lone leads", "a\x81", "A\x81", 0},
      {"first byte decides double-byte order", kHyo, kPo, 1},
      {"long equal prefix then case", "2004-01-01 12:34:56\tABC", "2004-01-01 12:34:56\tabd", -1},
      {"long prefix differing by case only", "2004-01-01 12:34:56\tSubject", "2004-01-01 12:34:56\tsUBJECT", 0},
      {"double-byte char after eight ASCII", "12345678" + kKaA, "12345678" + kKaXa, -1},
      {"double-byte char inside the first eight", "1234" + kKaA + "5678x", "1234" + kKaA + "5678Y", -1},
      {"lead byte straddling eight", "1234567" + kHyo + "a", "1234567" + kHyo + "B", -1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    int got = sjis::compare_nocase(r.a, r.b);
    EXPECT_EQ((got > 0) - (got < 0), r.sign);
    int back = sjis::compare_nocase(r.b, r.a);
    EXPECT_EQ((back > 0) - (back < 0), -r.sign);
  }
}

TEST(SjisNarrowLower, Table) {
  const struct {
    const char* name;
    std::string in, want;
  } rows[] = {
      {"full-width capital", "\x82\x60\x82\x79", "az"},  // ＡＺ
      {"full-width small", "\x82\x81\x82\x9A", "az"},    // ａｚ
      {"full-width digits", "\x82\x4F\x82\x58", "09"},   // ０９
      {"full-width colon and space", "\x81\x46\x81\x40", ": "}, {"ascii folded", "Re:X", "re:x"},
      {"other double-byte kept", kKaA + kHyo, kKaA + kHyo},     {"lone lead at the end", "A\x82", "a\x82"},
      {"Re full-width", "\x82\x71\x82\x85\x81\x46", "re:"},  // Ｒｅ：
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    std::string got = sjis::narrow_lower(r.in);
    EXPECT_EQ(got, r.want);
    EXPECT_EQ(sjis::length(got), sjis::length(r.in));
  }
}

// The right end of a text whose last bytes are ASCII is taken without
// counting the text, unless the byte before them may pair with the first.
TEST(SjisSlices, RightOfLongTexts) {
  const std::string page = "m0000123.htm";
  const std::string deep = "/home/user/" + kHyo + kHyo + "/archive/";
  const std::string lone = "\x95";  // a first byte with no second byte after it
  const struct {
    const char* name;
    std::string in;
    std::size_t n;
    std::string want;
  } rows[] = {
      {"page name after a path", deep + page, 12, page},
      {"page name after a first byte and a slash", "x" + lone + "/" + page, 12, page},
      {"a first byte pairs with the name's m", "/" + lone + page, 12, lone + page},
      {"a double-byte character before the name", "/" + kHyo + page, 12, page},
      {"a second byte in the name's place", "/" + kHyo + page.substr(1), 12, kHyo + page.substr(1)},
      {"double-byte characters only", kHyo + kHyo + kHyo + kHyo + kHyo + kHyo, 2, kHyo + kHyo},
      {"double-byte tail after a slash", "ab/" + kHyo + kChoon + kHyo + kChoon, 3, kChoon + kHyo + kChoon},
      {"second byte \\ at the cut", "/////////" + kHyo + "b", 2, kHyo + "b"},
      {"a first byte pairs with the letter after it", "/////////////ab" + lone + "cd", 3, "b" + lone + "cd"},
      {"a lone first byte before the slash counted", std::string(20, 'x') + lone + "/abc", 5, lone + "/abc"},
      {"exactly 2n bytes", "/" + std::string(24, 'z'), 12, std::string(12, 'z')},
      {"shorter than n", "/ab", 12, "/ab"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(sjis::right(r.in, r.n), r.want);
  }
}

TEST(SjisSlices, LeftRightMid) {
  const std::string s = "a" + kHyo + "b" + kChoon + "\x81";  // a表bー + lone lead
  EXPECT_EQ(sjis::length(s), 5u);
  EXPECT_EQ(sjis::left(s, 2), "a" + kHyo);
  EXPECT_EQ(sjis::left(s, 0), "");
  EXPECT_EQ(sjis::left(s, 99), s);
  EXPECT_EQ(sjis::right(s, 2), kChoon + "\x81");
  EXPECT_EQ(sjis::right(s, 1), "\x81");
  EXPECT_EQ(sjis::right(s, 99), s);
  EXPECT_EQ(sjis::mid(s, 1, 1), kHyo);
  EXPECT_EQ(sjis::mid(s, 1), kHyo + "b" + kChoon + "\x81");
  EXPECT_EQ(sjis::mid(s, 3, 5), kChoon + "\x81");
  EXPECT_EQ(sjis::mid(s, 9, 1), "");
  EXPECT_EQ(sjis::byte_offset(s, 3), 4u);
  EXPECT_EQ(sjis::byte_offset(s, 99), s.size());
  EXPECT_EQ(sjis::length("\x81<\x81\x5B"), 3u);
  EXPECT_EQ(sjis::left("\x81<\x81\x5B", 2), "\x81<");
}

TEST(SjisTrimAndDigits, Table) {
  EXPECT_EQ(sjis::trim("  a b  "), "a b");
  EXPECT_EQ(sjis::ltrim("  " + kHyo + " "), kHyo + " ");
  EXPECT_EQ(sjis::rtrim("   "), "");
  EXPECT_EQ(sjis::parse_digits("0000012"), 12);
  EXPECT_EQ(sjis::parse_digits(""), -1);
  EXPECT_EQ(sjis::parse_digits("12a"), -1);
  EXPECT_EQ(sjis::parse_digits("-1"), -1);
}

}  // namespace

namespace {

TEST(SjisIsAscii, HighByteAnywhere) {
  EXPECT_TRUE(sjis::is_ascii(""));
  EXPECT_TRUE(sjis::is_ascii("QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo="));
  for (std::size_t k = 0; k < 19; ++k) {
    SCOPED_TRACE(k);
    std::string s(18, 'A');
    s.insert(k, 1, '\x80');
    EXPECT_FALSE(sjis::is_ascii(s));
  }
}

}  // namespace

namespace {

// Reference search: the character boundaries of hay walked one by one, the
// needle matched as a run of whole characters.
std::size_t reference_find(std::string_view hay, std::string_view needle, std::size_t from) {
  for (std::size_t i = 0; i <= hay.size(); i += i < hay.size() ? sjis::char_len(hay, i) : 1) {
    if (i < from || i + needle.size() > hay.size()) continue;
    std::size_t k = 0;
    while (k < needle.size() && hay[i + k] == needle[k]) k += 1;
    if (k != needle.size()) continue;
    // Whole characters: the match must end on a boundary of hay.
    std::size_t j = i;
    while (j < i + needle.size()) j += sjis::char_len(hay, j);
    if (j == i + needle.size()) return i;
  }
  return npos;
}

}  // namespace

// Searches that take a plain byte search for needles opening with a byte
// that cannot be a second byte must still agree with the character walk.
TEST(SjisFind, RandomTextAgreesWithCharacterWalk) {
  const std::string alphabet[] = {"a",    "Z",    "[",    " ",    "<",    "/",    "-",    ":",    "1",
                                  "\x81", "\x95", "\xE0", "\x5C", "\x40", "\x7F", "\xFC", "\x80", "\xA0"};
  const std::string needles[] = {" / ", "<!--", "-->", ":", "/", " ", "<A", "1:", "-", "\x7F", "a:", "["};
  std::mt19937 rng(7);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
  for (int round = 0; round < 4000; ++round) {
    std::string hay;
    const std::size_t len = rng() % 40;
    for (std::size_t i = 0; i < len; ++i) hay += alphabet[pick(rng)];
    for (const std::string& needle : needles) {
      // find_after needs a boundary; 0 always is one.
      const std::size_t from = round % 3 == 0 ? rng() % (hay.size() + 1) : 0;
      SCOPED_TRACE(testing::Message() << "round " << round << " needle '" << needle << "' from " << from);
      EXPECT_EQ(sjis::find(hay, needle, from), reference_find(hay, needle, from));
      if (from == 0) {
        EXPECT_EQ(sjis::find_after(hay, needle, 0), reference_find(hay, needle, 0));
      }
      if (needle.size() == 1) {
        EXPECT_EQ(sjis::find_char(hay, needle[0], from), reference_find(hay, needle, from));
        std::size_t last = npos;
        for (std::size_t p = reference_find(hay, needle, 0); p != npos; p = reference_find(hay, needle, p + 1))
          last = p;
        EXPECT_EQ(sjis::rfind_char(hay, needle[0]), last);
      }
    }
  }
}
