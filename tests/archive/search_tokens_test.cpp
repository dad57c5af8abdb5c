// The tokens of the search index, against the examples that the search
// page's tests read too (tests/data/search_tokens.txt), so that the program
// and the page split text alike.
#include "archive/search_tokens.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "codec/cp932.h"

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
