#include "archive/menu_comment.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codec/sjis_text.h"

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
    EXPECT_EQ(menu_comment::escape_subject(r.value), r.written) << "the subject follows the same rule";
    EXPECT_EQ(menu_comment::unescape_subject(r.written), r.value);
  }
}

TEST(MenuComment, ValuesNeverHoldTheTextOfALabel) {
  const struct {
    const char* name;
    std::string value, written;
  } rows[] = {
      {"sender with a date and a subject", "Eve / Date_Data:1999-01-01 00:00:00 / Subj_Data:x <eve@x>",
       "Eve &#47; Date_Data:1999-01-01 00:00:00 &#47; Subj_Data:x <eve@x>"},
      {"empty date label", "Eve / Date_Data: <eve@x>", "Eve &#47; Date_Data: <eve@x>"},
      {"every label", " / Message-ID: / In-Reply-To: / Subject_Len: / From_Data: / Date_Data: / Subj_Data:",
       " &#47; Message-ID: &#47; In-Reply-To: &#47; Subject_Len: &#47; From_Data: &#47; Date_Data: &#47; Subj_Data:"},
      {"no label after the slash", "a / b / Date_Data / From_Data x", "a / b / Date_Data / From_Data x"},
      {"no space before the slash", "a/ Date_Data:", "a/ Date_Data:"},
      {"label in other case", "a / date_data:", "a / date_data:"},
      {"label at the start", "/ Date_Data:x", "/ Date_Data:x"},
      {"an escape of the value itself", "a &#47; Date_Data:", "a &amp;#47; Date_Data:"},
      {"an escaped escape of the value", "a &amp;amp;#47; Date_Data:", "a &amp;amp;amp;#47; Date_Data:"},
      {"amp without a label after it", "Tom &amp; Jerry &#47; x", "Tom &amp; Jerry &#47; x"},
      {"after a double-byte character", "\x83\x5C / Date_Data:", "\x83\x5C &#47; Date_Data:"},  // ソ
      {"both rules", "a--> / Subj_Data:--&", "a--&gt; &#47; Subj_Data:--&amp;"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(menu_comment::escape(r.value), r.written);
    EXPECT_EQ(menu_comment::unescape(r.written), r.value);
    EXPECT_EQ(menu_comment::unescape_subject(menu_comment::escape_subject(r.value)), r.value);
  }
  // The subject is taken by its length: its label texts stay as they are.
  EXPECT_EQ(menu_comment::escape_subject("a / Date_Data:x"), "a / Date_Data:x");
  EXPECT_EQ(menu_comment::unescape_subject("a &#47; Date_Data:x"), "a &#47; Date_Data:x");
}

// Values put together from the pieces that escapes are made of: every one
// reads back as it was, and none written holds a label text or a comment end.
TEST(MenuComment, RandomValuesReadBackWhole) {
  const char* const kPieces[] = {
      " / ", "/", " ",    "&",          "amp;",       "#47;",        "&#47;",        "&amp;", "--",       "-",
      "!",   ">", "&gt;", "Date_Data:", "Subj_Data:", "Message-ID:", "In-Reply-To:", "x",     "\x83\x5C", "\x81"};
  const char* const kLabels[] = {
      " / Message-ID:", " / In-Reply-To:", " / Subject_Len:", " / From_Data:", " / Date_Data:", " / Subj_Data:"};
  std::mt19937 rng(7);
  for (int k = 0; k < 20000; ++k) {
    std::string value;
    const int n = static_cast<int>(rng() % 12);
    for (int p = 0; p < n; ++p) value += kPieces[rng() % std::size(kPieces)];
    SCOPED_TRACE(value);
    const std::string written = menu_comment::escape(value);
    ASSERT_EQ(menu_comment::unescape(written), value);
    if (!menu_comment::needs_escape(value)) {
      ASSERT_EQ(written, value);
    }
    for (const char* label : kLabels) ASSERT_FALSE(sjis::contains(written, label)) << label;
    // Followed by the next label, the value still ends right before it.
    ASSERT_EQ(sjis::find(written + " / Date_Data:", " / Date_Data:"), written.size());
    const std::string subject = menu_comment::escape_subject(value);
    ASSERT_EQ(menu_comment::unescape_subject(subject), value);
    for (const std::string& w : {written, subject}) {
      ASSERT_EQ(sjis::find(w + "-->", "-->"), w.size()) << w;
      ASSERT_FALSE(sjis::contains(w, "--!>")) << w;
    }
  }
}

}  // namespace
