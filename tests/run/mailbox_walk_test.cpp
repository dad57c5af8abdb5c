// The mailbox walk end to end: messages found, pages written, work_list lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/file_info.h"
#include "core/file_read.h"
#include "core/folder_list.h"
#include "mailbox_fixture.h"

namespace {

struct PageCheck {
  std::string page;
  std::vector<std::string> has, lacks;
};
struct WalkCase {
  std::string file;
  std::vector<std::string> entries;  // subject TAB page, in work_list order
  std::vector<PageCheck> pages;
};

// The rule under a page's header lines, and a page whose body has no line.
const std::string kRule = std::string(50, '-') + "\r\n";
const std::string kNoBodyLine = kRule + "</FONT>";

const std::vector<WalkCase> kWalk = {
    {"one_message.eml",
     {" hello\tm0000001.htm"},
     {{"m0000001.htm", {"TITLE:  hello", "line one\r\nline two\r\n"}, {}}}},
    {"between_text.mbx",
     {" first\tm0000001.htm", " second\tm0000002.htm"},
     {{"m0000001.htm", {"TITLE:  first", "body one"}, {"stray", "body two"}},
      {"m0000002.htm", {"TITLE:  second", "body two"}, {"stray", "body one"}}}},
    {"separator.txt", {" sep\tm0000001.htm"}, {{"m0000001.htm", {"body after rule", "after blank"}, {}}}},
    // Elsewhere the rule is no field: it ends the header block and starts
    // the body.
    {"separator.eml",
     {" sep\tm0000001.htm"},
     {{"m0000001.htm", {"TITLE:  sep", "\n--------\r\nbody after rule\r\n\r\nafter blank\r\n"}, {}}}},
    {"header_in_body.mbx",
     {" outer\tm0000001.htm"},
     {{"m0000001.htm", {"&gt; Subject: quoted", "From: not a new message", "body end"}, {}}}},
    // A plain body is shown whole, whatever its lines begin with.
    {"image_in_body.mbx",
     {" img\tm0000001.htm"},
     {{"m0000001.htm", {"visible\r\nCONTENT-TYPE: IMAGE/GIF\r\nhidden\r\n"}, {}}}},
    // Soft breaks joined; the one on the file's last line joins nothing.
    {"qp_soft_break.mbx",
     {" qp\tm0000001.htm"},
     {{"m0000001.htm", {"\njoined line=\r\nlast soft break\r\n"}, {std::string(1, '\0')}}}},
    {"duplicate_id.mbx", {" second\tm0000001.htm"}, {{"m0000001.htm", {"TITLE:  second", "second body"}, {"first"}}}},
    // A message without body lines still has its page, and its page has no
    // body line, not even an empty one.
    {"no_body_lines.mbx",
     {" empty\tm0000001.htm", " full\tm0000002.htm"},
     {{"m0000001.htm", {"TITLE:  empty", kNoBodyLine}, {"\ntext\r\n", "full"}},
      {"m0000002.htm", {"TITLE:  full", "text"}, {}}}},
    // The file ends inside the last header: each message heads its own page.
    {"ends_in_header.mbx",
     {" complete\tm0000001.htm", " cut off\tm0000002.htm"},
     {{"m0000001.htm", {"TITLE:  complete", "DATE : 2001-01-01 12:00:00", "complete body"}, {"cut off"}},
      {"m0000002.htm", {"TITLE:  cut off", "DATE : 2001-01-02 12:00:00", kNoBodyLine}, {"complete"}}}},
    {"ends_in_header_duplicate.mbx", {" again\tm0000001.htm"}, {{"m0000001.htm", {"TITLE:  again"}, {"complete"}}}},
    {"header_only.mbx", {" lonely\tm0000001.htm"}, {{"m0000001.htm", {"TITLE:  lonely", kNoBodyLine}, {}}}},
    // A line of one blank after the header block: the next line starts the
    // body, the "." ends the message, and the next message is one of its own.
    {"blank_separator.mbx",
     {" one\tm0000001.htm", " three\tm0000003.htm", " two\tm0000002.htm"},
     {{"m0000001.htm", {"TITLE:  one", kRule + "text of one\r\n</FONT>"}, {"text of two", "three"}},
      {"m0000002.htm", {"TITLE:  two", kRule + "text of two\r\n</FONT>"}, {"text of one", "three"}},
      {"m0000003.htm", {"TITLE:  three", kRule + "text of three\r\n</FONT>"}, {"text of one", "text of two"}}}},
    // Blanks and a TAB, a rule (no field outside .txt files), a "." straight
    // after the fields: each header block ends there, no line is lost. An
    // encoded word folded without its blank goes on the Subject.
    {"header_ends_without_separator.mbx",
     {" bare\tm0000003.htm", " plain\tm0000004.htm", " rule\tm0000002.htm", " tab\tm0000001.htm",
      " 山田太郎\tm0000005.htm"},
     {{"m0000001.htm", {"TITLE:  tab", kRule + "after blanks\r\n</FONT>"}, {"rule", "bare"}},
      {"m0000002.htm", {"TITLE:  rule", kRule + "--------\r\nafter rule\r\n\r\nlast of rule\r\n</FONT>"}, {"bare"}},
      {"m0000003.htm", {"TITLE:  bare", kNoBodyLine}, {"plain"}},
      {"m0000004.htm", {"TITLE:  plain", kRule + "plain text\r\n</FONT>"}, {"bare"}},
      {"m0000005.htm", {"TITLE:  山田太郎", kRule + "encoded words\r\n</FONT>"}, {"Message-ID", "=?"}}}},
};

std::string With_Line_Ends(const std::string& crlf, const std::string& end) {
  std::string out;
  for (std::size_t i = 0; i < crlf.size(); ++i) {
    if (crlf.compare(i, 2, "\r\n") == 0) {
      out += end;
      ++i;
    } else {
      out += crlf[i];
    }
  }
  return out;
}

}  // namespace

