// Splitting a whole text into lines takes time linear in its size whatever
// its line ends are: a settings file or a page of lone CRs (no LF anywhere)
// once made the splitter search the rest of the text for an LF at every line.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "core/split_lines.h"

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

TEST(SplitLines, LinearForLoneCrsAndForLfsAlone) {
  constexpr std::size_t kLines = 1'000'000;
  struct Row {
    const char* name;
    std::string text;
  } rows[] = {
      {"lone_cr", std::string(kLines, '\r')},
      {"lf_alone", std::string(kLines, '\n')},
      {"lf_alone_then_one_cr", std::string(kLines - 1, '\n') + "\r"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const auto t0 = std::chrono::steady_clock::now();
    const std::vector<std::string_view> lines = split_line_views(r.text, nullptr);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(lines.size(), kLines);
    // A search of the rest at every line would take minutes here.
    EXPECT_LT(s, 5.0);
  }
}

}  // namespace
