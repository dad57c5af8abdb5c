// Attachments through the whole walk: which files are saved, under which
// names, with which bytes, and what the page links.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/common_text.h"
#include "core/folder_list.h"
#include "mailbox_fixture.h"

namespace {

struct Saved {
  std::string name;  // UTF-8 name on disk
  std::string bytes;
};
struct AttachCase {
  std::string file;
  std::vector<Saved> saved;  // besides the page m0000001.htm
  std::vector<std::string> page_has, page_lacks;
};

std::string Report_Bytes() {
  std::string b;
  for (int k = 0; k < 2; ++k)
    for (int c = 0; c < 256; ++c) b += static_cast<char>(c);
  return b;
}
std::string Fox() {
  std::string s;
  for (int k = 0; k < 2; ++k) s += "The quick brown fox jumps over the lazy dog, twice: ";
  return s;
}

const std::vector<AttachCase> kAttach = {
    {"multipart_base64.mbx",
     {{"report.pdf", Report_Bytes()}},
     {"see the report", "<A HREF=\"report.pdf\" target=\"_new\">[report.pdf]</A>"},
     {}},
    {"reserved_names.mbx", {{"t_index.html", "first"}, {"t_index1.html", "second"}}, {"HREF=\"t_index1.html\""}, {}},
    {"jis_name_two_lines.mbx", {{"添付ファイル.txt", "japanese name"}}, {"HREF=\"添付ファイル.txt\""}, {}},
    // A text part after a file is text too.
    {"text_after_attachment.mbx", {{"a.png", "\x89PNG"}}, {"see the report", "late text part"}, {}},
    // The encoding line before the file name counts.
    {"disposition_resets_encoding.mbx", {{"x.bin", "lost"}}, {"see the report", "HREF=\"x.bin\""}, {}},
    // A quoted name loses its backslashes (quoted pairs) and its folders.
    {"attach_name_path.mbx",
     {{"_.", "four"}, {"a_b__c_d_e_.txt", "three"}, {"_...evil.txt", "one"}, {"x.bin", "two"}},
     {"HREF=\"_...evil.txt\"", "HREF=\"a_b__c_d_e_.txt\""},
     {"..\\", "C:", "--BND", "Content-Transfer"}},
    // The closing lines "`" and "end" end the data.
    {"uuencode_closing.mbx", {{"fox.txt", Fox()}}, {"HREF=\"fox.txt\""}, {}},
    // Its closing boundary is missing: the part ends with the message.
    {"never_ending_attachment.mbx",
     {{"open.bin",
       [] {
         std::string s;
         for (int k = 0; k < 20; ++k) s += "never saved";
         return s;
       }()}},
     {"see the report", "HREF=\"open.bin\""},
     {}},
    // An encoded word cut short names nothing: the file is named by its type.
    {"truncated_encoded_word.mbx", {{"attach1.bin", "ABC"}}, {}, {}},
    // A NUL ends a field's text; the body keeps it.
    {"nul_bytes.mbx", {{"_a", "ABC"}}, {std::string("body\0line", 9), "HREF=\"_a\""}, {}},
};

}  // namespace

TEST(FileSyoriAttachments, SavesDecodedPartsUnderPlainNames) {
  for (const AttachCase& c : kAttach) {
    SCOPED_TRACE(c.file);
    MailboxRun r;
    ASSERT_TRUE(r.run_sample(c.file)) << (r.ui.messages.empty() ? "" : r.ui.messages[0]);
    r.expect_pages_exist();
    ASSERT_EQ(r.ws.work_list.count(), 1u);
    std::vector<std::string> want = {"m0000001.htm"};
    for (const Saved& s : c.saved) {
      want.push_back(s.name);
      EXPECT_EQ(r.tmp.read("out/" + s.name), s.bytes) << s.name;
    }
    std::sort(want.begin(), want.end());
    EXPECT_EQ(r.files(), want);
    const std::string page = r.file("m0000001.htm");
    for (const std::string& s : c.page_has) EXPECT_TRUE(Contains(page, s)) << s;
    for (const std::string& s : c.page_lacks) EXPECT_FALSE(Contains(page, s)) << s;
    // Nothing is written beside the output folder.
    EXPECT_EQ(list_files(r.tmp.path()), std::vector<std::string>{});
  }
}

TEST(FileSyoriAttachments, NoFilesWhenSavingIsOff) {
  MailboxRun r;
  r.ws.set.TE_FILE = false;
  ASSERT_TRUE(r.run_sample("multipart_base64.mbx"));
  EXPECT_EQ(r.files(), std::vector<std::string>{"m0000001.htm"});
  const std::string page = r.file("m0000001.htm");
  EXPECT_TRUE(Contains(page, "see the report"));
  EXPECT_FALSE(Contains(page, "HREF"));
}