TEST(FileSyori, WalksSampleMailboxesWithAnyLineEnds) {
  const std::vector<std::pair<std::string, std::string>> ends = {{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}};
  for (const WalkCase& c : kWalk) {
    for (const auto& [end_name, end] : ends) {
      SCOPED_TRACE(c.file + " with " + end_name);
      MailboxRun r;
      ASSERT_TRUE(r.run_bytes(c.file, With_Line_Ends(read_file(MailboxRun::data(c.file)), end)));
      EXPECT_EQ(r.entries(), c.entries);
      EXPECT_EQ(r.ws.Mail_No, static_cast<std::int64_t>(c.entries.size()));
      r.expect_pages_exist();
      std::vector<std::string> pages;
      for (const PageCheck& p : c.pages) {
        pages.push_back(p.page);
        const std::string text = r.file(p.page);
        for (const std::string& s : p.has) EXPECT_TRUE(Contains(text, s)) << p.page << " lacks " << s;
        for (const std::string& s : p.lacks) EXPECT_FALSE(Contains(text, s)) << p.page << " has " << s;
      }
      EXPECT_EQ(r.files(), pages);
      EXPECT_TRUE(r.ui.messages.empty());
    }
  }
}

TEST(FileSyori, WorkListLineHoldsTheSevenFields) {
  MailboxRun r;
  ASSERT_TRUE(r.run_sample("one_message.eml"));
  ASSERT_EQ(r.ws.work_list.count(), 1u);
  EXPECT_EQ(
      Record_Text(r.ws.work_list.at(0)),
      "2001-01-01 12:00:00\t hello\t Alpha <alpha@example.jp>\t<one@example.jp>\t\t" + r.out + "/m0000001.htm\t0");
}

// A message of the dot format ends at a line that is "." with blanks
// around it; a line that only starts with "." or a blank is body text.
TEST(FileSyori, DotLinesEndMessagesOthersAreText) {
  MailboxRun r;
  ASSERT_TRUE(r.run_bytes("dots.mbx",
                          "Subject: one\r\n\r\nbody one\r\n.. twice\r\n. x\r\n .x\r\n\r\n  .  \r\n"
                          "Subject: two\r\n\r\nbody two\r\n .\r\nstray\r\n"
                          "Subject: three\r\n\r\nthree\r\n.\r\n"));
  EXPECT_EQ(r.entries(),
            (std::vector<std::string>{" one\tm0000001.htm", " three\tm0000003.htm", " two\tm0000002.htm"}));
  const std::string one = r.file("m0000001.htm");
  for (const char* line : {"body one\r\n.. twice\r\n. x\r\n .x\r\n"}) EXPECT_TRUE(Contains(one, line)) << one;
  EXPECT_FALSE(Contains(one, "body two"));
  EXPECT_FALSE(Contains(r.file("m0000002.htm"), "stray"));
  EXPECT_TRUE(Contains(r.file("m0000003.htm"), "three"));
}

