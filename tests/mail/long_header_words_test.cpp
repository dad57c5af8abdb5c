// A Content-Disposition or Content-Type field of a megabyte of encoded-word
// openers that never close ("=?ISO-2022-JP?B?GyRC" again and again, as
// mutated input makes them): the message is read, in the message's own
// header, in a part's header and from a Unix mailbox, and the file keeps the
// name the field gives. Such a field once cost time quadratic in its length
// inside GMime (44 s for a megabyte); the time itself is measured by
// bench/header_words.sh, not here: these reads must simply end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/common_text.h"
#include "mail/mail_message.h"
#include "mail/mbox_file.h"
#include "mail/mime_reader.h"
#include "support/temp_dir.h"

namespace {

constexpr std::size_t kFieldBytes = 1 << 20;
const std::string kOpener = "=?ISO-2022-JP?B?GyRC";
// "資料" as one encoded word.
const std::string kShiryou = "=?ISO-2022-JP?B?GyRCO3FOQRsoQg==?=";

std::string Openers() {
  std::string s;
  while (s.size() < kFieldBytes) s += kOpener;
  return s;
}

struct Row {
  const char* name;
  std::string raw;
  std::string name_start;  // the saved name starts so (Shift_JIS)
  bool text_part;          // the message has a text part "hello"
};

std::vector<Row> Rows() {
  const std::string openers = Openers();
  const std::string head = "From: a@example.jp\nSubject: t\nMIME-Version: 1.0\n";
  const std::string mixed =
      head + "Content-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain\n\n" + "hello\n--b\n";
  const std::string data = "Content-Transfer-Encoding: base64\n\nQUJD\n";
  return {
      {"filename in a part's header",
       mixed + "Content-Type: application/octet-stream\nContent-Disposition: attachment; filename=\"" + openers + "\n" +
           data + "--b--\n",
       kOpener + kOpener, true},
      {"a real word first, then the openers",
       mixed + "Content-Type: application/octet-stream\nContent-Disposition: attachment; filename=\"" + kShiryou +
           openers + "\"\n" + data + "--b--\n",
       sj("資料") + kOpener, true},
      {"name of a part's Content-Type",
       mixed + "Content-Type: application/octet-stream; name=\"" + openers + "\"\n" + data + "--b--\n",
       kOpener + kOpener, true},
      {"filename in the message's own header",
       head + "Content-Type: application/octet-stream\nContent-Disposition: attachment; filename=\"" + openers + "\n" +
           data,
       kOpener + kOpener, false},
      {"openers with blanks between them",
       mixed + "Content-Type: application/octet-stream\nContent-Disposition: attachment; filename=\"" + kShiryou + " " +
           openers + "\"\n" + data + "--b--\n",
       sj("資料"), true},
  };
}

void Expect_Read(const MailMessage& m, const Row& r) {
  ASSERT_EQ(m.attachments.size(), 1u);
  const MailAttachment& file = m.attachments[0];
  EXPECT_EQ(file.name.substr(0, r.name_start.size()), r.name_start);
  EXPECT_EQ(decoded_data(file), "ABC");
  if (r.text_part) {
    ASSERT_FALSE(m.text.empty());
    EXPECT_EQ(std::string(m.text[0]), "hello");
  }
}

TEST(LongHeaderWords, SingleMessagesAreReadWithTheirNames) {
  for (const Row& r : Rows()) {
    SCOPED_TRACE(r.name);
    Expect_Read(read_message(r.raw), r);
  }
}

TEST(LongHeaderWords, UnixMailboxIsReadWithTheNames) {
  const std::vector<Row> rows = Rows();
  std::string mbox;
  for (const Row& r : rows) mbox += "From a@example.jp Thu Jan  3 01:00:00 2008\n" + r.raw + "\n";
  TempDir dir;
  std::size_t n = 0;
  read_mbox(dir.write("long.mbox", mbox), [&](MailMessage& m, std::int64_t) {
    ASSERT_LT(n, rows.size());
    SCOPED_TRACE(rows[n].name);
    Expect_Read(m, rows[n++]);
  });
  EXPECT_EQ(n, rows.size());
}

}  // namespace
