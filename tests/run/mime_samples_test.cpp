// Messages shaped as real mailers write them (tests/mail/data/mime, made by
// scripts/make_mime_samples.py with Python's email package), each compared
// with what a mail reader shows of it: its header values, every line of its
// text, and every file with its name and bytes. The same messages also go
// through the whole walk as a Unix mbox and as a Maildir folder.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "core/common_text.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/folder_list.h"
#include "mail/attachments.h"
#include "mail/header_fields.h"
#include "mail/mbox_file.h"
#include "mail/mime_reader.h"
#include "mailbox_fixture.h"
#include "support/sha256.h"

namespace {

std::string Mime_Dir() { return MailboxRun::data("mime"); }

struct Expect {
  std::map<std::string, std::string> fields;
  std::vector<std::string> attach;  // name TAB size TAB sha256
  std::vector<std::string> body;
  bool whole_body = false;
  std::vector<std::string> contains, lacks;
};

std::vector<std::string> Lines_Of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

Expect Read_Expect(const std::string& name) {
  Expect e;
  std::vector<std::string>* section = nullptr;
  for (const std::string& line : Lines_Of(read_file(join_path(Mime_Dir(), name + ".expect")))) {
    if (section) {
      if (section != &e.body && (line == "body-lacks:")) {
        section = &e.lacks;
        continue;
      }
      section->push_back(line);
      continue;
    }
    if (line == "body:") {
      section = &e.body;
      e.whole_body = true;
    } else if (line == "body-contains:") {
      section = &e.contains;
    } else if (line.rfind("attach: ", 0) == 0) {
      e.attach.push_back(line.substr(8));
    } else {
      const std::size_t colon = line.find(':');
      e.fields[line.substr(0, colon)] = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
    }
  }
  // An empty text is written as one empty line; its page has no line.
  if (e.whole_body && e.body == std::vector<std::string>{""}) e.body.clear();
  return e;
}

// A value as the menu shows it: UTF-8, without the blank after the colon.
std::string Shown(const std::string& sjis) {
  std::string s = cp932::to_utf8(sjis);
  if (!s.empty() && s[0] == ' ') s.erase(0, 1);
  return s;
}

// The text as a page shows it: a decoded "&" is held as its reference.
std::string Shown_Text(std::string_view sjis) {
  std::string s = cp932::to_utf8(sjis);
  for (std::size_t p; (p = s.find("&#38;")) != std::string::npos;) s.replace(p, 5, "&");
  return s;
}

void Expect_Message(const std::string& name, MailMessage& m) {
  SCOPED_TRACE(name);
  const Expect e = Read_Expect(name);
  MessageValues v;
  if (m.header.has_from) get_from(m.header.from, v, m.header.text_charset);
  if (m.header.has_subject) get_subject(m.header.subject, v, m.header.text_charset);
  if (m.header.has_date) get_date(m.header.date, v);
  WorkList none;
  if (m.header.has_message_id) get_message_id(m.header.message_id, none, v);
  get_parent(m.header.in_reply_to, m.header.references, v);
  EXPECT_EQ(Shown(v.subject), e.fields.at("subject"));
  EXPECT_EQ(Shown(v.from), e.fields.at("from"));
  EXPECT_EQ(v.date, e.fields.at("date"));
  EXPECT_EQ(v.message_id, e.fields.at("message-id"));
  EXPECT_EQ(v.parent_id, e.fields.at("parent-id"));

  std::vector<std::string> files;
  for (const MailAttachment& a : m.attachments) {
    const std::string data = decoded_data(a);
    files.push_back(cp932::to_utf8(plain_attach_name(a.name)) + "\t" + std::to_string(data.size()) + "\t" +
                    Sha256_Hex(data));
  }
  EXPECT_EQ(files, e.attach);

  std::vector<std::string> text;
  for (std::size_t i = 0; i < m.text.size(); ++i) text.push_back(Shown_Text(m.text[i]));
  if (e.whole_body) {
    EXPECT_EQ(text, e.body);
    return;
  }
  for (const std::string& line : e.contains)
    EXPECT_NE(std::find(text.begin(), text.end(), line), text.end()) << "lacks the line " << line;
  for (const std::string& bit : e.lacks)
    for (const std::string& line : text) EXPECT_EQ(line.find(bit), std::string::npos) << bit << " in " << line;
}

std::vector<std::string> Sample_Names() {
  std::vector<std::string> names;
  for (const std::string& f : list_files(Mime_Dir()))
    if (f.size() > 4 && f.compare(f.size() - 4, 4, ".eml") == 0) names.push_back(f.substr(0, f.size() - 4));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(MimeSamples, EachMessageShowsWhatAMailReaderShows) {
  const std::vector<std::string> names = Sample_Names();
  ASSERT_GE(names.size(), 40u);
  for (const std::string& name : names) {
    MailMessage m = read_message(read_file(join_path(Mime_Dir(), name + ".eml")));
    Expect_Message(name, m);
  }
}

TEST(MimeSamples, UnixMboxGivesEveryMessageInOrderUnquoted) {
  const std::vector<std::string> names = Lines_Of(read_file(join_path(Mime_Dir(), "mixed.mbox.expect")));
  std::size_t k = 0;
  read_mbox(join_path(Mime_Dir(), "mixed.mbox"), [&](MailMessage& m, std::int64_t) {
    ASSERT_LT(k, names.size());
    Expect_Message(names[k++], m);
  });
  EXPECT_EQ(k, names.size());
}

// The page of each message, in the order the input gives them, shows the
// text the sample expects: the whole walk over both folder kinds.
void Expect_Archive(const std::string& input, const std::string& expect_list) {
  const std::vector<std::string> names = Lines_Of(read_file(join_path(Mime_Dir(), expect_list)));
  MailboxRun r;
  ASSERT_TRUE(r.run(join_path(Mime_Dir(), input))) << (r.ui.messages.empty() ? "" : r.ui.messages[0]);
  r.expect_pages_exist();
  ASSERT_EQ(r.ws.Mail_No, static_cast<std::int64_t>(names.size()));
  for (std::size_t k = 0; k < names.size(); ++k) {
    SCOPED_TRACE(names[k]);
    const Expect e = Read_Expect(names[k]);
    const std::string page = r.file(page_name(static_cast<std::int64_t>(k + 1)));
    EXPECT_TRUE(Contains(page, "TITLE:  " + e.fields.at("subject") + "\r\n")) << page;
    for (const std::string& a : e.attach) {
      const std::string file = a.substr(0, a.find('\t'));
      EXPECT_TRUE(Contains(page, "[" + file + "]")) << file;
      EXPECT_EQ(Sha256_Hex(r.tmp.read("out/" + file)), a.substr(a.rfind('\t') + 1)) << file;
    }
    if (!e.whole_body) continue;
    // The body lines follow the rule under the header block, escaped; on a
    // page without files only the line that closes the font tag (erased
    // above) follows them.
    std::string body;
    for (const std::string& line : e.body) {
      std::string escaped;
      for (char c : line) escaped += c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
      body += escaped + "\r\n";
    }
    const std::size_t rule = page.find(std::string(50, '-') + "\r\n");
    ASSERT_NE(rule, std::string::npos);
    std::string shown = page.substr(rule + 52);
    for (std::string tag : {"<FONT COLOR=\"#007f00\">", "</FONT>"})
      for (std::size_t p; (p = shown.find(tag)) != std::string::npos;) shown.erase(p, tag.size());
    for (std::string ref : {"&amp;", "&#38;"})
      for (std::size_t p = 0; (p = shown.find(ref, p)) != std::string::npos; ++p) shown.replace(p, ref.size(), "&");
    EXPECT_EQ(shown.substr(0, body.size()), body);
    if (e.attach.empty()) {
      EXPECT_EQ(shown.substr(body.size(), 8), "\r\n</PRE>");
    }
  }
}

TEST(MimeSamples, MboxIntoAnArchive) { Expect_Archive("mixed.mbox", "mixed.mbox.expect"); }

TEST(MimeSamples, MaildirIntoAnArchiveInDeliveryOrder) { Expect_Archive("maildir", "maildir.expect"); }
