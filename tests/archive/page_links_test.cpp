#include "archive/page_links.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The key script every page with links carries below its text.
const std::string kScript =
    "<SCRIPT>document.addEventListener(\"keydown\",function(e){var t=e.target;"
    "if(e.ctrlKey||e.altKey||e.metaKey||e.defaultPrevented)return;"
    "if(t&&(t.isContentEditable||/^(INPUT|TEXTAREA|SELECT)$/.test(t.tagName)))return;"
    "var a=document.querySelector('a[data-key=\"'+e.key+'\"]');if(a)location.href=a.href;});</SCRIPT>";

const std::string kNav = "<SPAN class=\"vorn-nav\">[next]</SPAN>";
const std::string kOldNav = "<SPAN class=\"vorn-nav\">[old]</SPAN>";

struct NavCase {
  const char* name;
  std::string page;
  bool with_nav;  // else the links are only taken out
  std::string expected;
};

// Pages as written (every line CR LF) take the links between their own
// bytes; any other page is split into lines and joined again with CR LF.
// Either way the result is the same page a reader of it expects.
TEST(NavLines, GoAfterTheFontLineAndAroundTheLastPreLine) {
  const std::string head = "<HTML>\r\n<BODY>\r\n<PRE>\r\n";
  const NavCase cases[] = {
      {"fresh page", head + "<FONT SIZE=2>\r\nbody\r\n</FONT>\r\n</PRE>\r\n</BODY>\r\n", true,
       head + "<FONT SIZE=2>\r\n" + kNav + "\r\nbody\r\n</FONT>\r\n" + kNav + "\r\n</PRE>\r\n" + kScript +
           "\r\n</BODY>\r\n"},
      {"font line in small letters", "<font size=3>\r\nx\r\n</PRE>\r\n", true,
       "<font size=3>\r\n" + kNav + "\r\nx\r\n" + kNav + "\r\n</PRE>\r\n" + kScript + "\r\n"},
      {"the last of two pre lines, spaces around it", "<FONT SIZE=2>\r\n</PRE>\r\nquoted\r\n  </PRE> \r\nend\r\n", true,
       "<FONT SIZE=2>\r\n" + kNav + "\r\n</PRE>\r\nquoted\r\n" + kNav + "\r\n  </PRE> \r\n" + kScript + "\r\nend\r\n"},
      {"links of an earlier run replaced",
       "<FONT SIZE=2>\r\n" + kOldNav + "\r\nbody\r\n" + kOldNav + "\r\n</PRE>\r\n" + kScript + "\r\n", true,
       "<FONT SIZE=2>\r\n" + kNav + "\r\nbody\r\n" + kNav + "\r\n</PRE>\r\n" + kScript + "\r\n"},
      {"links taken out",
       "<FONT SIZE=2>\r\n" + kOldNav + "\r\nbody\r\n" + kOldNav + "\r\n</PRE>\r\n" + kScript + "\r\n", false,
       "<FONT SIZE=2>\r\nbody\r\n</PRE>\r\n"},
      {"nothing to take out", "<FONT SIZE=2>\r\nbody\r\n</PRE>\r\n", false, "<FONT SIZE=2>\r\nbody\r\n</PRE>\r\n"},
      {"line feeds alone", "<FONT SIZE=2>\nbody\n</PRE>\n", true,
       "<FONT SIZE=2>\r\n" + kNav + "\r\nbody\r\n" + kNav + "\r\n</PRE>\r\n" + kScript + "\r\n"},
      {"a lone carriage return inside a line", "<FONT SIZE=2>\r\na\rb\r\n</PRE>\r\n", true,
       "<FONT SIZE=2>\r\n" + kNav + "\r\na\r\nb\r\n" + kNav + "\r\n</PRE>\r\n" + kScript + "\r\n"},
      {"last line without its line end", "<FONT SIZE=2>\r\nbody\r\n</PRE>", true,
       "<FONT SIZE=2>\r\n" + kNav + "\r\nbody\r\n" + kNav + "\r\n</PRE>\r\n" + kScript + "\r\n"},
      {"no font line", "<PRE>\r\nbody\r\n</PRE>\r\n", true, "<PRE>\r\nbody\r\n</PRE>\r\n"},
      {"no pre line", "<FONT SIZE=2>\r\nbody\r\n", true, "<FONT SIZE=2>\r\nbody\r\n"},
      {"pre line above the font line", "</PRE>\r\n<FONT SIZE=2>\r\nbody\r\n", true,
       "</PRE>\r\n<FONT SIZE=2>\r\nbody\r\n"},
      {"empty page", "", true, ""},
  };
  for (const NavCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(with_nav_lines(c.page, c.with_nav ? &kNav : nullptr), c.expected);
  }
}

// Only a line that starts with what a line of links, the key script or the
// font line starts with is taken for one; text holding it later is text.
TEST(NavLines, OnlyWholeLinesAreTakenForLinksOrTheFontLine) {
  const std::string page = std::string("x<SPAN class=\"vorn-nav\">\r\n\x83<FONT SIZE=2>\r\n<FONT SIZE=2>\r\n") +
                           " <SCRIPT>kept</SCRIPT>\r\n</PRE>\r\n";
  EXPECT_EQ(with_nav_lines(page, &kNav),
            std::string("x<SPAN class=\"vorn-nav\">\r\n\x83<FONT SIZE=2>\r\n<FONT SIZE=2>\r\n") + kNav +
                "\r\n <SCRIPT>kept</SCRIPT>\r\n" + kNav + "\r\n</PRE>\r\n" + kScript + "\r\n");
  EXPECT_FALSE(is_nav_line(" <SCRIPT>"));
  EXPECT_TRUE(is_nav_line(kOldNav));
}

// Entries in date order: stored dates oldest first, entries whose date is
// no date before them all, ties by page.
TEST(NavLines, NeighboursFollowDatesThenPagesAndTheThreads) {
  const auto entry = [](const char* date, const char* page, bool starts) {
    return ListedMessage{MessageRecord(date, "s", "f", "<id>", "", page, ""), starts};
  };
  const std::vector<ListedMessage> listed = {
      entry("2004-01-02 00:00:00", "m0000003.htm", true),
      entry("2004-01-01 00:00:00", "m0000002.htm", false),  // a reply dated before its parent
      entry("unknown", "m0000004.htm", true),
      entry("2004-01-01 00:00:00", "m0000001.htm", true),
  };
  EXPECT_EQ(date_order(listed), (std::vector<std::size_t>{2, 3, 1, 0}));
  const std::vector<Neighbours> n = neighbours(listed);
  EXPECT_EQ(n[2].previous_by_date, "");
  EXPECT_EQ(n[2].next_by_date, "m0000001.htm");
  EXPECT_EQ(n[1].previous_by_date, "m0000001.htm");
  EXPECT_EQ(n[1].next_by_date, "m0000003.htm");
  EXPECT_EQ(n[0].next_by_date, "");
  EXPECT_EQ(n[0].next_in_thread, "m0000002.htm");
  EXPECT_EQ(n[1].previous_in_thread, "m0000003.htm");
  EXPECT_EQ(n[1].next_in_thread, "");
  EXPECT_EQ(n[2].previous_in_thread, "");
}

}  // namespace
