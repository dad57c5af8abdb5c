// Line ends as an mbox or a Maildir file hands them to the reader, unchanged:
// a lone CR inside a line, CR LF after a quoted-printable soft break with
// blanks before it, CR LF inside the <pre> of an HTML part. (The dot format
// makes every line end an LF before a message is read, so it never reaches
// these.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mailbox_fixture.h"

namespace {

// The message with every LF of it made CR LF.
std::string Crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The page text of the first message: what stands between the rule under
// its header lines and the end of the text.
std::string Page_Text(const MailboxRun& run) {
  const std::string page = run.file("m0000001.htm");
  const std::string rule = std::string(50, '-') + "\r\n";
  const std::size_t from = page.find(rule);
  const std::size_t to = page.find("</FONT>");
  if (from == std::string::npos || to == std::string::npos || to < from) return "(no text in)\n" + page;
  return page.substr(from + rule.size(), to - from - rule.size());
}

}  // namespace

TEST(LineEnds, MboxAndMaildirKeepTheirLineEndsToTheReader) {
  const std::string head = "From: a@example.jp\nSubject: ends\nMIME-Version: 1.0\n";
  const struct {
    const char* name;
    std::string message;  // with LF line ends; lone CRs stand as written
    bool crlf;            // the file has CR LF line ends
    std::string text;     // the page text, lines ended by CR LF
  } rows[] = {
      {"lone CR inside a line", head + "\nx a\rb y\nnext\n", false, "x a\r\nb y\r\nnext\r\n"},
      {"lone CR inside a line, CR LF file", head + "\nx a\rb y\nnext\n", true, "x a\r\nb y\r\nnext\r\n"},
      {"quoted-printable soft break after a blank",
       head + "Content-Type: text/plain; charset=us-ascii\nContent-Transfer-Encoding: quoted-printable\n\n"
              "ab= \ncd\nef=\t \ngh\nij=\nkl\n",
       true, "abcd\r\nefgh\r\nijkl\r\n"},
      {"quoted-printable in a part",
       head + "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain; charset=us-ascii\n"
              "Content-Transfer-Encoding: quoted-printable\n\nab= \ncd\n--b--\n",
       true, "abcd\r\n"},
      {"CR LF in the pre of an HTML part",
       head + "Content-Type: text/html; charset=us-ascii\n\n<html><body><pre>a\nb</pre></body></html>\n", true,
       "a\r\nb\r\n"},
      {"CR LF in the pre of an HTML alternative",
       head + "Content-Type: multipart/alternative; boundary=b\n\n--b\nContent-Type: text/html; charset=us-ascii\n\n"
              "<pre>a\nb\n\nc</pre>\n--b--\n",
       true, "a\r\nb\r\n\r\nc\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string message = row.crlf ? Crlf(row.message) : row.message;
    const std::string end = row.crlf ? "\r\n" : "\n";
    {
      SCOPED_TRACE("mbox");
      MailboxRun run;
      ASSERT_TRUE(run.run_bytes("in.mbx", "From a@x Mon Jan  1 00:00:00 2001" + end + message + end));
      EXPECT_EQ(Page_Text(run), row.text);
    }
    {
      SCOPED_TRACE("Maildir");
      MailboxRun run;
      run.tmp.write("box/cur/1000.a:2,S", message);
      ASSERT_TRUE(run.run(run.tmp / "box"));
      EXPECT_EQ(Page_Text(run), row.text);
    }
  }
}
