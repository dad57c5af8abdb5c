#include "archive/thread_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "archive/archive_records.h"
#include "core/workspace.h"
#include "support/record_text.h"
#include "support/temp_dir.h"

namespace {

const std::string kBranch = "\x84\xA4";  // └
const std::string kSpace = "\x81\x40";   // ideographic space
const std::string kRule(30, '-');
const std::string kClose = "</FONT>\r\n</PRE>\r\n</BODY>\r\n</HTML>\r\n";

std::string page(const std::string& body) { return "<HTML>\r\n<BODY>\r\n<PRE>\r\n<FONT SIZE=2>\r\n" + body + kClose; }

std::string menu_line(const std::string& marks, int n, const std::string& visible) {
  std::string p = "m000000" + std::to_string(n) + ".htm";
  return marks + "<A HREF=\"" + p + "\" target=\"frame2\" title=\"A <a@x>\">" + visible + "<!-- Message-ID:<" +
         std::to_string(n) + "> / In-Reply-To: / Subject_Len:1 / From_Data:A <a@x> / Date_Data: / Subj_Data:s--></A>";
}

struct Fixture {
  TempDir out;
  SilentUi ui;
  Workspace ws{ui};
  ArchiveRecords records;  // none from an earlier run
  void menu(const std::vector<std::string>& entries) {
    std::string m = "<HTML>\r\n<PRE>\r\n";
    for (const std::string& e : entries) m += e + "\r\n";
    out.write("menu.html", m + kClose);
  }
};

TEST(ThreadLists, EveryPageOfAThreadGetsTheListWithItsOwnEntryUnlinked) {
  Fixture f;
  for (int n : {1, 2, 3, 4})
    f.out.write("m000000" + std::to_string(n) + ".htm", page("body " + std::to_string(n) + "\r\n\r\n\r\n"));
  f.menu({menu_line("", 1, "root"), menu_line(kBranch, 2, "re"), menu_line(kSpace + kBranch, 3, "re2"), "",
          menu_line("", 4, "alone")});
  Make_ThreadList(f.ws, f.records, f.out.path());
  const std::string list1 = "<A HREF=\"m0000001.htm\">root</A>\r\n";
  const std::string list2 = kBranch + "<A HREF=\"m0000002.htm\">re</A>\r\n";
  const std::string list3 = kSpace + kBranch + "<A HREF=\"m0000003.htm\">re2</A>\r\n";
  const std::string head = "<HTML>\r\n<BODY>\r\n<PRE>\r\n<FONT SIZE=2>\r\n";
  EXPECT_EQ(f.out.read("m0000002.htm"),
            head + "body 2\r\n\r\n" + kRule + "\r\n" + list1 + kBranch + "re\r\n" + list3 + kClose);
  EXPECT_EQ(f.out.read("m0000001.htm"), head + "body 1\r\n\r\n" + kRule + "\r\nroot\r\n" + list2 + list3 + kClose);
  EXPECT_EQ(f.out.read("m0000004.htm"), head + "body 4\r\n\r\n" + kRule + "\r\nalone\r\n" + kClose);
}

TEST(ThreadLists, ARunAgainReplacesTheListInsteadOfStackingOne) {
  Fixture f;
  f.out.write("m0000001.htm", page("body\r\n"));
  f.out.write("m0000002.htm", page("other\r\n"));
  f.menu({menu_line("", 1, "root"), "", menu_line("", 2, "x")});
  Make_ThreadList(f.ws, f.records, f.out.path());
  std::string once = f.out.read("m0000001.htm");
  Make_ThreadList(f.ws, f.records, f.out.path());
  EXPECT_EQ(f.out.read("m0000001.htm"), once);

  // The thread gains a reply: the list is replaced by the longer one.
  f.out.write("m0000003.htm", page("reply\r\n"));
  f.menu({menu_line("", 1, "root"), menu_line(kBranch, 3, "re"), "", menu_line("", 2, "x")});
  Make_ThreadList(f.ws, f.records, f.out.path());
  EXPECT_EQ(f.out.read("m0000001.htm"), "<HTML>\r\n<BODY>\r\n<PRE>\r\n<FONT SIZE=2>\r\nbody\r\n\r\n" + kRule +
                                            "\r\nroot\r\n" + kBranch + "<A HREF=\"m0000003.htm\">re</A>\r\n" + kClose);
}

TEST(ThreadLists, ABodyEndingInARuleIsNeverCut) {
  Fixture f;
  std::string body = "text\r\n\r\n" + kRule + "\r\nsignature line\r\n";
  f.out.write("m0000001.htm", page(body));
  f.menu({menu_line("", 1, "subject")});
  Make_ThreadList(f.ws, f.records, f.out.path());
  EXPECT_EQ(f.out.read("m0000001.htm"),
            "<HTML>\r\n<BODY>\r\n<PRE>\r\n<FONT SIZE=2>\r\n" + body + "\r\n" + kRule + "\r\nsubject\r\n" + kClose);
}

TEST(ThreadLists, QuoteBlockEndLineIsNotThePageEnd) {
  Fixture f;
  f.out.write("m0000001.htm", page("<FONT COLOR=\"#007f00\">&gt; q\r\n</FONT>\r\n"));
  f.menu({menu_line("", 1, "s")});
  Make_ThreadList(f.ws, f.records, f.out.path());
  EXPECT_EQ(f.out.read("m0000001.htm"),
            "<HTML>\r\n<BODY>\r\n<PRE>\r\n<FONT SIZE=2>\r\n<FONT COLOR=\"#007f00\">&gt; q\r\n"
            "</FONT>\r\n\r\n" +
                kRule + "\r\ns\r\n" + kClose);
}

TEST(ThreadLists, SenderWithUnbalancedBracketsInTitle) {
  Fixture f;
  f.out.write("m0000001.htm", page("b\r\n"));
  f.out.write("m0000002.htm", page("c\r\n"));
  std::string m1 = menu_line("", 1, "one"), m2 = menu_line(kBranch, 2, "two");
  for (std::string* m : {&m1, &m2}) m->replace(m->find("A <a@x>"), 7, m == &m1 ? "Name <" : "a>b <c>");
  f.menu({m1, m2});
  Make_ThreadList(f.ws, f.records, f.out.path());
  EXPECT_NE(f.out.read("m0000002.htm").find(kRule + "\r\n<A HREF=\"m0000001.htm\">one</A>\r\n" + kBranch + "two\r\n"),
            std::string::npos);
}

TEST(ThreadLists, PagesOfThisRunChangeInPlaceOlderOnesAreReplacedWhole) {
  Fixture f;
  f.out.write("m0000001.htm", page("old\r\n"));
  f.out.write("m0000002.htm", page("new\r\n"));
  // A second name for each page shows whether the file itself was written
  // or a new file took its name.
  std::filesystem::create_hard_link(f.out / "m0000001.htm", f.out / "old_twin");
  std::filesystem::create_hard_link(f.out / "m0000002.htm", f.out / "new_twin");
  f.ws.work_list.add(Record_Of("d\ts\tA <a@x>\t<1>\t\tm0000001.htm\t1"));     // read back from the menu
  f.ws.work_list.add(Record_Of("d\ts\tA <a@x>\t<2>\t<1>\tm0000002.htm\t0"));  // written by this run
  f.menu({menu_line("", 1, "root"), menu_line(kBranch, 2, "re")});
  Make_ThreadList(f.ws, f.records, f.out.path());
  EXPECT_NE(f.out.read("m0000001.htm").find(kRule), std::string::npos);
  EXPECT_EQ(f.out.read("old_twin"), page("old\r\n")) << "a page of an earlier run is never half changed";
  EXPECT_EQ(f.out.read("new_twin"), f.out.read("m0000002.htm"));
  EXPECT_NE(f.out.read("new_twin").find(kRule), std::string::npos);
}

TEST(ThreadLists, MissingPageIsSkippedWithAWarning) {
  Fixture f;
  f.out.write("m0000002.htm", page("b\r\n"));
  f.out.write("a.txt", "an attachment");
  f.menu({menu_line("", 1, "root"), menu_line(kBranch, 2, "re")});
  Make_ThreadList(f.ws, f.records, f.out.path());
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_NE(f.ui.messages[0].find("m0000001.htm"), std::string::npos);
  EXPECT_NE(f.out.read("m0000002.htm").find(kRule), std::string::npos);
  EXPECT_EQ(f.out.read("a.txt"), "an attachment");
}

TEST(ThreadLists, LongThreadHasNoEntryLimit) {
  Fixture f;
  std::vector<ThreadEntry> thread;
  for (int i = 0; i < 700; ++i) thread.push_back({"p", "<A HREF=\"x\">e</A>", "e"});
  std::string out = with_thread_list(page("b\r\n"), thread, 699);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4 + 1 + 2 + 700 + 4);
}

