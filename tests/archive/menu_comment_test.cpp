#include "archive/menu_comment.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MenuComment, EscapesOnlyWhatCouldEndTheComment) {
  const struct {
    const char* name;
    std::string value, written;
  } rows[] = {
      {"single dashes stay", "<a-b>c&d-e>", "<a-b>c&d-e>"},
      {"dashes then gt", "a-->b", "a--&gt;b"},
      {"dashes bang gt", "a--!>b", "a--!&gt;b"},
      {"dashes then amp", "x--&gt;", "x--&amp;gt;"},
      {"gt later than the dashes", "a--b>", "a--b>"},
      {"three dashes", "--->", "---&gt;"},
      {"trail byte is no dash", "\x81\x5B->", "\x81\x5B->"},  // ー then "->"
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(menu_comment::escape(r.value), r.written);
    std::string out = "kept|";
    menu_comment::escape_to(out, r.value);
    EXPECT_EQ(out, "kept|" + r.written) << "escape_to appends";
    EXPECT_EQ(menu_comment::unescape(r.written), r.value);
  }
}

}  // namespace
