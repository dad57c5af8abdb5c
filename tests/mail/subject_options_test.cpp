#include <gtest/gtest.h>

#include <string>

#include "core/common_text.h"
#include "mail/header_fields.h"

namespace {

struct SubjRow {
  const char* name;
  std::string subject;
  bool kak, res;
  std::string expected;
};

}  // namespace

TEST(DelSubjOpt, Table) {
  const SubjRow rows[] = {
      {"both on: only leading spaces go", "  [ml:1] Re: hi ", true, true, "[ml:1] Re: hi "},
      {"two stacked Re:", "Re: Re: hello", true, false, "hello"},
      {"upper case directly before a word", "RE:word", true, false, "word"},
      {"after a tag: sides joined", "[ml:12] Re: hi", true, false, "[ml:12]hi"},
      {"right after ]", "[ml]Re: hi", true, false, "[ml]hi"},
      {"in the middle after a space", "Foo Re: bar", true, false, "Foobar"},
      {"stacked in the middle", "Foo Re: Re: bar", true, false, "Foobar"},
      {"inside a word stays", "Score: 5", true, false, "Score: 5"},
      {"Are: stays", "Are: you", true, false, "Are: you"},
      {"full-width Re:", sj("Ｒｅ：こんにちは"), true, false, sj("こんにちは")},
      {"full-width mixed case", sj("ｒＥ:hi"), true, false, "hi"},
      {"after an ideographic space", sj("件名　Re:hi"), true, false, sj("件名　") + "hi"},
      {"trailing spaces go once removed", "Re: hi  ", true, false, "hi"},
      {"nothing removed keeps trailing spaces", "hi  ", true, false, "hi  "},
      {"a tag and a word", "[ml:123] hello", false, true, " hello"},
      {"lone ] inside a word dropped", "ab]cd", false, true, "abcd"},
      {"no nesting", "[a[b]c]d", false, true,
       "c"
       "d"},
      {"unclosed [ drops the rest", "hi [rest", false, true, "hi "},
      {"both off: re: first, then brackets", "[ml:1] Re: [x] hello", false, false, " hello"},
      // Trail bytes: ー is 81 5B ("["), ゾ is 83 5D ("]"), 表 is 95 5C.
      {"ー is no bracket", sj("メールー通知"), false, true, sj("メールー通知")},
      {"ゾ is no closing bracket", "[" + sj("ゾ") + "x] y", false, true, " y"},
      {"ー before ] in a tag", sj("[データー] 表"), false, true, sj(" 表")},
      {"trail byte ] does not start a word", sj("ゾ") + "re:x", true, false, sj("ゾ") + "re:x"},
      {"double-byte char before Re:", sj("表 Re: 表"), true, false, sj("表表")},
  };
  for (const SubjRow& r : rows) {
    SCOPED_TRACE(r.name);
    std::string s = r.subject;
    EXPECT_EQ(Del_Subj_Opt(s, r.kak, r.res), r.expected);
  }
}

TEST(DelSubjOpt, CallersCopyLosesLeadingSpacesOnly) {
  std::string s = "   Re: [x] hi ";
  Del_Subj_Opt(s, false, false);
  EXPECT_EQ(s, "Re: [x] hi ");
}

TEST(DelSubjOpt, TrailBytesUsedInTheTable) {
  // Guards the rows above: the characters really carry those trail bytes.
  EXPECT_EQ(sj("ー"), "\x81\x5B");
  EXPECT_EQ(sj("ゾ"), "\x83\x5D");
  EXPECT_EQ(sj("表"), "\x95\x5C");
}
