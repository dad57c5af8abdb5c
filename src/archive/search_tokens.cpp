#include "archive/search_tokens.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

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
Kind kind_of(UChar32 c) {
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

struct SearchTokeniser::Buffers {
  const icu::Normalizer2* nfkc = nullptr;
  icu::UnicodeString text, normal;
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
  add_utf8(cp932::to_utf8(sjis), out);
}

void SearchTokeniser::add_utf8(std::string_view utf8, std::vector<std::string>& out) {
  if (sjis::is_ascii(utf8)) return add_ascii(utf8, out);
  buf_->text = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
  UErrorCode err = U_ZERO_ERROR;
  buf_->nfkc->normalize(buf_->text, buf_->normal, err);
  if (U_FAILURE(err)) throw std::runtime_error(std::string("NFKC: ") + u_errorName(err));
  const icu::UnicodeString& s = buf_->normal.toLower(icu::Locale::getRoot());
  Runs runs{{}, {}, out, every_japanese_character_};
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

std::vector<std::string> search_tokens(std::string_view utf8) {
  static thread_local SearchTokeniser tokeniser;
  std::vector<std::string> out;
  tokeniser.add_utf8(utf8, out);
  return out;
}
