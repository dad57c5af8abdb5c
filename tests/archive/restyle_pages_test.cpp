#include "archive/restyle_pages.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "archive/archive_records.h"
#include "core/workspace.h"
#include "support/record_text.h"
#include "support/temp_dir.h"

namespace {

const char kOldPage[] =
    "<HTML>\r\n<HEAD>\r\n<TITLE>t\r\n</TITLE>\r\n</HEAD>\r\n"
    "<BODY BGCOLOR=\"#ffffff\" TEXT=\"#000000\" LINK=\"#0000ff\" VLINK=\"#0000ff\" ALINK=\"#000000\">\r\n"
    "<PRE>\r\n<FONT SIZE=2>\r\nbody\r\n<FONT COLOR=\"#007f00\">&gt; x\r\n</FONT>after\r\n</FONT>\r\n</PRE>\r\n"
    "</BODY>\r\n</HTML>\r\n";

struct Fixture {
  TempDir out;
  SilentUi ui;
  Workspace ws{ui};
  ArchiveRecords records;  // none from an earlier run
  Fixture() {
    ws.set.BGR_COL = "#FFFFFF";
    ws.set.TXT_COL = "#000000";
    ws.set.LNK_COL = "#0000ff";
    ws.set.VLK_COL = "#ff0000";
    ws.set.FT_SIZE = 3;
    ws.set.REP_COL = "#ff0000";
  }
  void add(const std::string& page, const char* origin) {
    ws.work_list.add(Record_Of("2004-01-01 00:00:00\ts\tf\t<" + page + ">\t\t" + page + "\t" + origin));
  }
};

ino_t inode(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_ino;
}

TEST(Restyle, OldPagesTakeCurrentColoursAndSize) {
  Fixture f;
  f.out.write("m0000001.htm", kOldPage);
  f.out.write("m0000002.htm", kOldPage);
  f.add("m0000001.htm", "1");
  f.add("m0000002.htm", "0");
  ASSERT_TRUE(Update_Text(f.ws, f.records, f.out.path()));
  EXPECT_EQ(f.out.read("m0000001.htm"),
            "<HTML>\r\n<HEAD>\r\n<TITLE>t\r\n</TITLE>\r\n</HEAD>\r\n"
            "<BODY BGCOLOR=\"#FFFFFF\" TEXT=\"#000000\" LINK=\"#0000ff\" VLINK=\"#ff0000\" ALINK=\"#000000\">\r\n"
            "<PRE>\r\n<FONT SIZE=3>\r\nbody\r\n<FONT COLOR=\"#ff0000\">&gt; x\r\n</FONT>after\r\n</FONT>\r\n</PRE>\r\n"
            "</BODY>\r\n</HTML>\r\n");
  EXPECT_EQ(f.out.read("m0000002.htm"), kOldPage) << "pages of this run are never restyled";
}

TEST(Restyle, QuoteTagOfAnyColourLengthIsReplacedWhole) {
  Fixture f;
  struct Row {
    const char* name;
    const char* line;
  } rows[] = {{"long_colour", "<FONT COLOR=\"#00ff00ff\">&gt; quoted"},
              {"named_colour", "<font color=\"green\">&gt; quoted"},
              {"short_colour", "<FONT COLOR=\"#0f0\">&gt; quoted"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(restyle_page(std::string(r.line) + "\r\n", f.ws), "<FONT COLOR=\"#ff0000\">&gt; quoted\r\n");
  }
}

TEST(Restyle, UnchangedPageIsNotRewritten) {
  Fixture f;
  std::string path = f.out.write("m0000001.htm", kOldPage);
  f.add("m0000001.htm", "1");
  ASSERT_TRUE(Update_Text(f.ws, f.records, f.out.path()));
  std::string once = f.out.read("m0000001.htm");
  ino_t before = inode(path);
  ASSERT_TRUE(Update_Text(f.ws, f.records, f.out.path()));
  EXPECT_EQ(f.out.read("m0000001.htm"), once);
  EXPECT_EQ(inode(path), before);
}

TEST(Restyle, MissingPageIsSkippedWithWarningAndScratchNamesAreFree) {
  Fixture f;
  f.out.write("m0000002.htm", kOldPage);
  f.out.write("update.wrk", "an attachment");
  f.add("m0000001.htm", "1");
  f.add("m0000002.htm", "1");
  ASSERT_TRUE(Update_Text(f.ws, f.records, f.out.path()));
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].find("m0000001.htm"), std::string::npos);
  EXPECT_NE(f.out.read("m0000002.htm"), kOldPage);
  EXPECT_EQ(f.out.read("update.wrk"), "an attachment");
}

}  // namespace
