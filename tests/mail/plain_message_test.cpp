// The plain-message reader must read every message it takes exactly as the
// GMime reader does, and take the common plain messages.
#include "mail/plain_message.h"

#include <gtest/gtest.h>

#include <string>

#include "mail/mime_reader.h"
#include "same_reading.h"

namespace {

TEST(PlainMessage, ReadsWhatItTakesAsGmimeDoes) {
  const std::string jis = "\x1b$B$3$s$K$A$O\x1b(B";
  const struct Row {
    const char* name;
    std::string raw;
    bool taken;
  } rows[] = {
      {"no_mime_fields", "From: a@example.jp\r\nSubject: hello\r\n\r\nbody\r\nsecond\r\n", true},
      {"jis_quoted_charset", "From: a@x\r\nContent-Type: text/plain; charset=\"ISO-2022-JP\"\r\n\r\n" + jis + "\r\n",
       true},
      {"jis_token_charset_lf", "Subject: x\nContent-Type: Text/Plain; charset=iso-2022-jp\n\n" + jis + "\n", true},
      {"unlabelled_8bit", "Subject: \x82\xa0\r\n\r\n\x82\xa0\x82\xa2\r\n", true},
      {"folded_fields",
       "Subject: Now\r\n Available!\r\nFrom: a\r\n\t<a@x>\r\nDate: Thu,\r\n 1 Jan 2004 00:00:00 +0900\r\n\r\nb\r\n",
       true},
      {"first_copy_counts", "From: first@x\r\nFrom: second@x\r\nSubject:\r\n\r\nb\r\n", true},
      {"qp_soft_break_with_blanks",
       "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
       "J=C3=B8rn = \r\nSt=C3=B8ylen\r\n",
       true},
      {"base64_text", "Content-Transfer-Encoding: BASE64\r\n\r\naGVsbG8Kd29ybGQK\r\n", true},
      {"flowed_utf8",
       "Content-Type: text/plain; format=flowed; charset=UTF-8; delsp=yes\r\n\r\nr\xc3\xa9sum\xc3\xa9\r\n", true},
      {"uuencoded_file", "Subject: u\r\n\r\ntext\r\nbegin 644 a.txt\r\n#86)C\r\n`\r\nend\r\nafter\r\n", true},
      {"no_body", "Subject: empty\r\n\r\n", true},
      {"no_final_line_end", "Subject: x\r\n\r\nlast", true},
      {"html", "Content-Type: text/html\r\n\r\n<p>x</p>\r\n", false},
      {"multipart", "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\nx\r\n--b--\r\n", false},
      {"named", "Content-Type: text/plain; name=a.txt\r\n\r\nx\r\n", false},
      {"disposition", "Content-Disposition: inline\r\n\r\nx\r\n", false},
      {"rfc2231_charset", "Content-Type: text/plain; charset*=us-ascii'en'utf-8\r\n\r\nx\r\n", false},
      {"eight_bit_charset", "Content-Type: text/plain; charset=gb2312\xf3\xbc\r\n\r\nx\r\n", false},
      {"two_types", "Content-Type: text/plain\r\nContent-Type: text/html\r\n\r\nx\r\n", false},
      // The shapes the quick readers must leave to GMime: the first of two
      // fields or parameters counts, a type without subtype is text.
      {"two_types_plain_last", "Content-Type: text/html\r\nContent-Type: text/plain\r\n\r\n<p>x</p>\r\n", false},
      {"two_types_multipart_first",
       "Content-Type: multipart/mixed; boundary=b\r\nContent-Type: text/plain\r\n\r\n--b\r\n\r\nx\r\n--b--\r\n", false},
      {"two_charsets", "Content-Type: text/plain; charset=iso-8859-1; charset=utf-8\r\n\r\nJ\xc3\xb8rn\r\n", false},
      {"type_without_subtype", "Content-Type: text\r\n\r\nx\r\n", false},
      {"type_that_does_not_parse", "Content-Type: X-BE2; 12\r\n\r\nx\r\n", false},
      {"utf7_label", "Content-Type: text/plain; charset=unicode-1-1-utf-7\r\n\r\n+ZeVnLIqe-\r\n", true},
      {"utf8_labelled_gb2312",
       "Content-Type: text/plain; charset=gb2312\r\n\r\n\xe4\xb8\xad\xe6\x96\x87\xe3\x81\x82\r\n", true},
      {"raw_big5_subject", "Subject: \xa4\xa4\xa4\xe5\r\nContent-Type: text/plain; charset=big5\r\n\r\nx\r\n", true},
      {"uuencode_encoding", "Content-Transfer-Encoding: x-uuencode\r\n\r\nx\r\n", false},
      {"unknown_encoding", "Content-Transfer-Encoding: 7-bit\r\n\r\nx\r\n", false},
      {"no_empty_line", "Subject: x\r\nFrom: y\r\n", false},
      {"line_without_colon", "Subject: x\r\ngarbage line\r\n\r\nb\r\n", false},
      {"blank_in_name", "Subject : x\r\n\r\nb\r\n", false},
      {"starts_folded", " Subject: x\r\n\r\nb\r\n", false},
      {"mbox_separator", "From a@x Mon Jan  1 00:00:00 2001\r\nSubject: x\r\n\r\nb\r\n", false},
      {"lone_cr", "Subject: x\r\rbody\r", false},
      {"nul_in_header", std::string("Subject: a\0b\r\n\r\nx\r\n", 19), false},
      {"empty_header", "\r\nbody\r\n", false},
      // Where a header block ends without an empty line.
      {"blank_separator", "Subject: x\r\n \r\nbody\r\n", false},
      {"tab_separator", "Subject: x\n\t\nbody\n", false},
      {"rule_under_subject", "Subject: x\r\n--------\r\nmemo\r\n\r\nmore\r\n", false},
      {"blank_line_between_folds", "To: a@x,\r\n \r\n b@x\r\nSubject: x\r\n\r\nb\r\n", true},
      {"bare_encoded_word_fold",
       "Subject: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?=\r\n=?ISO-2022-JP?B?GyRCQkBPOhsoQg==?=\r\n\r\nb\r\n", false},
      // Folding, and a message without body lines.
      {"tab_folded_subject", "Subject: bug demonstration\r\n\t1234\r\n\r\nb\r\n", true},
      {"address_folded_after_word", "From: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?=\r\n\t<taro@example.jp>\r\n\r\nb\r\n",
       true},
      {"no_body_lf", "Subject: empty\n\n", true},
      {"one_empty_body_line", "Subject: x\r\n\r\n\r\n", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Taken_Alike(read_plain_message, r.raw), r.taken);
  }
}

// The samples of real mailers: whichever the plain reader takes, it reads
// as GMime does; and it takes the plain ones among them.
TEST(PlainMessage, SamplesOfRealMailersAreReadAlike) { Expect_Samples_Read_Alike(read_plain_message, 5); }

}  // namespace