// A nightly run over the same mailbox must not grow the folder: the copy of
// a message takes over its page and finds its files where they stand.
TEST(FileSyoriAttachments, SameMailboxTwiceSavesNothingAgain) {
  MailboxRun r;
  ASSERT_TRUE(r.run_sample("reserved_names.mbx"));
  ASSERT_TRUE(r.run_sample("multipart_base64.mbx"));
  const std::vector<std::string> once = r.files();
  ASSERT_TRUE(r.run_sample("multipart_base64.mbx"));
  ASSERT_TRUE(r.run_sample("reserved_names.mbx"));
  EXPECT_EQ(r.files(), once);
  EXPECT_EQ(r.tmp.read("out/report.pdf"), Report_Bytes());
  EXPECT_EQ(r.tmp.read("out/t_index.html"), "first");
  EXPECT_EQ(r.tmp.read("out/t_index1.html"), "second");
  // Same Message-ID each time: one entry, its page names the same file.
  EXPECT_EQ(r.ws.work_list.count(), 1u);
  EXPECT_TRUE(Contains(r.file("m0000001.htm"), "HREF=\"t_index1.html\""));
}

TEST(FileSyoriAttachments, MessageCutOffInItsHeaderKeepsItsPartsToItself) {
  // The second message's part stands right after its header block, without
  // the blank line, and the file ends there.
  const std::string mbox =
      "From: a@x\r\nSubject: first\r\n\r\nfirst body\r\n.\r\n"
      "From: b@x\r\nSubject: second\r\nContent-Type: multipart/mixed; boundary=Q\r\n"
      "--Q\r\nContent-Type: application/octet-stream; name=late.bin\r\nContent-Transfer-Encoding: base64\r\n"
      "\r\nQUJD\r\n--Q--\r\n";
  MailboxRun r;
  ASSERT_TRUE(r.run_bytes("late.mbx", mbox));
  r.expect_pages_exist();
  ASSERT_EQ(r.ws.work_list.count(), 2u);
  EXPECT_EQ(r.tmp.read("out/late.bin"), "ABC");
  EXPECT_FALSE(Contains(r.file("m0000001.htm"), "late.bin"));
  EXPECT_TRUE(Contains(r.file("m0000002.htm"), "HREF=\"late.bin\""));
}

// Hundreds of messages with an attachment of the same name: the files are
// saved on the page writer's thread in batches, each taking the next free
// number, and every page must link the file that holds its own bytes.
TEST(FileSyoriAttachments, SameNameInManyMessagesLinksEachPageToItsOwnFile) {
  MailboxRun r;
  std::string box;
  const int kMessages = 300;
  for (int k = 0; k < kMessages; ++k) {
    const std::string n = std::to_string(k);
    box += "From: A <a@example.jp>\r\nSubject: s" + n + "\r\nMessage-ID: <m" + n +
           "@example.jp>\r\nContent-Type: multipart/mixed; boundary=\"B\"\r\n\r\n"
           "--B\r\nContent-Type: text/plain\r\n\r\nbody " +
           n +
           "\r\n--B\r\nContent-Type: application/octet-stream; name=\"same.txt\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n";
    // "file " + n in Base64, line by line as a mailer would write it.
    const std::string data = "file " + n;
    static const char* const kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string enc;
    for (std::size_t i = 0; i < data.size(); i += 3) {
      unsigned v = static_cast<unsigned char>(data[i]) << 16;
      if (i + 1 < data.size()) v |= static_cast<unsigned char>(data[i + 1]) << 8;
      if (i + 2 < data.size()) v |= static_cast<unsigned char>(data[i + 2]);
      enc += kAlphabet[(v >> 18) & 63];
      enc += kAlphabet[(v >> 12) & 63];
      enc += i + 1 < data.size() ? kAlphabet[(v >> 6) & 63] : '=';
      enc += i + 2 < data.size() ? kAlphabet[v & 63] : '=';
    }
    box += enc + "\r\n\r\n--B--\r\n.\r\n";
  }
  ASSERT_TRUE(r.run_bytes("many.mbx", box)) << (r.ui.messages.empty() ? "" : r.ui.messages[0]);
  ASSERT_EQ(r.ws.work_list.count(), static_cast<std::size_t>(kMessages));
  for (int k = 0; k < kMessages; ++k) {
    SCOPED_TRACE(k);
    const std::string name = k == 0 ? "same.txt" : "same" + std::to_string(k) + ".txt";
    EXPECT_EQ(r.tmp.read("out/" + name), "file " + std::to_string(k));
    const std::string text = r.file(page_name(k + 1));
    EXPECT_TRUE(Contains(text, "body " + std::to_string(k) + "\r\n"));
    EXPECT_TRUE(Contains(text, "HREF=\"" + name + "\"")) << text;
  }
}
