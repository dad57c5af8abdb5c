// Reading a message page back into the text the search index takes from it:
// pages as the page writer makes them, then changed by the later passes
// (thread lists, links to the neighbours, a restyle), give back the body
// lines, the header's subject and sender and the files' names they were
// made of.
#include "archive/search_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/message_page.h"
#include "archive/page_links.h"
#include "archive/restyle_pages.h"
#include "archive/thread_lists.h"
#include "codec/cp932.h"
#include "core/workspace.h"
#include "support/run_defaults.h"

namespace {

std::string S(const std::string& utf8) { return cp932::from_utf8(utf8); }

std::vector<std::string> Lines_Of(const TextLines& lines) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < lines.size(); ++i) out.emplace_back(lines[i]);
  return out;
}

std::vector<std::string> Names_Of(const AttachList& list) {
  std::vector<std::string> out;
  for (std::size_t k = 1; k < list.size(); ++k) out.push_back(*list[k]);
  return out;
}

struct Case {
  const char* name;
  std::vector<std::string> lines;
  std::vector<std::string> files;
  // A body that starts like a header block reads as one where the page has
  // none: only the header in front of it tells them apart.
  bool header_only = false;
};

const std::vector<Case> kCases = {
    {"plain", {S("本文です。"), "second line"}, {}},
    {"markup_characters", {"a <b> & c &amp; d", S("&#9312; stays a reference")}, {"x&y <1>.txt"}},
    {"quotes_and_their_end",
     {"> quoted", "| quoted too", "", "after", "> again", ""},
     {S("資料.pdf"), "b.txt", "c.txt", "d.txt"}},
    {"looks_like_header", {"TITLE: not the header", std::string(50, '-'), "text"}, {}, true},
    {"ends_like_a_list", {"body", "", std::string(30, '-'), "one line"}, {}},
    {"empty_body", {}, {"only.bin"}},
};

TEST(SearchPages, APageGivesBackWhatItWasMadeOf) {
  for (const bool header : {true, false}) {
    for (const Case& c : kCases) {
      if (c.header_only && !header) continue;
      SCOPED_TRACE(std::string(c.name) + (header ? ", with header" : ", without header"));
      SilentUi ui;
      Workspace ws(ui);
      ws.set = written_run_defaults();
      ws.set.KB_SUBJ = ws.set.KB_FROM = ws.set.KB_DATE = header;
      PageContent page;
      for (const std::string& l : c.lines) page.lines.push_back(l);
      page.subject = S("件名 <会議>");
      page.sender = "Taro <taro@example.jp>";
      page.date = "2004-01-05 10:00:00";
      std::vector<std::string> names = {""};
      names.insert(names.end(), c.files.begin(), c.files.end());
      page.attachments = attach_list(names);
      const std::string bytes = render_page(ws.set, page);

      // As written, with a thread list, with links to the neighbours, restyled.
      const std::vector<ThreadEntry> thread = {
          {"m0000001.htm", "<A HREF=\"m0000001.htm\">first</A>", "first"},
          {"m0000002.htm", S("└<A HREF=\"m0000002.htm\">second</A>"), S("└second")},
      };
      const std::string nav = nav_line({"m0000001.htm", "", "", "m0000003.htm"});
      ws.set.NAV_LNK = true;
      ws.set.FT_SIZE = 4;
      const struct {
        const char* how;
        std::string bytes;
      } forms[] = {
          {"as written", bytes},
          {"thread list", with_thread_list(bytes, thread, 1, false)},
          {"links", with_nav_lines(with_thread_list(bytes, thread, 0, false), &nav)},
          {"restyled", restyle_page(with_nav_lines(bytes, &nav), ws)},
      };
      for (const auto& f : forms) {
        SCOPED_TRACE(f.how);
        const std::optional<PageText> text = read_page_text(f.bytes);
        ASSERT_TRUE(text);
        std::vector<std::string> want = c.lines;
        // A thread list takes the place of the body's empty lines at its end.
        if (std::string(f.how) == "thread list" || std::string(f.how) == "links")
          while (!want.empty() && want.back().empty() && c.files.empty()) want.pop_back();
        EXPECT_EQ(Lines_Of(text->lines), want);
        EXPECT_EQ(Names_Of(text->attachments), c.files);
        EXPECT_EQ(text->subject.has_value(), header);
        EXPECT_EQ(text->sender.has_value(), header);
        if (header) {
          EXPECT_EQ(*text->subject, S("件名 <会議>"));
          EXPECT_EQ(*text->sender, "Taro <taro@example.jp>");
        }
      }
    }
  }
}

TEST(SearchPages, OtherBytesAreNoPage) {
  for (const char* bytes : {"", "<HTML><BODY>text</BODY></HTML>", "<PRE>\r\nno end\r\n"}) {
    SCOPED_TRACE(bytes);
    EXPECT_FALSE(read_page_text(bytes));
  }
}

}  // namespace