// The walk, the header decoder and the page writer keep their buffers from
// message to message: a long message with a file and encoded values, then a
// short one with none, then a shorter encoded one. Each page and entry holds
// its own message only.
TEST(FileSyori, EachPageAndEntryHoldsItsOwnMessageOnly) {
  MailboxRun r;
  ASSERT_TRUE(r.run_bytes("three.mbx",
                          "From: =?ISO-2022-JP?B?GyRCJCIkJBsoQg==?= <long.sender@example.jp>\r\n"
                          "Subject: =?ISO-2022-JP?B?GyRCJCIkJBsoQg==?= long subject words\r\n"
                          "Date: Mon, 1 Jan 2001 12:00:00 +0900\r\n"
                          "Message-ID: <first-long-message-id@example.jp>\r\n"
                          "MIME-Version: 1.0\r\n"
                          "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n"
                          "--b\r\nContent-Type: text/plain\r\n\r\nfirst body line one\r\nfirst body line two\r\n"
                          "--b\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
                          "Content-Transfer-Encoding: base64\r\n\r\nQUJD\r\n--b--\r\n.\r\n"
                          "From: b@x\r\nSubject: two\r\nMessage-ID: <2@x>\r\n\r\nshort\r\n.\r\n"
                          "From: =?ISO-2022-JP?B?GyRCJCQbKEI=?= <c@x>\r\nSubject: =?ISO-2022-JP?B?GyRCJCQbKEI=?=\r\n"
                          "Message-ID: <3@x>\r\n\r\nthird\r\n.\r\n"));
  // "GyRCJCIkJBsoQg==" is ESC $ B 0x24 0x22 0x24 0x24 ESC ( B, "GyRCJCQbKEI=" the
  // same for い alone. The list is in date order, undated first.
  ASSERT_EQ(r.ws.work_list.count(), 3u);
  const std::string want[] = {
      "\t two\t b@x\t<2@x>\t\t" + r.out + "/m0000002.htm\t0",
      "\t い\t い <c@x>\t<3@x>\t\t" + r.out + "/m0000003.htm\t0",
      "2001-01-01 12:00:00\t あい long subject words\t あい <long.sender@example.jp>\t"
      "<first-long-message-id@example.jp>\t\t" +
          r.out + "/m0000001.htm\t0",
  };
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(cp932::to_utf8(Record_Text(r.ws.work_list.at(i))), want[i]);
  EXPECT_EQ(r.files(), (std::vector<std::string>{"data.bin", "m0000001.htm", "m0000002.htm", "m0000003.htm"}));

  const std::string one = r.file("m0000001.htm");
  EXPECT_TRUE(Contains(one, "first body line two\r\n")) << one;
  EXPECT_TRUE(Contains(one, "<A HREF=\"data.bin\"")) << one;
  const std::string tail = "\r\n" + kRule + "short\r\n</FONT>\r\n</PRE>\r\n</BODY>\r\n</HTML>\r\n";
  const std::string two = r.file("m0000002.htm");
  EXPECT_TRUE(Contains(two, "<TITLE> two\r\n</TITLE>")) << two;
  EXPECT_TRUE(two.ends_with("TITLE:  two\r\nFROM :  b@x\r\nDATE : " + tail)) << two;
  const std::string three = r.file("m0000003.htm");
  EXPECT_TRUE(three.ends_with("TITLE:  い\r\nFROM :  い &lt;c@x&gt;\r\nDATE : \r\n" + kRule +
                              "third\r\n</FONT>\r\n</PRE>\r\n</BODY>\r\n</HTML>\r\n"))
      << three;
}

TEST(FileSyori, EmptyFileAddsNothing) {
  MailboxRun r;
  EXPECT_TRUE(r.run_bytes("empty.mbx", ""));
  EXPECT_EQ(r.ws.work_list.count(), 0u);
  EXPECT_EQ(r.ws.Mail_No, 0);
  EXPECT_TRUE(r.files().empty());
}

