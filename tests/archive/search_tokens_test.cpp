// The tokens of the search index, against the examples that the search
// page's tests read too (tests/data/search_tokens.txt), so that the program
// and the page split text alike.
#include "archive/search_tokens.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "codec/sjis_text.h"

namespace {

struct Example {
  int line;
  std::string text;  // "\n" already made a line break
  std::vector<std::string> tokens;
};

std::vector<std::string> split_spaces(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  for (std::string t; in >> t;) out.push_back(t);
  return out;
}

std::vector<Example> read_examples() {
  std::ifstream in(std::string(VORN_SOURCE_DIR) + "/tests/data/search_tokens.txt");
  std::vector<Example> out;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      ADD_FAILURE() << "line " << number << " has no TAB";
      continue;
    }
    Example e{number, line.substr(0, tab), split_spaces(line.substr(tab + 1))};
    for (std::size_t k; (k = e.text.find("\\n")) != std::string::npos;) e.text.replace(k, 2, "\n");
    out.push_back(std::move(e));
  }
  return out;
}

TEST(SearchTokens, ExamplesFile) {
  const std::vector<Example> examples = read_examples();
  ASSERT_GE(examples.size(), 50u);
  for (const Example& e : examples) {
    SCOPED_TRACE("line " + std::to_string(e.line) + ": " + e.text);
    EXPECT_EQ(search_tokens(e.text), e.tokens);
  }
}

// The archive's text is Shift_JIS: every example that code page 932 can
// hold gives the same tokens from there, and most of them can.
TEST(SearchTokens, ExamplesFromShiftJis) {
  SearchTokeniser tokeniser;
  int converted = 0;
  for (const Example& e : read_examples()) {
    const std::optional<std::string> sjis = cp932::from_utf8_exact(e.text);
    if (!sjis) continue;
    ++converted;
    SCOPED_TRACE("line " + std::to_string(e.line) + ": " + e.text);
    std::vector<std::string> tokens;
    tokeniser.add_sjis(*sjis, tokens);
    EXPECT_EQ(tokens, e.tokens);
  }
  EXPECT_GE(converted, 40);
}

// Shift_JIS text takes the tokeniser's tables rather than ICU; their normal
// form must be ICU's, whatever character stands next to whatever. ICU is the
// judge here: the text as UTF-8, NFKC, then lower case (root locale).
std::u32string icu_normal_form(std::string_view sjis) {
  UErrorCode err = U_ZERO_ERROR;
  const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(err);
  const std::string utf8 = cp932::to_utf8(sjis);
  icu::UnicodeString normal;
  nfkc->normalize(icu::UnicodeString::fromUTF8(utf8), normal, err);
  EXPECT_TRUE(U_SUCCESS(err));
  normal.toLower(icu::Locale::getRoot());
  std::u32string out;
  for (int32_t i = 0; i < normal.length(); i = normal.moveIndex32(i, 1))
    out += static_cast<char32_t>(normal.char32At(i));
  return out;
}

std::string hex(std::string_view bytes) {
  std::string out;
  char buf[4];
  for (const char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned char>(c));
    out += buf;
  }
  return out;
}

// Compares the tables with ICU on text; true when the tables could do it.
bool tables_agree(const std::string& sjis) {
  std::u32string fast;
  if (!sjis_normal_form(sjis, fast)) return false;
  EXPECT_EQ(fast, icu_normal_form(sjis)) << "Shift_JIS " << hex(sjis);
  return true;
}

// The neighbours a character is tried between: Japanese, Latin (upper case,
// for the cases whose lower case depends on a neighbour), a half-width kana
// that a following voiced sound mark joins, the marks themselves, a
// full-width kana and digit, line breaks.
const char* const kNeighbours[][2] = {
    {"", ""},         {"\x93\x8C", "\x8B\x9E"},
    {"A", "B"},       {"\x83\x4A", ""},
    {"\xB6", ""},     {"", "\xDE"},
    {"", "\xDF"},     {"", "\xDE\xDF"},
    {"\xDE", "\xB6"}, {"\x82\x60", "\x82\x4F"},
    {"\r\n", "\n"},   {"\x83\xA1", ""},
    {"", "\x81\x4A"},
};

std::vector<std::string> every_double_byte_character() {
  std::vector<std::string> out;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead)
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail)
      if (cp932::pair_table().has(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)))
        out.push_back({static_cast<char>(lead), static_cast<char>(trail)});
  return out;
}

