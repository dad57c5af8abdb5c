// Page numbers have seven digits. A run that has used m9999999.htm stops
// with an error instead of wrapping round to m0000000 and writing over the
// first pages of the archive.
#include <gtest/gtest.h>

#include <string>

#include "core/common_text.h"
#include "core/vb_error.h"
#include "mailbox_fixture.h"

namespace {

std::string Message(const std::string& id, const std::string& body) {
  return "Date: Mon, 05 Jan 2004 10:15:00 +0900\r\nFrom: A <a@example.jp>\r\nSubject: s " + id + "\r\nMessage-ID: <" +
         id + "@example.jp>\r\n\r\n" + body + "\r\n.\r\n";
}

TEST(PageNumbers, NamesStopAtSevenDigits) {
  EXPECT_EQ(page_name(12), "m0000012.htm");
  EXPECT_EQ(page_name(kLastPage), "m9999999.htm");
  EXPECT_THROW(page_name(kLastPage + 1), VbError);
  EXPECT_THROW(page_name(-1), VbError);

  std::int64_t no = kLastPage - 1;
  EXPECT_EQ(next_page_number(no, "/out"), kLastPage);
  EXPECT_EQ(no, kLastPage);
  try {
    next_page_number(no, "/out");
    ADD_FAILURE() << "no error past the last page";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number, 6);
    EXPECT_TRUE(Contains(e.what(), "/out")) << e.what();
    EXPECT_TRUE(Contains(e.what(), "m9999999.htm")) << e.what();
  }
  EXPECT_EQ(no, kLastPage) << "a refused number is not used up";
}

TEST(PageNumbers, WalkStopsBeforeItWouldWrapOverTheFirstPages) {
  MailboxRun r;
  // The first pages of the archive, which a wrapped number would hit.
  r.tmp.write("out/m0000000.txt", "placeholder");
  r.tmp.write("out/m0000001.htm", "first page");
  r.ws.Mail_No = kLastPage - 1;
  EXPECT_FALSE(r.run_bytes("in.mbx", Message("one", "body one") + Message("two", "body two")));

  EXPECT_TRUE(Contains(r.file("m9999999.htm"), "body one")) << "the last number is still used";
  EXPECT_EQ(r.tmp.read("out/m0000000.txt"), "placeholder");
  EXPECT_EQ(r.tmp.read("out/m0000001.htm"), "first page");
  EXPECT_EQ(r.files(), (std::vector<std::string>{"m0000000.txt", "m0000001.htm", "m9999999.htm"}));
  EXPECT_EQ(r.ws.Mail_No, kLastPage);

  ASSERT_EQ(r.ui.messages.size(), 1u);
  const std::string& box = r.ui.messages[0];
  EXPECT_TRUE(Contains(box, "エラーが発生しました。(File_Syori:6) 処理を中断します。")) << box;
  EXPECT_TRUE(Contains(box, "\r\n" + r.out + ": ")) << "second line names the folder: " << box;
  EXPECT_TRUE(Contains(box, "ページ番号が上限 (m9999999.htm) に達しました")) << box;
}

TEST(PageNumbers, NoPageIsWrittenOnceTheNumbersAreUsedUp) {
  MailboxRun r;
  r.ws.Mail_No = kLastPage;
  EXPECT_FALSE(r.run_bytes("in.mbx", Message("new", "body")));
  EXPECT_TRUE(r.files().empty());
}

}  // namespace
