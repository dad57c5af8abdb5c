// A message body that ends in an empty line, a rule of 30 hyphens and a line
// equal to the page's own entry text looks exactly like a thread list of one
// entry. On a page this run wrote there is no list yet: the body must stay
// whole and the list go after it. Restyling never looks at such lines.
#include <gtest/gtest.h>

#include <string>

#include "archive/archive_records.h"
#include "archive/restyle_pages.h"
#include "archive/thread_lists.h"
#include "core/workspace.h"
#include "support/record_text.h"
#include "support/temp_dir.h"

namespace {

const std::string kBranch = "\x84\xA4";  // └
const std::string kRule(30, '-');
const std::string kClose = "</FONT>\r\n</PRE>\r\n</BODY>\r\n</HTML>\r\n";
const std::string kHead = "<HTML>\r\n<BODY BGCOLOR=\"#ffffff\">\r\n<PRE>\r\n<FONT SIZE=2>\r\n";

std::string Page(const std::string& body) { return kHead + body + kClose; }

std::string Menu_Line(const std::string& marks, int n, const std::string& visible) {
  const std::string p = "m000000" + std::to_string(n) + ".htm";
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
  // A message of work_list; origin "0" for a page this run wrote.
  void message(int n, const char* origin) {
    ws.work_list.add(
        Record_Of("d\ts\tA <a@x>\t<" + std::to_string(n) + ">\t\tm000000" + std::to_string(n) + ".htm\t" + origin));
  }
};

TEST(RuleEndingBody, AloneInItsThreadKeepsItsBody) {
  const std::string own = "subject(2004-01-05 10:15:00)[A a@x]";
  const struct {
    const char* name;
    std::string body;
  } rows[] = {
      {"rule and own text", "text\r\n\r\n" + kRule + "\r\n" + own + "\r\n"},
      {"only rule and own text", "\r\n" + kRule + "\r\n" + own + "\r\n"},
      {"blank lines after it", "text\r\n\r\n" + kRule + "\r\n" + own + "\r\n\r\n \r\n"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    Fixture f;
    f.out.write("m0000001.htm", Page(r.body));
    f.message(1, "0");
    f.menu({Menu_Line("", 1, own)});
    Make_ThreadList(f.ws, f.records, f.out.path());
    std::string body = r.body;
    while (body.ends_with("\r\n\r\n") || body.ends_with("\r\n \r\n"))
      body.resize(body.rfind("\r\n", body.size() - 3) + 2);
    const std::string listed = kHead + body + "\r\n" + kRule + "\r\n" + own + "\r\n" + kClose;
    EXPECT_EQ(f.out.read("m0000001.htm"), listed);

    // The next run reads the page back: now the list is there, and it is
    // replaced by the same list, not cut into the body nor doubled.
    Fixture g;
    g.out.write("m0000001.htm", listed);
    g.message(1, "1");
    g.menu({Menu_Line("", 1, own)});
    Make_ThreadList(g.ws, g.records, g.out.path());
    EXPECT_EQ(g.out.read("m0000001.htm"), listed);
  }
}

TEST(RuleEndingBody, ReplyOfAThreadKeepsItsBody) {
  Fixture f;
  const std::string own = kBranch + "re";
  const std::string body = "reply\r\n\r\n" + kRule + "\r\n" + own + "\r\n";
  f.out.write("m0000001.htm", Page("root\r\n"));
  f.out.write("m0000002.htm", Page(body));
  f.message(1, "0");
  f.message(2, "0");
  f.menu({Menu_Line("", 1, "root"), Menu_Line(kBranch, 2, "re")});
  Make_ThreadList(f.ws, f.records, f.out.path());
  EXPECT_EQ(f.out.read("m0000002.htm"),
            kHead + body + "\r\n" + kRule + "\r\n<A HREF=\"m0000001.htm\">root</A>\r\n" + own + "\r\n" + kClose);
}

TEST(RuleEndingBody, RestylingChangesOnlyThePageTags) {
  SilentUi ui;
  Workspace ws{ui};
  ws.set.BGR_COL = "#000000";
  ws.set.TXT_COL = ws.set.LNK_COL = ws.set.VLK_COL = "#ffffff";
  ws.set.FT_SIZE = 3;
  ws.set.REP_COL = "#ff0000";
  const std::string body = "text\r\n\r\n" + kRule + "\r\nsubject\r\n";
  const std::string page = Page(body + "\r\n" + kRule + "\r\nsubject\r\n");
  const std::string restyled = restyle_page(page, ws);
  EXPECT_EQ(restyled,
            "<HTML>\r\n<BODY BGCOLOR=\"#000000\" TEXT=\"#ffffff\" LINK=\"#ffffff\" VLINK=\"#ffffff\" "
            "ALINK=\"#000000\">\r\n<PRE>\r\n<FONT SIZE=3>\r\n" +
                body + "\r\n" + kRule + "\r\nsubject\r\n" + kClose);
}

}  // namespace
