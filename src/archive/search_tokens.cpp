#include "archive/search_tokens.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

#include <array>
#include <stdexcept>

#include "codec/cp932.h"
#include "codec/sjis_text.h"

namespace {

enum class Kind { japanese, word, mark, line_break, other };

bool ascii_word(unsigned char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The class of a character of normalised, lower-cased text. "Japanese" goes
// by the Script property (not Script_Extensions), as the page's regular
// expression does, with the four marks that belong to Japanese words
// although their script is Common.
Kind kind_by_properties(UChar32 c) {
  if (c == '\n' || c == '\r') return Kind::line_break;
  if (c < 0x80) return ascii_word(static_cast<unsigned char>(c)) ? Kind::word : Kind::other;
  if (c == 0x3005 || c == 0x3006 || c == 0x30F6 || c == 0x30FC) return Kind::japanese;
  UErrorCode err = U_ZERO_ERROR;
  const UScriptCode script = uscript_getScript(c, &err);
  if (U_SUCCESS(err) && (script == USCRIPT_HAN || script == USCRIPT_HIRAGANA || script == USCRIPT_KATAKANA))
    return Kind::japanese;
  switch (u_charType(c)) {
    case U_UPPERCASE_LETTER:
    case U_LOWERCASE_LETTER:
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
    case U_DECIMAL_DIGIT_NUMBER:
    case U_LETTER_NUMBER:
    case U_OTHER_NUMBER:
      return Kind::word;
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_COMBINING_SPACING_MARK:
      return Kind::mark;
    default:
      return Kind::other;
  }
}

// The classes of the Basic Multilingual Plane, looked up once; bit 0x80
// marks a character that lower-casing changes.
const std::array<std::uint8_t, 0x10000>& bmp_kinds() {
  static const auto table = [] {
    auto t = std::make_unique<std::array<std::uint8_t, 0x10000>>();
    for (UChar32 c = 0; c < 0x10000; ++c)
      (*t)[c] = static_cast<std::uint8_t>(static_cast<unsigned>(kind_by_properties(c)) |
                                          (u_hasBinaryProperty(c, UCHAR_CHANGES_WHEN_LOWERCASED) ? 0x80 : 0));
    return t;
  }();
  return *table;
}

Kind kind_of(UChar32 c) { return c < 0x10000 ? static_cast<Kind>(bmp_kinds()[c] & 0x7F) : kind_by_properties(c); }

// Code page 932 to UTF-16 by a table made once from the codec's own
// conversion; false at a byte that forms no character, where the caller
// takes the codec's way (which says how such bytes read).
const std::array<char16_t, 0x10000>& pair_chars() {
  static const auto table = [] {
    auto t = std::make_unique<std::array<char16_t, 0x10000>>();
    const cp932::PairTable& pairs = cp932::pair_table();
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead)
      for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
        if (!pairs.has(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail))) continue;
        const char two[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        const icu::UnicodeString u = icu::UnicodeString::fromUTF8(cp932::to_utf8(std::string_view(two, 2)));
        if (u.length() == 1) (*t)[lead << 8 | trail] = u.charAt(0);
      }
    return t;
  }();
  return *table;
}

bool sjis_to_utf16(std::string_view sjis, std::u16string& out) {
  const std::array<char16_t, 0x10000>& pairs = pair_chars();
  out.clear();
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
    } else if (b >= 0xA1 && b <= 0xDF) {
      out += static_cast<char16_t>(0xFF61 + (b - 0xA1));
    } else {
      if (i + 1 >= sjis.size()) return false;
      const char16_t c = pairs[b << 8 | static_cast<unsigned char>(sjis[i + 1])];
      if (c == 0) return false;
      out += c;
      ++i;
    }
  }
  return true;
}

void put_utf8(std::string& s, UChar32 c) {
  const auto cp = static_cast<std::uint32_t>(c);
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Runs of text in the making: the word characters (UTF-8) and the Japanese
// characters of the run now open; at most one of them holds anything.
struct Runs {
  std::string word;
  std::vector<UChar32> japanese;
  std::vector<std::string>& out;
  bool every_character;

  void end_word() {
    if (word.empty()) return;
    out.push_back(word);
    word.clear();
  }
  void end_japanese() {
    if (japanese.size() == 1) {
      out.emplace_back();
      put_utf8(out.back(), japanese[0]);
    }
    for (std::size_t k = 1; k < japanese.size(); ++k) {
      out.emplace_back();
      put_utf8(out.back(), japanese[k - 1]);
      put_utf8(out.back(), japanese[k]);
    }
    if (every_character && japanese.size() > 1) {
      for (const UChar32 c : japanese) {
        out.emplace_back();
        put_utf8(out.back(), c);
      }
    }
    japanese.clear();
  }
  void end_both() {
    end_word();
    end_japanese();
  }
};

// ASCII text is its own NFKC form and lower-cases letter by letter.
void add_ascii(std::string_view text, std::vector<std::string>& out) {
  std::string word;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (ascii_word(c)) {
      word += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    } else if (!word.empty()) {
      out.push_back(word);
      word.clear();
    }
  }
  if (!word.empty()) out.push_back(word);
}

