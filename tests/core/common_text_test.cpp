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

// Addresses hidden: the "@" of an address becomes "＠" (81 97); the second
// byte 0x40 of a double-byte character (院 89 40, ァ 83 40) is never taken
// for one.
TEST(HideAddresses, AddressesAndNeverASecondByte) {
  const std::string wide_at = "\x81\x97";
  const std::string kanji_40 = "\x89\x40";  // 院
  const std::string kana_40 = "\x83\x40";   // ァ
  struct Row {
    const char* name;
    std::string text, hidden;
  } rows[] = {
      {"plain address", "taro@example.jp", "taro" + wide_at + "example.jp"},
      {"in angle brackets", "Taro <taro@example.jp>", "Taro <taro" + wide_at + "example.jp>"},
      {"two addresses", "a@b.jp, c.d+e@f.jp", "a" + wide_at + "b.jp, c.d+e" + wide_at + "f.jp"},
      {"quoted wrote line", "> taro@example.jp wrote:", "> taro" + wide_at + "example.jp wrote:"},
      {"second byte 0x40 between ASCII", "taro" + kanji_40 + "example", "taro" + kanji_40 + "example"},
      {"second byte 0x40 before an address", kanji_40 + "x@y.jp", kanji_40 + "x" + wide_at + "y.jp"},
      {"kanji right before the @", kanji_40 + "@y.jp", kanji_40 + "@y.jp"},
      {"kanji name then address", kana_40 + kanji_40 + " <s@t.jp>", kana_40 + kanji_40 + " <s" + wide_at + "t.jp>"},
      {"no local part", "@home", "@home"},
      {"no domain", "mail me@", "mail me@"},
      {"space after @", "a@ b", "a@ b"},
      {"already hidden", "taro" + wide_at + "example.jp", "taro" + wide_at + "example.jp"},
      {"no @ at all", "hello", "hello"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(hide_addresses(r.text), r.hidden);
    EXPECT_EQ(holds_address(r.text), r.text != r.hidden);
  }
}
