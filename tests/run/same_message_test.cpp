// The same message gives the same page and the same files whatever mailbox
// holds it: the dot format, a Unix mbox (as its last message and between two
// others) and a Maildir. Broken nested messages are where the mbox's own
// empty line after each message used to end up inside the message: as the
// end of a cut-off header block, or as an empty line more on the page.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "mailbox_fixture.h"

namespace {

const std::string kHead =
    "From: a@example.jp\nSubject: outer\nDate: Mon, 1 Jan 2001 00:00:00 +0900\nMessage-ID: <m1@example.jp>\n"
    "MIME-Version: 1.0\n";
const std::string kMixed =
    "Content-Type: multipart/mixed; boundary=\"BB\"\n\n--BB\nContent-Type: text/plain\n\nouter\n";
const std::string kNested = "--BB\nContent-Type: message/rfc822\n\n";
const std::string kInner = "From: inner@example.jp\nSubject: inner\nDate: Tue, 2 Jan 2001 00:00:00 +0900\n";

// What a run made of one message: its page and its files, name and bytes.
struct Made {
  std::string page;
  std::map<std::string, std::string> files;
};

Made Made_From(const std::string& name, const std::string& bytes, bool folder = false) {
  MailboxRun run;
  const std::string input = folder ? run.tmp.write(name + "/cur/1000.a:2,S", bytes) : run.tmp.write(name, bytes);
  EXPECT_TRUE(run.run(folder ? run.tmp / name : input)) << (run.ui.messages.empty() ? "" : run.ui.messages[0]);
  Made made;
  made.page = run.file("m0000001.htm");
  for (const std::string& f : run.files())
    if (f != "m0000001.htm" && f != "m0000002.htm") made.files[f] = run.tmp.read("out/" + f);
  return made;
}

}  // namespace

TEST(SameMessage, BrokenNestedMessagesGiveOnePageInEveryMailbox) {
  const struct {
    const char* name;
    std::string body;  // after kHead; ends in LF
    std::vector<std::string> shown;
  } rows[] = {
      {"closed as it should be",
       kMixed + kNested + kInner + "\ninner body\n--BB--\n",
       {"Subject: inner", "inner body"}},
      {"cut off in its header block", kMixed + kNested + kInner, {"outer", "Subject: inner"}},
      {"cut off in its body", kMixed + kNested + kInner + "\ninner body\n", {"Subject: inner", "inner body"}},
      {"cut off after empty lines", kMixed + kNested + kInner + "\ninner body\n\n\n", {"inner body\r\n\r\n"}},
      {"no empty line after its header block", kMixed + kNested + kInner + "inner body\n--BB--\n", {"Subject: inner"}},
      {"no empty line after the part's header",
       kMixed + "--BB\nContent-Type: message/rfc822\n" + kInner + "\ninner body\n--BB--\n",
       {"outer"}},
      {"its boundary never met",
       kMixed + kNested + kInner +
           "Content-Type: multipart/mixed; boundary=\"CC\"\n\n--XX\n\ninner body\n--CC--\n--BB--\n",
       {"Subject: inner"}},
      {"its multipart never closed",
       kMixed + kNested + kInner + "Content-Type: multipart/mixed; boundary=\"CC\"\n\n--CC\n\ninner body\n",
       {"Subject: inner", "inner body"}},
      {"no header block, only text", kMixed + kNested + "just text\nmore\n--BB--\n", {"outer"}},
      {"empty", kMixed + kNested + "--BB--\n", {"outer"}},
      {"the whole message, cut off", "Content-Type: message/rfc822\n\n" + kInner, {"Subject: inner"}},
      {"the whole message, empty", "Content-Type: message/rfc822\n\n", {}},
      {"within a nested message, cut off",
       kMixed + kNested + kInner + "Content-Type: message/rfc822\n\nSubject: innermost\n",
       {"Subject: innermost"}},
      {"carrying a file, cut off",
       kMixed + kNested + kInner +
           "Content-Type: multipart/mixed; boundary=\"CC\"\n\n--CC\n\ninner body\n--CC\n"
           "Content-Type: text/plain; name=\"a.txt\"\n\nfile line\n",
       {"inner body", "a.txt"}},
  };
  const std::string next = "From: b@example.jp\nSubject: next\n\nnext body\n";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string raw = kHead + row.body;
    const Made dot = Made_From("in.eml", raw + ".\n");
    for (const std::string& line : row.shown) EXPECT_TRUE(Contains(dot.page, line)) << line << "\n" << dot.page;
    EXPECT_TRUE(Contains(dot.page, "TITLE:  outer")) << dot.page;
    const struct {
      const char* how;
      Made made;
    } others[] = {
        {"mbox, last message", Made_From("last.mbx", "From a@x Mon Jan  1 00:00:00 2001\n" + raw + "\n")},
        {"mbox, between two", Made_From("between.mbx", "From a@x Mon Jan  1 00:00:00 2001\n" + raw +
                                                           "\nFrom b@x Mon Jan  1 00:00:00 2001\n" + next + "\n")},
        {"mbox, no empty line after it", Made_From("tight.mbx", "From a@x Mon Jan  1 00:00:00 2001\n" + raw +
                                                                    "From b@x Mon Jan  1 00:00:00 2001\n" + next)},
        {"Maildir", Made_From("box", raw, true)},
    };
    for (const auto& other : others) {
      SCOPED_TRACE(other.how);
      // Without the writer's empty line, a message's own last empty line
      // takes its place: mbox cannot tell the two apart.
      if (std::string_view(other.how) == "mbox, no empty line after it" && raw.ends_with("\n\n")) continue;
      EXPECT_EQ(other.made.page, dot.page);
      EXPECT_EQ(other.made.files, dot.files);
    }
  }
}

// The empty line an mbox writer puts after each message is no line of it;
// empty lines the message itself ends with are, wherever it stands.
TEST(SameMessage, AnMboxMessageKeepsTheEmptyLinesItEndsWith) {
  const std::string sep = "From a@x Mon Jan  1 00:00:00 2001\n";
  const struct {
    const char* name;
    std::string mbox;
    std::string page_end;  // the end of the first page's text
  } rows[] = {
      {"no empty line at its end", sep + "Subject: a\n\nbody\n\n" + sep + "Subject: b\n\nx\n\n", "body\r\n</FONT>"},
      {"two empty lines at its end", sep + "Subject: a\n\nbody\n\n\n\n" + sep + "Subject: b\n\nx\n\n",
       "body\r\n\r\n\r\n</FONT>"},
      {"the same, as the last message", sep + "Subject: a\n\nbody\n\n\n\n", "body\r\n\r\n\r\n</FONT>"},
      {"CR LF line ends", sep + "Subject: a\r\n\r\nbody\r\n\r\n\r\n" + sep + "Subject: b\r\n\r\nx\r\n\r\n",
       "body\r\n\r\n</FONT>"},
      {"no writer's line before the next", sep + "Subject: a\n\nbody\n" + sep + "Subject: b\n\nx\n", "body\r\n</FONT>"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    MailboxRun run;
    ASSERT_TRUE(run.run_bytes("in.mbx", row.mbox));
    EXPECT_TRUE(Contains(run.file("m0000001.htm"), "-----\r\n" + row.page_end)) << run.file("m0000001.htm");
  }
}