TEST(FileSyori, FilesShareThePageCounterAndKeepEarlierPages) {
  MailboxRun r;
  ASSERT_TRUE(r.run_sample("one_message.eml"));
  // The second file's first body start has no pending page to write.
  ASSERT_TRUE(r.run_sample("between_text.mbx"));
  EXPECT_EQ(r.ws.Mail_No, 3);
  EXPECT_EQ(r.files(), (std::vector<std::string>{"m0000001.htm", "m0000002.htm", "m0000003.htm"}));
  EXPECT_TRUE(Contains(r.file("m0000001.htm"), "line two"));
  EXPECT_TRUE(Contains(r.file("m0000002.htm"), "body one"));
  r.expect_pages_exist();
}

TEST(FileSyori, DuplicateOfAnEarlierFileTakesItsPage) {
  MailboxRun r;
  ASSERT_TRUE(r.run_sample("duplicate_id.mbx"));
  ASSERT_TRUE(r.run_sample("ends_in_header_duplicate.mbx"));
  ASSERT_TRUE(r.run_sample("duplicate_id.mbx"));
  // <same@x> twice more on page 1; <d@x> complete on page 2, then cut off.
  EXPECT_EQ(r.entries(), (std::vector<std::string>{" again\tm0000002.htm", " second\tm0000001.htm"}));
  EXPECT_EQ(r.ws.Mail_No, 2);
  r.expect_pages_exist();
}

TEST(FileSyori, ReplacedEntryNamingNoPageGetsANewPage) {
  MailboxRun r;
  // As read back from a tampered menu.html: the page field's last 12
  // characters lead out of the output folder.
  r.ws.work_list.add(Record_Of("\told\tf\t<same@x>\t\t/../evil.htm\t1"));
  ASSERT_TRUE(r.run_sample("duplicate_id.mbx"));
  EXPECT_EQ(r.entries(), std::vector<std::string>{" second\tm0000001.htm"});
  EXPECT_EQ(r.files(), std::vector<std::string>{"m0000001.htm"});
  EXPECT_EQ(list_files(r.tmp.path()), std::vector<std::string>{});
}

TEST(FileSyori, UnreadableFileIsReported) {
  MailboxRun r;
  EXPECT_FALSE(r.run(r.tmp / "missing.mbx"));
  ASSERT_EQ(r.ui.messages.size(), 1u);
  EXPECT_TRUE(Contains(r.ui.messages[0], "(File_Syori:53)")) << r.ui.messages[0];
  // The reason names the mailbox once.
  EXPECT_TRUE(Contains(r.ui.messages[0], ") 処理を中断します。\r\n" + (r.tmp / "missing.mbx") + ": ファイルまたは"))
      << r.ui.messages[0];
}

TEST(FileSyori, UnwritableOutputIsReported) {
  MailboxRun r;
  EXPECT_FALSE(File_Syori(r.ws, r.sink, r.tmp / "no/such/folder", MailboxRun::data("one_message.eml")));
  ASSERT_EQ(r.ui.messages.size(), 1u);
  EXPECT_TRUE(Contains(r.ui.messages[0], "(File_Syori:")) << r.ui.messages[0];
  // Which mailbox was being converted, then the page that could not be
  // written and why.
  EXPECT_TRUE(Contains(r.ui.messages[0], "\r\n" + MailboxRun::data("one_message.eml") + " の変換中\r\n" +
                                             (r.tmp / "no/such/folder") + "/"))
      << r.ui.messages[0];
}

namespace {
struct LastProgress : SilentUi {
  void progress(Label label, std::int64_t num, std::int64_t total) override {
    if (label == Label::Syosai_no) last = {num, total};
  }
  std::pair<std::int64_t, std::int64_t> last;
};
}  // namespace

TEST(FileSyori, ProgressEndsAtTheFileLength) {
  LastProgress ui;
  Workspace ws(ui);
  ArchiveSink sink(ws, nullptr);
  TempDir tmp;
  const std::string path = MailboxRun::data("multipart_base64.mbx");
  ASSERT_TRUE(File_Syori(ws, sink, tmp.path(), path));
  EXPECT_EQ(ui.last.first, file_size(path));
  EXPECT_EQ(ui.last.second, file_size(path));
}
