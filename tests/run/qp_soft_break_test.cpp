// Quoted-printable soft line breaks: a line whose last character is "=" is
// joined with the next, also when blanks (spaces or tabs) follow the "=",
// which a transport may add as padding. A body of many soft breaks is read
// with work linear in its length.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "mailbox_fixture.h"
#include "support/linear_work.h"

namespace {

std::string Qp_Message(const std::string& body_lines) {
  return "Date: Mon, 05 Jan 2004 10:15:00 +0900\r\nFrom: A <a@example.jp>\r\nSubject: qp\r\n"
         "Message-ID: <q@example.jp>\r\nContent-Type: text/plain; charset=Shift_JIS\r\n"
         "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
         body_lines + ".\r\n";
}

TEST(QpSoftBreak, BlanksAfterTheEqualsSignStillJoin) {
  const struct {
    const char* name;
    std::string body, page_line;
  } rows[] = {
      {"plain soft break", "ab=\r\ncd\r\n", "abcd"},
      {"spaces after =", "ab=   \r\ncd\r\n", "abcd"},
      {"tab after =", "ab=\t\r\ncd\r\n", "abcd"},
      {"tabs and spaces after =", "ab= \t \t\r\ncd=\t\r\nef\r\n", "abcdef"},
      {"encoded = is no break", "a=3D\r\nb\r\n", "a=\r\nb"},
      {"encoded = before a soft break", "a=3D=\t\r\nb\r\n", "a=b"},
      {"blank inside the line stays", "a =\r\n\tb\r\n", "a \tb"},
      {"kanji before the break", "\x88\x9F=\t\r\n\x88\x9F\r\n", "\x88\x9F\x88\x9F"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    MailboxRun run;
    ASSERT_TRUE(run.run_bytes("qp.mbx", Qp_Message(r.body)));
    const std::string page = run.tmp.read("out/m0000001.htm");
    const std::string rule = std::string(50, '-') + "\r\n";
    const std::size_t start = page.find(rule);
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(page.substr(start + rule.size(), r.page_line.size() + 2), r.page_line + "\r\n");
  }
}

// Each soft break used to walk the whole line joined so far, so 200,000
// short lines took minutes: the work must grow linearly with the body.
TEST(QpSoftBreak, ManySoftBreaksJoinInLinearWork) {
  const auto body = [](std::size_t size) {
    std::string b;
    while (b.size() < size) b += "abcdefghij=\r\n";
    return b + "end\r\n";
  };
  MailboxRun run;
  ASSERT_TRUE(run.run_bytes("qp.mbx", Qp_Message(body(100000))));
  const std::string page = run.tmp.read("out/m0000001.htm");
  EXPECT_NE(page.find(std::string("abcdefghij") + "abcdefghij"), std::string::npos);
  EXPECT_NE(page.find("abcdefghijend\r\n"), std::string::npos);

  LinearWork work(32768);
  work.add("soft breaks", [&body](std::size_t n) {
    auto counted = std::make_shared<MailboxRun>();
    const std::string path = counted->tmp.write("qp.mbx", Qp_Message(body(n)));
    return [counted, path] { counted->run(path); };
  });
  work.expect_linear();
}

}  // namespace
