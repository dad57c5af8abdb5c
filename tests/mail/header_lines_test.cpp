#include <gtest/gtest.h>

#include <string>

#include "core/common_text.h"
#include "mail/header_fields.h"

namespace {

struct LineRow {
  const char* name;
  std::string line;
  bool expected;
};

}  // namespace

TEST(HeaderCheck, Table) {
  const LineRow rows[] = {
      {"from", "From: a@b", true},
      {"lower case name", "subject: hi", true},
      {"upper case name", "CONTENT-TRANSFER-ENCODING: 7bit", true},
      {"empty value", "Date:", true},
      {"x- header", "X-Mailer: Foo", true},
      {"x- header with spaces in its name", "X-Foo Bar: 1", true},
      {"bare X-", "X-: 1", true},
      {"lower-case x- is no header line", "x-mailer: Foo", false},
      {"leading space", " From: a@b", false},
      {"leading TAB", "\tSubject: hi", false},
      {"unlisted field", "Cc: a@b", false},
      {"organization", "Organization: Foo", false},
      {"no colon", "From a@b Mon Jan  1 12:00:00 2001", false},
      {"name before a later colon", "Subject foo: bar", false},
      {"empty line", "", false},
      {"double-byte name", sj("件名: x"), false},
      {"body text with time", "See you at 12:00", false},
  };
  for (const LineRow& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Header_Check(r.line), r.expected);
  }
}

TEST(CheckHonbun, BlankOrTxtSeparator) {
  struct Row {
    const char* name;
    const char* path;
    const char* line;
    bool expected;
  } rows[] = {
      {"empty", "a.mbx", "", true},
      {"spaces only continue a folded field", "a.mbx", "    ", false},
      {"text", "a.mbx", "x", false},
      {"separator in txt", "dir/a.txt", "--------", true},
      {"separator with spaces in TXT", "dir/a.TXT", "  --------  ", true},
      {"separator in eml", "dir/a.eml", "--------", false},
      {"longer dash line in txt", "a.txt", "---------", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Check_Honbun(r.path, r.line), r.expected);
  }
}
