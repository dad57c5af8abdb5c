// Splitting a whole text into lines takes work linear in its size whatever
// its line ends are: a settings file or a page of lone CRs (no LF anywhere)
// once made the splitter search the rest of the text for an LF at every line.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/split_lines.h"
#include "support/linear_work.h"

namespace {

TEST(SplitLines, EndsAndCrLfFlag) {
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::string_view> lines;
    bool all_crlf;
  } rows[] = {
      {"crlf_only", "a\r\nb\r\n", {"a", "b"}, true},
      {"lone_cr_after_crlf", "a\r\nb\rc\r\n", {"a", "b", "c"}, false},
      {"lf_before_a_later_cr", "a\nb\r\n", {"a", "b"}, false},
      {"cr_at_the_very_end", "a\r", {"a"}, false},
      {"no_final_end", "a\r\nb", {"a", "b"}, false},
      {"lf_cr_is_two_ends", "a\n\rb\r\n", {"a", "", "b"}, false},
      {"empty", "", {}, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    bool crlf = !r.all_crlf;
    EXPECT_EQ(split_line_views(r.text, &crlf), r.lines);
    EXPECT_EQ(crlf, r.all_crlf);
  }
}

// A search of the rest of the text at every line makes the work grow with
// the square of the text.
TEST(SplitLines, LinearForLoneCrsAndForLfsAlone) {
  struct Row {
    const char* name;
    std::string (*text)(std::size_t lines);
  } rows[] = {
      {"lone_cr", [](std::size_t n) { return std::string(n, '\r'); }},
      {"lf_alone", [](std::size_t n) { return std::string(n, '\n'); }},
      {"lf_alone_then_one_cr", [](std::size_t n) { return std::string(n - 1, '\n') + "\r"; }},
  };
  LinearWork work;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(split_line_views(r.text(1000), nullptr).size(), 1000u);
    work.add(r.name, [&r](std::size_t n) { return [text = r.text(n)] { split_line_views(text, nullptr); }; });
  }
  work.expect_linear();
}

}  // namespace
