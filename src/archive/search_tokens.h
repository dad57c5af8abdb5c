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
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

  // Appends the tokens of text to out (UTF-8), in the order they occur,
  // repeats included.
  void add_sjis(std::string_view sjis, std::vector<std::string>& out);
  void add_utf8(std::string_view utf8, std::vector<std::string>& out);

 private:
  void add_text(std::vector<std::string>& out);
  struct Buffers;
  std::unique_ptr<Buffers> buf_;
  bool every_japanese_character_;
};

// The tokens of UTF-8 text, in order, repeats included.
std::vector<std::string> search_tokens(std::string_view utf8);