TEST(SearchTokens, TablesAgreeWithIcuOnEveryDoubleByteCharacter) {
  const std::vector<std::string> all = every_double_byte_character();
  ASSERT_GT(all.size(), 7000u);
  std::set<std::string> not_by_tables;
  for (const std::string& c : all)
    for (const auto& n : kNeighbours)
      if (!tables_agree(n[0] + c + n[1]) && std::string(n[0]).empty() && std::string(n[1]).empty())
        not_by_tables.insert(cp932::to_utf8(c));
  // Only the capital sigma (its lower case depends on the letters around it)
  // is left to ICU: every kanji, kana and symbol takes the tables.
  EXPECT_EQ(not_by_tables, std::set<std::string>{"Σ"});
}

TEST(SearchTokens, TablesAgreeWithIcuOnEverySingleByte) {
  std::vector<std::string> singles;
  for (unsigned b = 0x01; b < 0x80; ++b) singles.push_back(std::string(1, static_cast<char>(b)));
  for (unsigned b = 0xA1; b <= 0xDF; ++b) singles.push_back(std::string(1, static_cast<char>(b)));
  int by_tables = 0;
  for (const std::string& c : singles) {
    for (const auto& n : kNeighbours) by_tables += tables_agree(n[0] + c + n[1]);
    // Every half-width kana before every other, voiced sound marks included.
    for (unsigned b = 0xA1; b <= 0xDF; ++b) by_tables += tables_agree(c + static_cast<char>(b));
  }
  const std::size_t tried = singles.size() * (std::size(kNeighbours) + (0xDF - 0xA1 + 1));
  EXPECT_EQ(static_cast<std::size_t>(by_tables), tried);
}

// The voiced sound marks join the kana before them (ﾊﾟ is パ), also a
// full-width one; after anything else they stay marks. The capital sigma
// takes ICU's way, which lower-cases it by its neighbours.
TEST(SearchTokens, ShiftJisOddCases) {
  const struct {
    const char* name;
    std::string sjis;
    std::vector<std::string> tokens;
  } rows[] = {
      {"half_width_voiced", "\xCA\xDF\xBF\xBA\xDD", {"パソ", "ソコ", "コン"}},
      {"full_width_then_half_width_mark", "\x83\x4A\xDE\x83\x8B", {"ガル"}},
      {"mark_after_latin",
       "a\xDE"
       "b",
       {"a\xE3\x82\x99"
        "b"}},
      {"mark_alone", "\xDE\x93\x8C", {"東"}},
      {"sigma_last", *cp932::from_utf8_exact("ΟΔΟΣ"), {"οδο\u03c2"}},
      {"sigma_first", *cp932::from_utf8_exact("ΣΟ"), {"σο"}},
      {"sigma_between", *cp932::from_utf8_exact("ΑΣΑ ＡΣ"), {"ασα", "a\u03c2"}},
      // Beside ASCII separators: a voiced sound mark joins nothing across
      // one, the capital sigma lower-cases by letters beyond one, and a
      // second byte that looks like one separates nothing.
      {"words_around_japanese", *cp932::from_utf8_exact("Hello, 世界 World!"), {"hello", "世界", "world"}},
      {"letters_and_digits", "ABC123 DEF,ghi\t4", {"abc123", "def", "ghi", "4"}},
      {"full_width_beside_ascii", *cp932::from_utf8_exact("ＡＢＣ abc"), {"abc", "abc"}},
      {"break_inside_japanese", *cp932::from_utf8_exact("東京\r\n都 ABC"), {"東京", "京都", "abc"}},
      {"trail_byte_like_separator", "\x83\x5C-abc \x95\x5C|x", {"ソ", "abc", "表", "x"}},
      {"mark_after_separator", "\xB6 \xDE", {"カ"}},
      {"mark_after_separator_then_kana", "-\xDE\xB6\xDE", {"ガ"}},
      {"lone_lead_byte_at_end", "abc \x82", {"abc"}},
      // The capital sigma lower-cases by letters beyond the full stop.
      {"sigma_across_separator", *cp932::from_utf8_exact("ΑΣ.Α"), {"ασ", "α"}},
      // Words and runs that end before a character the tables alone cannot
      // read are handed over once, not again when the text is read anew.
      {"words_before_a_voiced_mark", "abc \x93\x8C\x8B\x9E \xB6\xDE\xBD", {"abc", "東京", "ガス"}},
      {"break_then_a_voiced_mark", "\x93\x8C\x8B\x9E\r\n\xDE", {"東京"}},
      {"words_before_a_square_era_name", "abc \x87\x7E", {"abc", "平成"}},
      // Characters that code page 932 lacks stand as references.
      {"references_inside_words", "Caf&#233; M&#252;ller", {"caf\u00e9", "m\u00fcller"}},
      {"reference_to_an_emoji_separates", "a&#128512;b", {"a", "b"}},
      {"hangul_by_reference", "&#54620;&#44397;", {"\ud55c\uad6d"}},
      {"ampersand_before_a_hash_is_text", "&#38;#233;", {"233"}},
      {"reference_beside_kanji", "\x93\x8C&#12354;", {"東\u3042"}},
      {"reference_before_a_voiced_mark", "Caf&#233; \xB6\xDE", {"caf\u00e9", "ガ"}},
      {"voiced_mark_joins_a_referenced_kana", "&#12358;\xDE", {"\u3094"}},
      {"referenced_mark_joins_the_letter", "Cafe&#769;", {"caf\u00e9"}},
      {"reference_of_several_letters", "&#64257;x", {"fix"}},
      {"not_a_reference", "&#; &#x41; &#0; &#55296; &#12345678;", {"x41", "0", "55296", "12345678"}},
      {"run_open_at_a_lone_lead_byte", "abc \x93\x8C\x8B\x9E\x82", {"abc", "東京"}},
  };
  SearchTokeniser tokeniser;
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    std::vector<std::string> tokens;
    tokeniser.add_sjis(r.sjis, tokens);
    EXPECT_EQ(tokens, r.tokens);
  }
}

