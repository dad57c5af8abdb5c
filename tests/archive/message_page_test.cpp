#include "archive/message_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>

#include "archive_fixture.h"
#include "core/page_writer.h"
#include "core/vb_error.h"

namespace {

using Lines = std::vector<std::string>;

const Lines kPageHead = {"<HTML>", "<HEAD>",
                         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"};
const Lines kPageTail = {"</FONT>", "</PRE>", "</BODY>", "</HTML>"};

struct PageFixture : ArchiveFixture {
  PageFixture() {
    ws.set.KB_SUBJ = false;
    ws.set.KB_FROM = false;
    ws.set.KB_DATE = false;
  }
  // Writes m0000001.htm from UTF-8 body lines and returns its lines.
  Lines page(const Lines& body, const std::string& subject = "s", const std::string& date = "2004-05-06 07:08:09",
             const std::string& sender = "a <b>", const Lines& attachments = {""}) {
    ws.out_buf.clear();
    for (const std::string& l : body) ws.out_buf.push_back(sj(l));
    Lines att;
    for (const std::string& a : attachments) att.push_back(sj(a));
    Make_Page(ws, nullptr, out / "m0000001.htm", sj(subject), sj(date), sj(sender), attach_list(att));
    return lines("m0000001.htm");
  }
  // The lines between "<FONT SIZE=2>" and the page's closing "</FONT>".
  static Lines inner(const Lines& page) {
    auto start = std::find(page.begin(), page.end(), "<FONT SIZE=2>");
    if (start == page.end() || page.size() < 4) return {"(no font line)"};
    return Lines(start + 1, page.end() - 4);
  }
};

TEST(CheckReply, QuoteMarkersAndTheirExceptions) {
  struct Row {
    const char* name;
    const char* line;
    const char* marks;
    bool quote;
  } rows[] = {
      {"marker_first", "> b", ">|", true},
      {"second_marker", "| b", ">|", true},
      {"leading_spaces_removed", "   > x", ">|", true},
      {"tag_never_quote", "<tag>", "<>", false},
      {"tag_after_spaces_never_quote", "  <tag>", "<", false},
      {"ideographic_space_not_removed", "　> x", ">|", false},
      {"no_marker", "plain", ">|", false},
      {"empty_markers", "> b", "", false},
      {"empty_line", "", ">|", false},
      {"double_byte_marker", "＞引用", "＞", true},
      // ー is 0x81 0x5B: its second byte must not count as "[".
      {"trail_byte_not_bracket", "ー[", "[", false},
      // 表 is 0x95 0x5C, ポ 0x83 0x7C: neither is "\" or "|".
      {"trail_byte_not_pipe", "ポ", "|", false},
      {"marker_is_whole_character", "\\x", "表", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Check_Reply(sj(r.line), sj(r.marks)), r.quote);
  }
}

// The reader hands over only the text a page shows: every line of the
// buffer is body, whatever it begins with.
TEST(MakePage, WholeBufferIsTheBody) {
  struct Row {
    const char* name;
    Lines buf;
    Lines body;
  } rows[] = {
      {"plain_message", {"a", "", "b"}, {"a", "", "b"}},
      {"lines_that_look_like_part_headers",
       {"Content-Type: text/plain", "", "hello", "--b", "content-type: text/html; x"},
       {"Content-Type: text/plain", "", "hello", "--b", "content-type: text/html; x"}},
      {"ampersands_shown_as_written", {"&nbsp; &amp; a&b", "J&#248;rn"}, {"&amp;nbsp; &amp;amp; a&amp;b", "J&#248;rn"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    PageFixture f;
    EXPECT_EQ(PageFixture::inner(f.page(r.buf)), r.body);
  }
}

TEST(MakePage, WholePageWithHeaderBlock) {
  PageFixture f;
  f.ws.set.KB_SUBJ = f.ws.set.KB_FROM = f.ws.set.KB_DATE = true;
  f.ws.set.FT_SIZE = 3;
  Lines page = f.page({"本文です", "> 引用"}, "件名", "2004-05-06 07:08:09", "Alpha <alpha>");
  Lines expected = kPageHead;
  expected.insert(expected.end(),
                  {"<TITLE>件名", "</TITLE>", "</HEAD>",
                   "<BODY BGCOLOR=\"#ffffff\" TEXT=\"#000000\" LINK=\"#0000ff\" VLINK=\"#800080\" ALINK=\"#000000\">",
                   "<PRE>", "<FONT SIZE=3>", "TITLE: 件名", "FROM : Alpha &lt;alpha&gt;", "DATE : 2004-05-06 07:08:09",
                   std::string(50, '-'), "本文です", "<FONT COLOR=\"#007f00\">&gt; 引用"});
  expected.insert(expected.end(), kPageTail.begin(), kPageTail.end());
  EXPECT_EQ(page, expected);
  EXPECT_TRUE(f.ws.out_buf.empty());
}

TEST(MakePage, HeaderSwitchesKeepTheirOrder) {
  struct Row {
    const char* name;
    bool subj, from, date;
    Lines header;
  } rows[] = {
      {"all_off_no_rule", false, false, false, {}},
      {"date_only", false, false, true, {"DATE : 2004-05-06 07:08:09", std::string(50, '-')}},
      {"from_and_subject", true, true, false, {"TITLE: s", "FROM : a &lt;b&gt;", std::string(50, '-')}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    PageFixture f;
    f.ws.set.KB_SUBJ = r.subj;
    f.ws.set.KB_FROM = r.from;
    f.ws.set.KB_DATE = r.date;
    f.ws.set.KB_TOTO = true;  // changes nothing on the page
    Lines want = r.header;
    want.push_back("body");
    EXPECT_EQ(PageFixture::inner(f.page({"body"})), want);
  }
}

TEST(MakePage, QuoteBlocksColouredAndEscaped) {
  PageFixture f;
  EXPECT_EQ(PageFixture::inner(f.page({"a", "> b", "> c", "d", "   > x", "<tag>", "| y"})),
            (Lines{"a", "<FONT COLOR=\"#007f00\">&gt; b", "&gt; c", "</FONT>d", "<FONT COLOR=\"#007f00\">   &gt; x",
                   "</FONT>&lt;tag&gt;", "<FONT COLOR=\"#007f00\">| y"}));
}

TEST(MakePage, AttachmentLinksThreeToALine) {
  const std::string gap = "　";
  auto link = [&](const std::string& n) { return "<A HREF=\"" + n + "\" target=\"_new\">[" + n + "]</A>" + gap; };
  struct Row {
    const char* name;
    bool te_file;
    Lines attachments;
    Lines tail;
  } rows[] = {
      {"four_names",
       true,
       {"", "a.txt", "b.pdf", "c.zip", "表.doc"},
       {"", link("a.txt") + link("b.pdf") + link("c.zip"), link("表.doc")}},
      {"one_name", true, {"", "a.txt"}, {"", link("a.txt")}},
      {"placeholder_only", true, {""}, {}},
      {"no_array", true, {}, {}},
      {"switched_off", false, {"", "a.txt"}, {}},
      {"name_cannot_leave_attribute",
       true,
       {"", "x\"><b>#1?%&.txt"},
       {"", "<A HREF=\"x%22><b>%231%3F%25&amp;.txt\" target=\"_new\">[x\"&gt;&lt;b&gt;#1?%&amp;.txt]</A>" + gap}},
      // The browser reads the reference as the character the file is named by.
      {"reference_kept", true, {"", "J&#248;rn.pdf"}, {"", link("J&#248;rn.pdf")}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    PageFixture f;
    f.ws.set.TE_FILE = r.te_file;
    Lines want{"body"};
    want.insert(want.end(), r.tail.begin(), r.tail.end());
    EXPECT_EQ(PageFixture::inner(f.page({"body"}, "s", "", "a", r.attachments)), want);
  }
}

TEST(MakePage, MessageWithoutBodyStillGetsItsPage) {
  PageFixture f;
  f.ws.set.KB_SUBJ = true;
  Lines page = f.page({}, "only a subject");
  EXPECT_EQ(PageFixture::inner(page), (Lines{"TITLE: only a subject", std::string(50, '-')}));
  EXPECT_EQ(page.back(), "</HTML>");
}

TEST(MakePage, BlankPathWritesNothingAndKeepsBuffer) {
  PageFixture f;
  f.ws.out_buf = {"line"};
  Make_Page(f.ws, nullptr, "   ", "s", "", "a", attach_list({""}));
  EXPECT_EQ(f.ws.out_buf, (TextLines{"line"}));
  EXPECT_TRUE(std::filesystem::is_empty(f.out.path()));
}

TEST(MakePage, SubjectAndSenderCannotInjectMarkup) {
  PageFixture f;
  f.ws.set.KB_SUBJ = f.ws.set.KB_FROM = true;
  Lines page = f.page({"x"}, "</TITLE><script>表</script>", "", "<img src=x onerror=y>");
  EXPECT_EQ(page[3], "<TITLE>&lt;/TITLE&gt;&lt;script&gt;表&lt;/script&gt;");
  EXPECT_EQ(page[9], "TITLE: &lt;/TITLE&gt;&lt;script&gt;表&lt;/script&gt;");
  EXPECT_EQ(page[10], "FROM : &lt;img src=x onerror=y&gt;");
}

TEST(MakePage, DateRenderedByPattern) {
  struct Row {
    const char* name;
    const char* pattern;
    const char* date;
    const char* shown;
  } rows[] = {
      {"stamp_default_pattern", "yyyy-mm-dd hh:nn:ss", "2004-05-06 07:08:09", "DATE : 2004-05-06 07:08:09"},
      {"stamp_other_pattern", "yyyy/mm/dd hh:nn", "2004-05-06 07:08:09", "DATE : 2004/05/06 07:08"},
      {"raw_date_as_it_is", "yyyy/mm/dd", "sometime <soon>", "DATE : sometime &lt;soon&gt;"},
      {"empty_date", "yyyy/mm/dd", "", "DATE : "},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    PageFixture f;
    f.ws.set.KB_DATE = true;
    f.ws.set.DAT_FMT = r.pattern;
    EXPECT_EQ(PageFixture::inner(f.page({}, "s", r.date))[0], r.shown);
  }
}

TEST(MakePage, ExistingPageReplacedNotAppended) {
  PageFixture f;
  f.out.write("m0000001.htm", std::string(5000, 'x') + "\r\nold line\r\n");
  Lines page = f.page({"new"});
  EXPECT_EQ(PageFixture::inner(page), (Lines{"new"}));
  EXPECT_EQ(page.front(), "<HTML>");
  EXPECT_EQ(std::count(page.begin(), page.end(), "old line"), 0);
}

TEST(MakePage, UnwritablePageThrowsToCaller) {
  PageFixture f;
  f.ws.out_buf = {"x"};
  EXPECT_THROW(Make_Page(f.ws, nullptr, f.out / "missing/m0000001.htm", "s", "", "a", attach_list({""})), VbError);
}

// While the page writer is behind the walk, the walk renders a page itself
// only where nothing queued before can change it: a page linking an
// attachment waits for the job that saves the attachment (here, saving it
// under another name), a page linking none comes out as it would anyway.
TEST(MakePage, AWriterBehindTheWalkLeavesAPageWithAttachmentsToItsTurn) {
  PageFixture f;
  f.ws.set.TE_FILE = true;
  const Lines plain = f.page({"本文", "> 引用"}, "件名", "2004-05-06 07:08:09", "山田 <y@example.jp>");
  std::filesystem::remove(f.out / "m0000001.htm");

  AttachList attachments = attach_list({"", "budget.pdf"});
  std::promise<void> gate;
  PageWriter writer;
  // A job holding the writer, big enough to put it behind.
  writer.run(
      [saved = attachments[1], open = gate.get_future().share()] {
        open.wait();
        *saved = "budget1.pdf";
      },
      std::size_t{8} << 20);
  ASSERT_TRUE(writer.behind());
  for (const char* l : {"本文", "> 引用"}) f.ws.out_buf.push_back(sj(l));
  Make_Page(f.ws, &writer, f.out / "m0000001.htm", sj("件名"), sj("2004-05-06 07:08:09"), sj("山田 <y@example.jp>"),
            attach_list({""}));
  f.ws.out_buf.push_back(sj("添付あり"));
  Make_Page(f.ws, &writer, f.out / "m0000002.htm", sj("s"), "", sj("a"), attachments);
  gate.set_value();
  writer.finish();
  EXPECT_FALSE(writer.behind());

  EXPECT_EQ(f.lines("m0000001.htm"), plain);
  const Lines second = f.lines("m0000002.htm");
  EXPECT_NE(std::find_if(second.begin(), second.end(),
                         [](const std::string& l) { return l.find("[budget1.pdf]") != std::string::npos; }),
            second.end());
}

}  // namespace
