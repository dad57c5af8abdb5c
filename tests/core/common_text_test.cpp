#include "core/common_text.h"

#include <gtest/gtest.h>

namespace {

TEST(HtmlEsc, MarkupCharactersAndNeverInsideACharacter) {
  const struct {
    const char* name;
    std::string in, out;
  } rows[] = {
      {"plain", "a b", "a b"},
      {"ampersand, also before an entity name", "a & b &nbsp;", "a &amp; b &amp;nbsp;"},
      {"numeric reference kept", "J&#248;rn", "J&#248;rn"},
      {"unfinished reference escaped", "&#248 &#;", "&amp;#248 &amp;#;"},
      {"both", "<a>b</a>", "&lt;a&gt;b&lt;/a&gt;"},
      {"runs", "<<>>", "&lt;&lt;&gt;&gt;"},
      {"after a double-byte character", "\x95\x5C<x>", "\x95\x5C&lt;x&gt;"},
      {"after a lead byte that stands alone", "\x81<", "\x81&lt;"},
      {"at both ends", ">middle<", "&gt;middle&lt;"},
      {"empty", "", ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Html_Esc(r.in), r.out);
    std::string appended = "keep:";
    html_esc_to(appended, r.in);
    EXPECT_EQ(appended, "keep:" + r.out);
  }
}

}  // namespace
