#include <gtest/gtest.h>

#include "core/common_text.h"
#include "core/vb_error.h"
#include "mail/header_fields.h"

TEST(SplitWorkLine, ReadsTheSevenFields) {
  const WorkFields w =
      Split_Work_Line("2001-01-01 12:00:00\tHello\t\"Taro\" <t@x>\t<a@x>\t<p@x>\t/out/dir/m0000012.htm\t0");
  EXPECT_EQ(w.date, "2001-01-01 12:00:00");
  EXPECT_EQ(w.subject, "Hello");
  EXPECT_EQ(w.sender, "Taro <t@x>");
  EXPECT_EQ(w.message_id, "<a@x>");
  EXPECT_EQ(w.parent_id, "<p@x>");
  EXPECT_EQ(w.page, "m0000012.htm");
  EXPECT_EQ(w.origin, "0");
}

TEST(SplitWorkLine, EmptyFieldsAndBarePageName) {
  const WorkFields w = Split_Work_Line("\t(no subject)\t\t\t\tm0000001.htm\t1");
  EXPECT_EQ(w.date, "");
  EXPECT_EQ(w.sender, "");
  EXPECT_EQ(w.message_id, "");
  EXPECT_EQ(w.page, "m0000001.htm");
  EXPECT_EQ(w.origin, "1");
}

TEST(SplitWorkLine, PageIsCountedInCharacters) {
  // A folder name of double-byte characters before the page name.
  const WorkFields w = Split_Work_Line("d\ts\tf\ti\tp\t" + sj("/表ー") + "/m0000003.htm\t0");
  EXPECT_EQ(w.page, "m0000003.htm");
  // Fewer than 12 characters: the whole field.
  EXPECT_EQ(Split_Work_Line("d\ts\tf\ti\tp\t" + sj("表") + "x\t0").page, sj("表") + "x");
}

// The tail is read from the end of the line; on every line this program
// writes it must give what the whole split gives.
TEST(SplitWorkTail, AgreesWithTheWholeSplit) {
  for (const std::string& line : {
           std::string("2001-01-01 12:00:00\tHello\t\"Taro\" <t@x>\t<a@x>\t<p@x>\t/out/dir/m0000012.htm\t0"),
           std::string("\t\t\t\t\tm0000001.htm\t1"),
           "d\t" + sj("表") + "\tf\ti\tp\t" + sj("/表ー") + "/m0000003.htm\t0",
           std::string("d\ts\tf\ti\tp\t\t"),
       }) {
    SCOPED_TRACE(line);
    const WorkFieldViews v = Split_Work_Views(line);
    const WorkTail t = Split_Work_Tail(line);
    EXPECT_EQ(t.page, v.page);
    EXPECT_EQ(t.origin, v.origin);
  }
  for (const char* line : {"", "only one", "two\tfields", "\tpage"}) {
    SCOPED_TRACE(line);
    EXPECT_THROW(Split_Work_Tail(line), VbError);
  }
  EXPECT_EQ(Split_Work_Tail("\tm1.htm\t1").page, "m1.htm");
}

TEST(SplitWorkLine, FewerThanSevenFieldsIsIndexError) {
  for (const char* line : {"", "a\tb\tc\td\te\tf", "only one"}) {
    SCOPED_TRACE(line);
    try {
      Split_Work_Line(line);
      FAIL() << "no error";
    } catch (const VbError& e) {
      EXPECT_EQ(e.number, 9);
    }
  }
}
