// The bar of each sender on the ranking page: its count over the top count,
// times 100, kept in single precision and written with at most seven
// significant digits and no trailing zeros; the top sender's bar is 100.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "archive/rank_page.h"
#include "archive_fixture.h"

namespace {

// Sender -> the WIDTH of its bar and its share, read from the page's rows.
struct Row {
  std::string count, share, bar;
};
std::map<std::string, Row> Rows(const std::string& page) {
  std::map<std::string, Row> rows;
  const std::string sender_cell = "<TD WIDTH=5%>", div = "<DIV ALIGN=right>", hr = "SIZE=8 WIDTH=";
  for (std::size_t at = page.find(sender_cell); at != std::string::npos; at = page.find(sender_cell, at + 1)) {
    const std::size_t s = at + sender_cell.size();
    const std::string sender = page.substr(s, page.find("</TD>", s) - s);
    Row r;
    std::size_t d = page.find(div, s) + div.size();
    r.count = page.substr(d, page.find('<', d) - d);
    d = page.find(div, d) + div.size();
    r.share = page.substr(d, page.find('<', d) - d);
    const std::size_t b = page.find(hr, d) + hr.size();
    r.bar = page.substr(b, page.find("%>", b) - b);
    rows[sender] = r;
  }
  return rows;
}

TEST(RankBars, WidthForCounts) {
  const struct {
    const char* name;
    std::vector<std::pair<std::string, int>> counts;                  // sender, messages
    std::map<std::string, std::pair<std::string, std::string>> want;  // sender -> share, bar
  } cases[] = {
      {"one sender", {{"a", 1}}, {{"a", {"100.0", "100"}}}},
      {"half", {{"a", 2}, {"b", 1}}, {{"a", {"66.7", "100"}}, {"b", {"33.3", "50"}}}},
      {"thirds",
       {{"a", 3}, {"b", 2}, {"c", 1}},
       {{"a", {"50.0", "100"}}, {"b", {"33.3", "66.66666"}}, {"c", {"16.7", "33.33333"}}}},
      {"sevenths", {{"a", 7}, {"b", 1}}, {{"a", {"87.5", "100"}}, {"b", {"12.5", "14.28571"}}}},
      {"eighths",
       {{"a", 8}, {"b", 3}, {"c", 1}},
       {{"a", {"66.7", "100"}}, {"b", {"25.0", "37.5"}}, {"c", {"8.3", "12.5"}}}},
      {"sixths",
       {{"a", 6}, {"b", 5}, {"c", 1}},
       {{"a", {"50.0", "100"}}, {"b", {"41.7", "83.33334"}}, {"c", {"8.3", "16.66667"}}}},
      {"a thousandth", {{"a", 1000}, {"b", 1}}, {{"a", {"99.9", "100"}}, {"b", {"0.1", "0.1"}}}},
      {"equal tops",
       {{"a", 2}, {"b", 2}, {"c", 1}},
       {{"a", {"40.0", "100"}}, {"b", {"40.0", "100"}}, {"c", {"20.0", "50"}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ArchiveFixture f;
    int n = 0;
    for (const auto& [sender, count] : c.counts) {
      for (int k = 0; k < count; ++k, ++n) {
        f.ws.work_list.add(
            Work_Line({"2004-01-01 00:00:00", "s", sender, "<" + std::to_string(n) + ">", "", page_name(n + 1), "0"}));
      }
    }
    const std::map<std::string, Row> rows = Rows(rank_page(f.ws, nullptr));
    ASSERT_EQ(rows.size(), c.want.size());
    for (const auto& [sender, want] : c.want) {
      SCOPED_TRACE(sender);
      ASSERT_TRUE(rows.count(sender));
      EXPECT_EQ(rows.at(sender).share, want.first);
      EXPECT_EQ(rows.at(sender).bar, want.second);
    }
  }
}

}  // namespace
