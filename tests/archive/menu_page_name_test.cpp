// A menu entry is read only when its page name is "m" + 7 digits + ".htm":
// the reader once took any four characters after the digits, so an entry
// naming "m0000006/.ht" gave a work_list page below a folder of that name,
// which the append run then looked for and wrote to.
#include <gtest/gtest.h>

#include <string>

#include "archive/menu_reader.h"
#include "archive_fixture.h"
#include "core/vb_error.h"

namespace {

std::string Entry(const std::string& page) {
  return "<A HREF=\"" + page +
         "\" target=\"frame2\" title=\"A <a@x>\">alpha<!-- Message-ID:<a@x> / In-Reply-To: / Subject_Len:5 / "
         "From_Data:A <a@x> / Date_Data:2004-01-05 10:20:00 / Subj_Data:alpha--></A>";
}

TEST(MenuPageName, OnlyDigitsAndHtmForm) {
  struct Row {
    const char* name;
    std::string page;
    bool read;
  } rows[] = {
      {"written_form", "m0000006.htm", true},     {"slash_into_a_folder", "m0000006/.ht", false},
      {"parent_folder", "m0000001/../", false},   {"double_byte_tail", "m0000001" + sj("表示") + ".h", false},
      {"other_extension", "m0000001.txt", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ArchiveFixture f;
    if (r.read) {
      const MessageRecord record = read_menu_line(f.ws, Entry(r.page));
      EXPECT_EQ(record.page(), r.page);
      EXPECT_EQ(record.origin(), "1");
    } else {
      EXPECT_THROW(read_menu_line(f.ws, Entry(r.page)), VbError);
    }
  }
}

// The whole reader stops at such an entry and reports it.
TEST(MenuPageName, ReadMenuStopsAtASlashInThePageName) {
  ArchiveFixture f;
  f.out.write("menu.html", Entry("m0000001.htm") + "\r\n" + Entry("m0000002/.ht") + "\r\n");
  EXPECT_FALSE(Read_Menu(f.ws, f.records, f.out.path()));
  ASSERT_EQ(f.ws.work_list.count(), 1u);
  EXPECT_EQ(f.ws.work_list.at(0).page(), "m0000001.htm");
  EXPECT_EQ(f.ui.messages.size(), 1u);
}

}  // namespace
