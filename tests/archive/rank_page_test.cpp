#include "archive/rank_page.h"

#include <gtest/gtest.h>

#include "core/workspace.h"
#include "support/record_text.h"
#include "support/temp_dir.h"

namespace {

std::string work_line(const std::string& sender, int n) {
  return "2004-01-01 00:00:0" + std::to_string(n % 10) + "\ts\t" + sender + "\t<id" + std::to_string(n) +
         ">\t\tm000000" + std::to_string(n % 10) + ".htm\t0";
}

const char kCharset[] = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">";

std::string head() {
  return "<HTML>\r\n<HEAD>\r\n" + std::string(kCharset) +
         "\r\n<TITLE>\x94\xAD\x90\x4D\x90\x94\x83\x89\x83\x93\x83\x4C\x83\x93\x83\x4F</TITLE>\r\n"
         "</HEAD>\r\n<BODY BGCOLOR=\"#ffffff\" TEXT=\"#000000\" LINK=\"#0000ff\" VLINK=\"#0000ff\" "
         "ALINK=\"#000000\">\r\n"
         "<FONT SIZE=2>\r\n<TABLE BORDER=1>\r\n  <TR>\r\n"
         "    <TD ALIGN=center>\x94\xAD\x90\x4D\x8E\xD2</TD>\r\n"
         "    <TD ALIGN=center>\x94\xAD\x8C\xBE\x90\x94</TD>\r\n"
         "    <TD ALIGN=center>\x8A\x84\x8D\x87</TD>\r\n"
         "    <TD ALIGN=center>\x83\x4F\x83\x89\x83\x74</TD>\r\n  </TR>\r\n";
}

std::string row(const std::string& sender, int count, const std::string& share, const std::string& bar) {
  return "  <TR>\r\n    <TD WIDTH=5%>" + sender + "</TD>\r\n    <TD><DIV ALIGN=right>" + std::to_string(count) +
         "</DIV></TD>\r\n    <TD><DIV ALIGN=right>" + share +
         "</DIV></TD>\r\n    <TD WIDTH=95%><HR noshade ALIGN=left SIZE=8 WIDTH=" + bar + "%></TD>\r\n  </TR>\r\n";
}

struct Fixture {
  TempDir out;
  SilentUi ui;
  Workspace ws{ui};
  Fixture() {
    ws.set.BGR_COL = "#ffffff";
    ws.set.TXT_COL = "#000000";
    ws.set.LNK_COL = "#0000ff";
    ws.set.VLK_COL = "#0000ff";
    ws.set.FT_SIZE = 2;
  }
  std::string rank(const std::vector<std::string>& senders) {
    int n = 0;
    for (const std::string& s : senders) ws.work_list.add(Record_Of(work_line(s, n++)));
    EXPECT_TRUE(Address_Count(ws, out.path()));
    return out.read("rank_hyo.htm");
  }
};

TEST(RankPage, CountsSharesBarsAndTieOrder) {
  Fixture f;
  EXPECT_EQ(f.rank({"A", "B", "A", "C", "A"}), head() + row("A", 3, "60.0", "100") + row("C", 1, "20.0", "33.33333") +
                                                   row("B", 1, "20.0", "33.33333") + "</TABLE>\r\n</HTML>\r\n");
}

TEST(RankPage, SendersDifferingInCaseAreCountedApartButEachOnce) {
  Fixture f;
  std::string page = f.rank({"Alpha <a>", "alpha <a>", "Alpha <a>", "alpha <a>", "Alpha <a>"});
  EXPECT_EQ(page, head() + row("Alpha &lt;a&gt;", 3, "60.0", "100") + row("alpha &lt;a&gt;", 2, "40.0", "66.66666") +
                      "</TABLE>\r\n</HTML>\r\n");
}

TEST(RankPage, QuotesRemovedAndEveryMessageCounted) {
  Fixture f;
  std::string page = f.rank({"\"Bob\" <b>", "Bob <b>", "Carol"});
  EXPECT_NE(page.find(row("Bob &lt;b&gt;", 2, "66.7", "100")), std::string::npos);
  EXPECT_NE(page.find(row("Carol", 1, "33.3", "50")), std::string::npos);
}

TEST(RankPage, HeadDeclaresTheCharacterSet) {
  Fixture f;
  const std::string page = f.rank({"A"});
  EXPECT_TRUE(page.starts_with(std::string("<HTML>\r\n<HEAD>\r\n") + kCharset + "\r\n<TITLE>")) << page;
  EXPECT_EQ(page.find(kCharset), page.rfind(kCharset)) << "written once";
}

TEST(RankPage, EmptyArchiveGivesHeaderOnly) {
  Fixture f;
  EXPECT_EQ(f.rank({}), head() + "</TABLE>\r\n</HTML>\r\n");
}

}  // namespace