// The tokeniser's classes of the Basic Multilingual Plane, made a range of
// equal properties at a time, against each character's own properties.
TEST(SearchTokens, CharacterClassesFollowTheirProperties) {
  int differ = 0;
  for (UChar32 c = 0; c < 0x10000; ++c) {
    char expected = ' ';
    UErrorCode err = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(c, &err);
    const int8_t type = u_charType(c);
    if (c == '\n' || c == '\r')
      expected = 'b';
    else if (c < 0x80)
      expected = std::isalnum(c) ? 'w' : ' ';
    else if (c == 0x3005 || c == 0x3006 || c == 0x30F6 || c == 0x30FC || script == USCRIPT_HAN ||
             script == USCRIPT_HIRAGANA || script == USCRIPT_KATAKANA)
      expected = 'j';
    else if (type == U_UPPERCASE_LETTER || type == U_LOWERCASE_LETTER || type == U_TITLECASE_LETTER ||
             type == U_MODIFIER_LETTER || type == U_OTHER_LETTER || type == U_DECIMAL_DIGIT_NUMBER ||
             type == U_LETTER_NUMBER || type == U_OTHER_NUMBER)
      expected = 'w';
    else if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_COMBINING_SPACING_MARK)
      expected = 'm';
    if (u_hasBinaryProperty(c, UCHAR_CHANGES_WHEN_LOWERCASED))
      expected = expected == ' ' ? '_' : static_cast<char>(std::toupper(expected));
    const char got = search_char_class(static_cast<char32_t>(c));
    if (got != expected && ++differ <= 10)
      ADD_FAILURE() << "U+" << std::hex << c << ": " << got << ", not " << expected;
  }
  EXPECT_EQ(differ, 0);
  // Beyond the plane, by the properties themselves.
  EXPECT_EQ(search_char_class(U'\U00020B9F'), 'j');  // 𠮟
  EXPECT_EQ(search_char_class(U'\U0001F600'), ' ');  // an emoji
  EXPECT_EQ(search_char_class(U'\U00010400'), 'W');  // DESERET CAPITAL LONG I
}

// Line breaks as a mailbox gives them, CR LF and CR alone, join a Japanese
// word as LF does; the examples file can only write LF.
TEST(SearchTokens, OtherLineBreaks) {
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> tokens;
  } rows[] = {
      {"crlf_inside_word", "東京\r\n都", {"東京", "京都"}}, {"cr_inside_word", "東京\r都", {"東京", "京都"}},
      {"crlf_twice", "東京\r\n\r\n都", {"東京", "都"}},     {"lf_cr_is_two_breaks", "東京\n\r都", {"東京", "都"}},
      {"crlf_between_words", "abc\r\ndef", {"abc", "def"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(search_tokens(r.text), r.tokens);
  }
}

// The index holds every Japanese character on its own too, so that a query
// of one character, which is that character, finds every message holding it.
TEST(SearchTokens, TheIndexHoldsEveryJapaneseCharacter) {
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> tokens;  // sorted
  } rows[] = {
      {"run", "東京都", {"京", "京都", "東", "東京", "都"}},
      {"run_of_one_once", "猫 abc", {"abc", "猫"}},
      {"half_width", "ｶﾅ", {"カ", "カナ", "ナ"}},
      {"no_words", "tokyo 2024", {"2024", "tokyo"}},
  };
  SearchTokeniser index_side(true);
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    std::vector<std::string> tokens;
    index_side.add_utf8(r.text, tokens);
    std::sort(tokens.begin(), tokens.end());
    EXPECT_EQ(tokens, r.tokens);
  }
}

}  // namespace
