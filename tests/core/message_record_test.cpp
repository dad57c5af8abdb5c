#include "core/message_record.h"

#include <gtest/gtest.h>

#include <string>

#include "core/common_text.h"
#include "support/record_text.h"

namespace {

TEST(MessageRecord, KeepsTheSevenFields) {
  const MessageRecord r("2001-01-01 12:00:00", "Hello", "\"Taro\" <t@x>", "<a@x>", "<p@x>", "/out/dir/m0000012.htm",
                        "0");
  EXPECT_EQ(r.date(), "2001-01-01 12:00:00");
  EXPECT_EQ(r.subject(), "Hello");
  EXPECT_EQ(r.sender(), "\"Taro\" <t@x>");
  EXPECT_EQ(r.sender_unquoted(), "Taro <t@x>");
  EXPECT_EQ(r.message_id(), "<a@x>");
  EXPECT_EQ(r.parent_id(), "<p@x>");
  EXPECT_EQ(r.page(), "/out/dir/m0000012.htm");
  EXPECT_EQ(r.page_name(), "m0000012.htm");
  EXPECT_EQ(r.origin(), "0");
  EXPECT_TRUE(r.from_this_run());
}

TEST(MessageRecord, EmptyFieldsAndAnEntryOfAnEarlierRun) {
  const MessageRecord r("", "(no subject)", "", "", "", "m0000001.htm", "1");
  EXPECT_EQ(r.date(), "");
  EXPECT_EQ(r.sender(), "");
  EXPECT_EQ(r.message_id(), "");
  EXPECT_EQ(r.parent_id(), "");
  EXPECT_EQ(r.page_name(), "m0000001.htm");
  EXPECT_EQ(r.origin(), "1");
  EXPECT_FALSE(r.from_this_run());
  const MessageRecord blank;
  EXPECT_EQ(blank.date(), "");
  EXPECT_EQ(blank.origin(), "");
}

TEST(MessageRecord, PageNameIsCountedInCharacters) {
  // A folder name of double-byte characters before the page name.
  EXPECT_EQ(MessageRecord("d", "s", "f", "i", "p", sj("/表ー") + "/m0000003.htm", "0").page_name(), "m0000003.htm");
  // Fewer than 12 characters: the whole field.
  EXPECT_EQ(MessageRecord("d", "s", "f", "i", "p", sj("表") + "x", "0").page_name(), sj("表") + "x");
}

// No field may hold the separator of the order text or a line break: they
// are dropped, and the other fields stay where they were.
TEST(MessageRecord, DropsTabsAndLineBreaksFromEveryField) {
  const MessageRecord r("d\t1", "a\r\nb", "\tf", "<i\n>", "p\r", "m\t1.htm", "0\t");
  EXPECT_EQ(Record_Text(r), "d1\tab\tf\t<i>\tp\tm1.htm\t0");
  // A double-byte character whose second byte is no TAB keeps its bytes.
  const std::string so = sj("ソ表");
  EXPECT_EQ(MessageRecord(so, so, so, so, so, so, so).subject(), so);
}

// The order text is the fields in turn with a TAB between them, so that a
// record sorts by its date first, then its subject and so on; an empty field
// sorts before any text.
TEST(MessageRecord, OrderTextIsTheFieldsInTurn) {
  const struct Row {
    const char* name;
    MessageRecord record;
    std::string text;
  } rows[] = {
      {"full", MessageRecord("2004", "s", "f", "<i>", "<p>", "m1.htm", "0"), "2004\ts\tf\t<i>\t<p>\tm1.htm\t0"},
      {"all empty", MessageRecord("", "", "", "", "", "", ""), "\t\t\t\t\t\t"},
      {"empty subject", MessageRecord("2004", "", "f", "", "", "m2.htm", "1"), "2004\t\tf\t\t\tm2.htm\t1"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.record.order_text(), r.text);
    EXPECT_EQ(Record_Of(r.text), r.record);
  }
}

// Records are copied into the lists of a run and moved out of work_list: a
// copy owns its own text, and a record moved from reads as empty fields.
TEST(MessageRecord, CopiesAndMovesKeepTheFields) {
  const std::string text = "2004\ts\tf\t<i>\t<p>\tm1.htm\t0";
  MessageRecord a("2004", "s", "f", "<i>", "<p>", "m1.htm", "0");
  MessageRecord copy(a);
  EXPECT_EQ(copy.order_text(), text);
  EXPECT_NE(copy.order_text().data(), a.order_text().data());
  MessageRecord assigned("x", "", "", "", "", "", "");
  assigned = copy;
  EXPECT_EQ(assigned.order_text(), text);
  const MessageRecord& same = assigned;
  assigned = same;  // onto itself
  EXPECT_EQ(assigned.message_id(), "<i>");

  MessageRecord moved(std::move(a));
  EXPECT_EQ(moved.order_text(), text);
  EXPECT_EQ(a.date(), "");
  EXPECT_EQ(a.subject(), "");
  EXPECT_EQ(a.origin(), "");
  EXPECT_EQ(a.order_text(), "");
  MessageRecord target("y", "", "", "", "", "", "1");
  target = std::move(moved);
  EXPECT_EQ(target.page(), "m1.htm");
  EXPECT_EQ(target.origin(), "0");
  EXPECT_EQ(moved.parent_id(), "");
  // A copy of a record moved from is one too.
  EXPECT_EQ(MessageRecord(moved).sender(), "");
}

}  // namespace
