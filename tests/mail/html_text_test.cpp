// HTML mail as page text: the entities that stand for blanks.
#include "mail/html_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// &nbsp; is a blank of its own: it shows as one space, in its place, and
// does not fold with the blanks beside it; the page has no character for
// U+00A0 (code page 932 lacks it) and must not show a reference for it.
TEST(HtmlToText, NbspBecomesABlank) {
  const struct {
    const char* name;
    const char* html;
    const char* text;
  } rows[] = {
      {"between two words", "<p>Hello&nbsp;world</p>", "Hello world"},
      {"two in a row keep both", "a&nbsp;&nbsp;b", "a  b"},
      {"beside a folded blank", "a &nbsp; b", "a   b"},
      {"upper-case name is no entity", "a&NBSP;b", "a&#38;NBSP;b"},
      {"in a table cell", "<table><tr><td>x</td><td>&nbsp;</td><td>y</td></tr></table>", "x   y"},
      {"alone on a line is no text", "<p>&nbsp;</p><p>z</p>", "z"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(html_to_text(r.html), r.text);
  }
}

}  // namespace
