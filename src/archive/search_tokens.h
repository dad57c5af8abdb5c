// The words of the search index: what a message is found by, and what the
// search page splits a query into. Both sides must split alike, so the rules
// are few and are checked on both sides against one file of examples
// (tests/data/search_tokens.txt):
//
// - The text is normalised (Unicode NFKC: half-width katakana and full-width
//   letters and digits fold into their usual forms, "①" into "1") and then
//   lower-cased (root locale, full case mapping).
// - Kanji (with 々 〆 ヶ), hiragana and katakana (with ー) are "Japanese";
//   other letters, digits and the marks that follow them inside a word are
//   "word" characters; everything else separates (spaces, punctuation,
//   symbols, emoji, 〓, a mark that follows no word character).
// - A run of Japanese characters gives every two adjacent characters as a
//   token (東京都: 東京 京都); a run of one gives that character. A run of
//   word characters is one token.
// - One line break (LF, CR or CR LF) between two Japanese characters does not
//   end their run: mail is wrapped anywhere, also inside a word. Any other
//   line break separates.
//
// In the archive's Shift_JIS text a character that code page 932 lacks
// stands as its numeric reference ("&#233;", codec/charsets.h), which the
// page shows as the character: the tokeniser reads it so too.
//
// Shift_JIS text, the archive's own, takes a quick way: each character's
// normal form comes from a table made once with ICU, which is exact because
// every character of code page 932 but the half-width voiced sound marks
// begins a normalisation boundary (what comes before it normalises apart
// from what follows). The voiced sound marks are composed with the character
// before them; the little that the tables cannot do (the Greek capital
// sigma, whose lower case depends on its neighbours, a voiced sound mark
// after a mark of another class, and bytes that form no character) takes
// ICU's way for the whole text.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Takes the tokens as the tokeniser finds them; the bytes are valid during
// the call only.
class SearchTokenSink {
 public:
  // A token of word characters (UTF-8).
  virtual void take(std::string_view token) = 0;
  // A token of Japanese characters: two, or one (second 0). By default
  // handed to take() as UTF-8.
  virtual void take_japanese(char32_t first, char32_t second);
  // A run of Japanese characters, whole. By default its tokens go to
  // take_japanese() in the order they occur: each two adjacent characters,
  // and with every_character each character too (after the pair that ends
  // it); a run of one gives that character.
  virtual void take_run(std::u32string_view run, bool every_character);

 protected:
  ~SearchTokenSink() = default;
};

class SearchTokeniser {
 public:
  // every_japanese_character: a run of two or more Japanese characters gives
  // each of its characters as a token too. The index is made so, that a
  // query of one character (which gives that character) finds every message
  // holding it; a query is split without it.
  explicit SearchTokeniser(bool every_japanese_character = false);
  ~SearchTokeniser();
  SearchTokeniser(const SearchTokeniser&) = delete;
  SearchTokeniser& operator=(const SearchTokeniser&) = delete;

  // Hands the tokens of text to sink in the order they occur, repeats
  // included (the single characters of a run come among its pairs).
  void add_sjis(std::string_view sjis, SearchTokenSink& sink);
  void add_utf8(std::string_view utf8, SearchTokenSink& sink);
  // The same, appended to out.
  void add_sjis(std::string_view sjis, std::vector<std::string>& out);
  void add_utf8(std::string_view utf8, std::vector<std::string>& out);

 private:
  void add_sjis_slowly(std::string_view sjis, SearchTokenSink& sink);
  void add_icu(SearchTokenSink& sink);
  struct Buffers;
  std::unique_ptr<Buffers> buf_;
  bool every_japanese_character_;
};

// The tokens of UTF-8 text, in order, repeats included.
std::vector<std::string> search_tokens(std::string_view utf8);

// The class the tokeniser gives a character of normalised, lower-cased
// text: 'j' Japanese, 'w' word, 'm' mark, 'b' line break, ' ' any other;
// 'J', 'W', 'M', 'B', '_' for the same when lower-casing changes it.
char search_char_class(char32_t c);

// The normal form (NFKC, then lower case) of Shift_JIS text by the tables
// alone, references read as their characters, as code points in out; false (out unspecified) for text they cannot
// do, which the tokeniser hands to ICU.
bool sjis_normal_form(std::string_view sjis, std::u32string& out);
