#include "archive/page_head.h"

#include <gtest/gtest.h>

#include "archive/archive_state.h"
#include "archive/message_page.h"
#include "archive/restyle_pages.h"
#include "archive_fixture.h"

namespace {

TEST(PageHead, HeadLinesAsEveryPageHasThem) {
  Settings set;
  set.BGR_COL = "#ffffff";
  set.TXT_COL = "#000000";
  set.LNK_COL = "#0000ff";
  set.VLK_COL = "#800080";
  const std::string start =
      "<HTML>\r\n<HEAD>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n";
  const std::string body =
      "<BODY BGCOLOR=\"#ffffff\" TEXT=\"#000000\" LINK=\"#0000ff\" VLINK=\"#800080\" ALINK=\"#000000\">\r\n";
  const struct {
    const char* name;
    std::string title;
    TitleEnd end;
    bool with_body;
    std::string head;
  } rows[] = {
      {"message page", "a<b>&c", TitleEnd::NextLine, true,
       start + "<TITLE>a&lt;b&gt;&amp;c\r\n</TITLE>\r\n</HEAD>\r\n" + body},
      {"menu", " MENU", TitleEnd::NextLine, true, start + "<TITLE> MENU\r\n</TITLE>\r\n</HEAD>\r\n" + body},
      {"ranking", "x", TitleEnd::SameLine, true, start + "<TITLE>x</TITLE>\r\n</HEAD>\r\n" + body},
      {"frameset", "y", TitleEnd::SameLine, false, start + "<TITLE>y</TITLE>\r\n</HEAD>\r\n"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(page_head(r.title, r.end, r.with_body ? &set : nullptr), r.head);
    std::string appended = "kept";
    put_page_head(appended, r.title, r.end, r.with_body ? &set : nullptr);
    EXPECT_EQ(appended, "kept" + r.head);
  }
}

// Restyling finds the tags a page was written with: a page of one look,
// restyled to another, is the page written in that look.
TEST(PageHead, RestyledPageIsThePageWrittenInTheNewLook) {
  const struct {
    const char* name;
    void (*change)(Settings&);
  } rows[] = {
      {"nothing", [](Settings&) {}},
      {"background", [](Settings& s) { s.BGR_COL = "#000000"; }},
      {"text and links", [](Settings& s) { s.TXT_COL = s.LNK_COL = s.VLK_COL = "#123456"; }},
      {"font size", [](Settings& s) { s.FT_SIZE = 5; }},
      {"longer quote colour", [](Settings& s) { s.REP_COL = "#ff0000ff"; }},
      {"shorter quote colour", [](Settings& s) { s.REP_COL = "red"; }},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    ArchiveFixture f;
    f.ws.set.KB_SUBJ = f.ws.set.KB_DATE = true;
    PageContent page;
    page.subject = "s";
    page.date = "2004-05-06 07:08:09";
    page.sender = "a";
    page.attachments = attach_list({""});
    for (const char* line : {"text", "> quoted", "> more", "after", ">last"}) page.lines.push_back(line);
    const std::string old_page = render_page(f.ws.set, page);
    r.change(f.ws.set);
    EXPECT_EQ(restyle_page(old_page, f.ws), render_page(f.ws.set, page));
  }
}

TEST(PageHead, PageStyleChangesWithEveryRestyledTag) {
  const struct {
    const char* name;
    void (*change)(Settings&);
    bool restyled;
  } rows[] = {
      {"background", [](Settings& s) { s.BGR_COL = "#000000"; }, true},
      {"text", [](Settings& s) { s.TXT_COL = "#000001"; }, true},
      {"link", [](Settings& s) { s.LNK_COL = "#000001"; }, true},
      {"visited link", [](Settings& s) { s.VLK_COL = "#000001"; }, true},
      {"font size", [](Settings& s) { s.FT_SIZE = 4; }, true},
      {"quote colour", [](Settings& s) { s.REP_COL = "#000001"; }, true},
      {"menu column", [](Settings& s) { s.MN_DATE = !s.MN_DATE; }, false},
      {"header items", [](Settings& s) { s.KB_FROM = !s.KB_FROM; }, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    ArchiveFixture f;
    const std::string before = page_style(f.ws.set);
    r.change(f.ws.set);
    EXPECT_EQ(page_style(f.ws.set) != before, r.restyled);
  }
}

}  // namespace