// Where the run of Japanese text goes on after the line break at i: the
// position of the Japanese character after one line break, or -1.
int32_t joined_after_break(const icu::UnicodeString& s, int32_t i) {
  int32_t j = i + 1;
  if (s.charAt(i) == '\r' && j < s.length() && s.charAt(j) == '\n') ++j;
  return j < s.length() && kind_of(s.char32At(j)) == Kind::japanese ? j : -1;
}

}  // namespace

namespace {
void split(const icu::UnicodeString& s, bool every_japanese_character, std::vector<std::string>& out);
}  // namespace

struct SearchTokeniser::Buffers {
  const icu::Normalizer2* nfkc = nullptr;
  icu::UnicodeString text, normal;
  std::u16string utf16;
};

SearchTokeniser::SearchTokeniser(bool every_japanese_character)
    : buf_(std::make_unique<Buffers>()), every_japanese_character_(every_japanese_character) {
  UErrorCode err = U_ZERO_ERROR;
  buf_->nfkc = icu::Normalizer2::getNFKCInstance(err);
  if (U_FAILURE(err)) throw std::runtime_error(std::string("NFKC: ") + u_errorName(err));
}

SearchTokeniser::~SearchTokeniser() = default;

void SearchTokeniser::add_sjis(std::string_view sjis, std::vector<std::string>& out) {
  if (sjis::is_ascii(sjis)) return add_ascii(sjis, out);
  if (!sjis_to_utf16(sjis, buf_->utf16)) return add_utf8(cp932::to_utf8(sjis), out);
  buf_->text.setTo(buf_->utf16.data(), static_cast<int32_t>(buf_->utf16.size()));
  add_text(out);
}

void SearchTokeniser::add_utf8(std::string_view utf8, std::vector<std::string>& out) {
  if (sjis::is_ascii(utf8)) return add_ascii(utf8, out);
  buf_->text = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
  add_text(out);
}

// Normalises buf_->text, unless it is in normal form already (as most text
// is), and splits it.
void SearchTokeniser::add_text(std::vector<std::string>& out) {
  const icu::UnicodeString& text = buf_->text;
  UErrorCode err = U_ZERO_ERROR;
  const bool normal = buf_->nfkc->spanQuickCheckYes(text, err) == text.length();
  if (U_FAILURE(err)) throw std::runtime_error(std::string("NFKC: ") + u_errorName(err));
  bool lower = true;
  for (int32_t i = 0; i < text.length() && lower; ++i) {
    const char16_t c = text.charAt(i);
    lower = U16_IS_SURROGATE(c) ? !u_hasBinaryProperty(text.char32At(i), UCHAR_CHANGES_WHEN_LOWERCASED)
                                : !(bmp_kinds()[c] & 0x80);
  }
  if (normal && lower) return split(text, every_japanese_character_, out);
  if (normal) {
    buf_->normal = text;
  } else {
    buf_->nfkc->normalize(text, buf_->normal, err);
    if (U_FAILURE(err)) throw std::runtime_error(std::string("NFKC: ") + u_errorName(err));
  }
  split(buf_->normal.toLower(icu::Locale::getRoot()), every_japanese_character_, out);
}

namespace {

// The tokens of normalised, lower-cased text.
void split(const icu::UnicodeString& s, bool every_japanese_character, std::vector<std::string>& out) {
  Runs runs{{}, {}, out, every_japanese_character};
  for (int32_t i = 0; i < s.length(); i = s.moveIndex32(i, 1)) {
    const UChar32 c = s.char32At(i);
    switch (kind_of(c)) {
      case Kind::japanese:
        runs.end_word();
        runs.japanese.push_back(c);
        break;
      case Kind::word:
        runs.end_japanese();
        put_utf8(runs.word, c);
        break;
      case Kind::mark:
        if (runs.word.empty()) runs.end_japanese();
        if (!runs.word.empty()) put_utf8(runs.word, c);
        break;
      case Kind::line_break:
        if (!runs.japanese.empty()) {
          if (const int32_t j = joined_after_break(s, i); j >= 0) {
            i = j - 1;  // the loop steps on to the character after the break
            continue;
          }
        }
        runs.end_both();
        break;
      case Kind::other:
        runs.end_both();
        break;
    }
  }
  runs.end_both();
}

}  // namespace

std::vector<std::string> search_tokens(std::string_view utf8) {
  static thread_local SearchTokeniser tokeniser;
  std::vector<std::string> out;
  tokeniser.add_utf8(utf8, out);
  return out;
}
