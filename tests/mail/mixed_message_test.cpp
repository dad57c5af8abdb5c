// The multipart/mixed reader must read every message it takes exactly as
// the GMime reader does, and take the common ones: a text part and files.
#include "mail/mixed_message.h"

#include <gtest/gtest.h>

#include <string>

#include "mail/mime_reader.h"
#include "same_reading.h"
#include "support/linear_work.h"

namespace {

const std::string kHead = "From: a@example.jp\r\nSubject: s\r\nMIME-Version: 1.0\r\n";
const std::string kType = "Content-Type: multipart/mixed; boundary=\"----=_Part_1\"\r\n";
const std::string kJis = "\x1b$B$3$s$K$A$O\x1b(B";

std::string Mixed(const std::string& parts, const std::string& type = kType) {
  return kHead + type + "\r\nThis is a multi-part message in MIME format.\r\n\r\n" + parts;
}
std::string Delim() { return "------=_Part_1\r\n"; }
std::string Close() { return "------=_Part_1--\r\n"; }
std::string Text_Part(const std::string& text) {
  return Delim() + "Content-Type: text/plain; charset=iso-2022-jp\r\nContent-Transfer-Encoding: 7bit\r\n\r\n" + text;
}
std::string File_Part(const std::string& fields, const std::string& content) {
  return Delim() + fields + "\r\n" + content;
}
const std::string kBase64File =
    "Content-Type: application/octet-stream; name=\"report001.jpg\"\r\n"
    "Content-Disposition: attachment; filename=\"report001.jpg\"\r\nContent-Transfer-Encoding: base64\r\n";

TEST(MixedMessage, ReadsWhatItTakesAsGmimeDoes) {
  const std::string lf_only =
      "From: a\nContent-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nhi\n--b\n"
      "Content-Type: image/png\nContent-Transfer-Encoding: base64\n\niVBORw0K\n--b--\n";
  const struct Row {
    const char* name;
    std::string raw;
    bool taken;
  } rows[] = {
      {"text_and_base64_file",
       Mixed(Text_Part(kJis + "\r\n\r\n") + File_Part(kBase64File, "/9j/4AAQSkZJRg==\r\n") + Close()), true},
      {"lf_line_ends", lf_only, true},
      {"encoded_file_name",
       Mixed(Text_Part("x\r\n") +
             File_Part("Content-Type: application/octet-stream;\r\n name=\"=?ISO-2022-JP?B?GyRCO3FOQRsoQg==?=.doc\"\r\n"
                       "Content-Disposition: attachment;\r\n filename=\"=?ISO-2022-JP?B?GyRCO3FOQRsoQg==?=.doc\"\r\n"
                       "Content-Transfer-Encoding: base64\r\n",
                       "AAEC\r\n") +
             Close()),
       true},
      {"names_differ",
       Mixed(File_Part("Content-Type: text/plain; name=t.txt\r\nContent-Disposition: inline; "
                       "filename=d.txt\r\n",
                       "inline but named\r\n") +
             Close()),
       true},
      {"unencoded_file_keeps_its_bytes",
       Mixed(Text_Part("t\r\n") + File_Part("Content-Type: text/csv; name=a.csv\r\n", "a,b\r\n1,2\r\n\r\n") + Close()),
       true},
      {"unnamed_files_numbered",
       Mixed(File_Part("Content-Type: application/pdf\r\nContent-Transfer-Encoding: base64\r\n", "JVBERi0=\r\n") +
             File_Part("Content-Type: IMAGE/PNG\r\nContent-Transfer-Encoding: BASE64\r\n", "iVBO\r\n") + Close()),
       true},
      {"part_without_type_is_text", Mixed(File_Part("Content-Transfer-Encoding: 8bit\r\n", "\x82\xa0\r\n") + Close()),
       true},
      {"two_text_parts", Mixed(Text_Part("one\r\n") + Text_Part("two\r\n") + Close()), true},
      {"html_only_is_shown",
       Mixed(File_Part("Content-Type: text/html; charset=utf-8\r\n", "<p>a&amp;b</p><br>c\r\n") + Close()), true},
      {"html_beside_text_is_a_file",
       Mixed(Text_Part("t\r\n") + File_Part("Content-Type: text/html\r\n", "<p>x</p>\r\n") + Close()), true},
      {"attachment_marked_text",
       Mixed(Text_Part("t\r\n") +
             File_Part("Content-Type: text/plain\r\nContent-Disposition: ATTACHMENT\r\n", "f\r\n") + Close()),
       true},
      {"quoted_printable_text",
       Mixed(File_Part("Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n",
                       "J=C3=B8rn =\r\nSt=C3=B8ylen\r\n") +
             Close()),
       true},
      {"uuencoded_block_in_text", Mixed(Text_Part("see\r\nbegin 644 a.txt\r\n#86)C\r\n`\r\nend\r\n") + Close()), true},
      {"empty_content", Mixed(File_Part("Content-Type: text/plain\r\n", "") + Close()), true},
      {"content_ends_in_empty_lines",
       Mixed(File_Part("Content-Type: text/x-log; name=l\r\n", "a\r\n\r\n\r\n") + Close()), true},
      {"close_without_line_end", Mixed(Text_Part("t\r\n") + "------=_Part_1--"), true},
      {"epilogue_ignored", Mixed(Text_Part("t\r\n") + Close() + "epilogue\r\n"), true},
      {"boundary_token_and_other_params",
       Mixed("--simple\r\nContent-Type: text/plain\r\n\r\nx\r\n--simple--\r\n",
             "Content-Type: Multipart/Mixed; charset=x; boundary=simple\r\n"),
       true},
      {"delimiter_text_inside_a_line", Mixed(Text_Part("quote ------=_Part_1\r\n") + Close()), true},
      {"blank_after_delimiter", Mixed(Text_Part("t\r\n") + "------=_Part_1 \r\n\r\nx\r\n" + Close()), false},
      {"no_close", Mixed(Text_Part("t\r\n")), false},
      {"delimiter_after_close", Mixed(Text_Part("t\r\n") + Close() + Text_Part("u\r\n")), false},
      {"longer_boundary_line", Mixed(Text_Part("t\r\n") + "------=_Part_12\r\n" + Close()), false},
      {"nested", Mixed(File_Part("Content-Type: multipart/alternative; boundary=in\r\n", "--in--\r\n") + Close()),
       false},
      {"forwarded", Mixed(File_Part("Content-Type: message/rfc822\r\n", "Subject: in\r\n\r\nb\r\n") + Close()), false},
      {"alternative",
       Mixed(Text_Part("t\r\n") + Close(), "Content-Type: multipart/alternative; boundary=\"----=_Part_1\"\r\n"),
       false},
      {"part_without_fields", Mixed(Delim() + "\r\nbare\r\n" + Close()), false},
      {"rfc2231_name", Mixed(File_Part("Content-Type: image/png; name*=utf-8''%E5%9C%B0.png\r\n", "x\r\n") + Close()),
       false},
      {"comment_in_type", Mixed(File_Part("Content-Type: text/plain (c)\r\n", "x\r\n") + Close()), false},
      {"eight_bit_name",
       Mixed(File_Part("Content-Type: image/png; name=\"\x92\x6e\x90\x7d.png\"\r\n", "x\r\n") + Close()), false},
      {"uuencode_encoding", Mixed(File_Part("Content-Transfer-Encoding: x-uuencode\r\n", "x\r\n") + Close()), false},
      {"lone_cr_in_charset",
       Mixed(File_Part("Content-Type: text/plain; charset=iso\r2022-jp\r\n", "\x1b$B$3\x1b(B\r\n") + Close()), false},
      {"nul_in_content", Mixed(Text_Part(std::string("a\0b\r\nlast line\r\n", 14)) + Close()), false},
      {"lf_before_delimiter_in_crlf_mail", Mixed(Text_Part("last line\n") + Close()), false},
      {"crlf_before_delimiter_in_lf_mail", "Content-Type: multipart/mixed; boundary=b\n\n--b\nA: b\n\nx\r\n--b--\n",
       false},
      {"crlf_delimiter_in_lf_mail",
       "Content-Type: multipart/mixed; boundary=b\n\n--b\nA: b\n\nx\n--b\r\nA: c\n\ny\n--b--\n", false},
      {"encoded_top_level", Mixed(Text_Part("t\r\n") + Close(), kType + "Content-Transfer-Encoding: base64\r\n"),
       false},
      // The shapes the quick readers must leave to GMime: the first of two
      // fields or parameters counts, a type without subtype is text.
      {"two_types_top_level", Mixed(Text_Part("t\r\n") + Close(), kType + "Content-Type: text/plain\r\n"), false},
      {"two_types_top_level_text_first", Mixed(Text_Part("t\r\n") + Close(), "Content-Type: text/plain\r\n" + kType),
       false},
      {"two_types_in_a_part",
       Mixed(File_Part("Content-Type: text/plain\r\nContent-Type: application/octet-stream\r\n", "x\r\n") + Close()),
       false},
      {"two_charsets_in_a_part",
       Mixed(File_Part("Content-Type: text/plain; charset=iso-8859-1; charset=utf-8\r\n", "J\xc3\xb8rn\r\n") + Close()),
       false},
      {"part_type_without_subtype", Mixed(File_Part("Content-Type: text\r\n", "x\r\n") + Close()), false},
      {"part_type_that_does_not_parse", Mixed(File_Part("Content-Type: X-BE2; 12\r\n", "x\r\n") + Close()), false},
      {"html_beside_attached_plain",
       Mixed(File_Part("Content-Type: text/html; charset=us-ascii\r\n", "<p>a&nbsp;b</p>\r\n") +
             File_Part("Content-Type: text/plain\r\nContent-Disposition: attachment\r\n", "notes\r\n") + Close()),
       true},
      {"html_beside_named_plain",
       Mixed(File_Part("Content-Type: text/html\r\n", "<p>x</p>\r\n") +
             File_Part("Content-Type: text/plain; name=n.txt\r\n", "notes\r\n") + Close()),
       true},
      {"first_text_part_charset",
       Mixed(File_Part("Content-Type: image/png\r\n", "x\r\n") +
                 File_Part("Content-Type: text/plain; charset=big5\r\n", "\xa4\xa4\r\n") + Close(),
             kType.substr(0, kType.size() - 2) + "\r\nSubject: \xa4\xa4\xa4\xe5\r\n"),
       true},
      // Where a header block ends without an empty line.
      {"boundary_right_after_header", kHead + kType + Text_Part("t\r\n") + Close(), false},
      {"blank_line_after_part_fields", Mixed(Delim() + "Content-Type: text/plain\r\n \r\ntext\r\n" + Close()), false},
      {"part_starts_with_text", Mixed(Delim() + "hello\r\n" + Text_Part("t\r\n") + Close()), false},
      {"rule_in_part_header", Mixed(Delim() + "Content-Type: text/plain\r\n--------\r\nmemo\r\n" + Close()), false},
      // Folding, and a message without body lines.
      {"tab_folded_name",
       Mixed(Text_Part("t\r\n") +
             File_Part("Content-Type: application/octet-stream;\r\n\tname=\"a.bin\"\r\n"
                       "Content-Transfer-Encoding: base64\r\n",
                       "AAEC\r\n") +
             Close()),
       true},
      {"only_an_empty_text_part", Mixed(Text_Part("") + Close()), true},
      // GMime loses the parts after a field name of some 4,200 bytes: such
      // names are left to it, those of a mail line's length are taken.
      {"field_name_of_998_bytes",
       Mixed(Text_Part("t\r\n") + File_Part(std::string(998, 'X') + ": y\r\n" + kBase64File, "AAEC\r\n") +
             Text_Part("after\r\n") + Close()),
       true},
      {"field_name_of_5000_bytes",
       Mixed(Text_Part("t\r\n") + File_Part(std::string(5000, 'X') + ": y\r\n" + kBase64File, "AAEC\r\n") +
             Text_Part("after\r\n") + Close()),
       false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Taken_Alike(read_mixed_message, r.raw), r.taken);
  }
}

// The samples of real mailers: whichever the mixed reader takes, it reads as
// GMime does.
TEST(MixedMessage, SamplesOfRealMailersAreReadAlike) { Expect_Samples_Read_Alike(read_mixed_message, 3); }

}  // namespace

namespace {

// A boundary of dashes in a body of dashes a little shorter than it:
// searching for the delimiter must take work linear in the message also when
// the boundary grows with it, as a search that compares the whole boundary
// again at every place does not.
TEST(MixedMessageWork, LongBoundaryInABodyOfDashesGrowsLinearly) {
  const auto raw = [](std::size_t size) {
    const std::string dashes(size / 4, '-');
    std::string raw = "Content-Type: multipart/mixed; boundary=\"" + dashes + "x\"\r\n\r\n";
    for (int i = 0; i < 4; ++i) raw += dashes + "y";
    raw += "\r\n";
    return raw;
  };
  EXPECT_FALSE(read_mixed_message(raw(4096)).has_value());
  LinearWork work(16384);
  work.add("boundary and body", [&raw](std::size_t n) { return [m = raw(n)] { read_mixed_message(m); }; });
  work.expect_linear();
}

}  // namespace