TEST(ThreadLists, PageLineEndsComeOutAsCrLf) {
  const std::vector<ThreadEntry> thread = {{"m0000001.htm", "<A HREF=\"m0000001.htm\">s</A>", "s"}};
  const std::string want = "<HTML>\r\n<PRE>\r\nbody\r\n\r\n" + kRule + "\r\ns\r\n" + kClose;
  struct Row {
    const char* name;
    std::string page;
  } rows[] = {
      {"crlf", "<HTML>\r\n<PRE>\r\nbody\r\n</FONT>\r\n</PRE>\r\n</BODY>\r\n</HTML>\r\n"},
      {"lf_only", "<HTML>\n<PRE>\nbody\n</FONT>\n</PRE>\n</BODY>\n</HTML>\n"},
      {"lone_cr_in_the_body", "<HTML>\r\n<PRE>\rbody\r\n</FONT>\r\n</PRE>\r\n</BODY>\r\n</HTML>"},
      {"blank_lines_before_the_end_dropped", "<HTML>\r\n<PRE>\r\nbody\r\n \r\n\r\n</FONT>\r\n</PRE>"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(with_thread_list(r.page, thread, 0), want);
  }
  EXPECT_EQ(with_thread_list("<HTML>\r\nno end\r\n", thread, 0), "<HTML>\r\nno end\r\n");
}

TEST(ThreadLists, NoMenuDoesNothing) {
  Fixture f;
  Make_ThreadList(f.ws, f.records, f.out.path());
  EXPECT_TRUE(f.ui.messages.empty());
}

}  // namespace
