// The tree reader must read every message it takes exactly as the GMime
// reader does, and take the shapes of today's mail: alternatives, nested
// multiparts, a lone HTML part and file names in RFC 2231 form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail/mime_reader.h"
#include "mail/mixed_message.h"
#include "same_reading.h"
#include "support/linear_work.h"

namespace {

const std::string kHead = "From: a@example.jp\r\nSubject: s\r\nMIME-Version: 1.0\r\n";

// A multipart of the given subtype and boundary holding parts (each its
// header lines, an empty line and its content).
std::string Multi(const std::string& subtype, const std::string& boundary, const std::vector<std::string>& parts,
                  const std::string& extra = "") {
  std::string out = "Content-Type: multipart/" + subtype + "; boundary=\"" + boundary + "\"\r\n" + extra + "\r\n";
  for (const std::string& p : parts) out += "--" + boundary + "\r\n" + p;
  return out + "--" + boundary + "--\r\n";
}
std::string Text(const std::string& text, const std::string& charset = "utf-8") {
  return "Content-Type: text/plain; charset=\"" + charset + "\"\r\n\r\n" + text + "\r\n";
}
std::string Html(const std::string& html) {
  return "Content-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" + html +
         "\r\n";
}
std::string File(const std::string& name_fields) {
  return "Content-Type: application/pdf;\r\n" + name_fields + "Content-Transfer-Encoding: base64\r\n\r\nJVBERi0x\r\n";
}
const std::string kTextUtf8 = "\xe3\x81\x93\xe3\x82\x93\xe3\x81\xab\xe3\x81\xa1\xe3\x81\xaf";
const std::string kAlt = Multi("alternative", "alt", {Text(kTextUtf8), Html("<p>a=3D&amp;b</p>")});
// "報告.pdf" in UTF-8, percent-encoded.
const std::string kNamePct = "%E5%A0%B1%E5%91%8A.pdf";

TEST(MimeTree, ReadsWhatItTakesAsGmimeDoes) {
  const struct Row {
    const char* name;
    std::string raw;
    bool taken;
  } rows[] = {
      {"alternative_plain_first", kHead + kAlt, true},
      {"alternative_html_first", kHead + Multi("alternative", "alt", {Html("<b>first</b>"), Text("second")}), true},
      {"alternative_html_only", kHead + Multi("alternative", "alt", {Html("<b>x</b>"), File(" name=a.pdf\r\n")}), true},
      {"alternative_nothing_shown",
       kHead + Multi("alternative", "alt", {File(" name=a.pdf\r\n"), File(" name=b.pdf\r\n")}), true},
      {"mixed_holding_alternative",
       kHead + Multi("mixed", "out", {kAlt, File(" name=\"a.pdf\"\r\nContent-Disposition: attachment\r\n")}), true},
      {"alternative_holding_related",
       kHead + Multi("alternative", "alt",
                     {Text("plain"), Multi("related", "rel",
                                           {Html("<img src=3Dcid:x>"),
                                            "Content-Type: image/png\r\nContent-ID: <x>\r\n"
                                            "Content-Transfer-Encoding: base64\r\n\r\niVBO\r\n"})}),
       true},
      {"related_shows_its_first_part", kHead + Multi("related", "rel", {Html("<p>x</p>"), Text("served, not shown")}),
       true},
      {"three_levels",
       kHead + Multi("mixed", "a", {Multi("mixed", "b", {Multi("alternative", "c", {Text("deep"), Html("d")})})}),
       true},
      {"unknown_subtype_read_as_mixed", kHead + Multi("report", "r", {Text("report"), Html("<p>h</p>")}), true},
      {"html_message", kHead + Html("<p>Hello=20world</p>"), true},
      {"html_message_base64",
       kHead + "Content-Type: text/html; charset=iso-2022-jp\r\nContent-Transfer-Encoding: base64\r\n\r\n"
               "PHA+GyRCJDMkcyRLJEEkTxsoQjwvcD4=\r\n",
       true},
      {"text_charset_of_nested_part",
       kHead + Multi("mixed", "out", {File(" name=a.pdf\r\n"), Multi("alternative", "alt", {Text("x", "big5")})}),
       true},
      {"rfc2231_name_in_sections",
       kHead + Multi("mixed", "out",
                     {Text("t"), File(" name*0*=utf-8''%E5%A0%B1%E5%91%8A;\r\n name*1*=.pdf\r\n"
                                      "Content-Disposition: attachment;\r\n filename*0*=utf-8''%E5%A0%B1;\r\n"
                                      " filename*1*=%E5%91%8A.pdf\r\n")}),
       true},
      {"rfc2231_name_whole", kHead + Multi("mixed", "out", {Text("t"), File(" name*=UTF-8'ja'" + kNamePct + "\r\n")}),
       true},
      {"rfc2231_filename_beside_plain_name",
       kHead + Multi("mixed", "out",
                     {Text("t"), File(" name=\"plain.pdf\"\r\nContent-Disposition: attachment; filename*=utf-8''" +
                                      kNamePct + "\r\n")}),
       true},
      {"rfc2231_filename_beside_encoded_name",
       kHead + Multi("mixed", "out",
                     {Text("t"), File(" name=\"=?UTF-8?B?5aCx5ZGKLnBkZg==?=\"\r\n"
                                      "Content-Disposition: attachment; filename*=utf-8''x.pdf\r\n")}),
       true},
      // What is left to GMime.
      {"rfc2231_sections_out_of_order",
       kHead + Multi("mixed", "out", {File(" name*1*=.pdf; name*0*=utf-8''" + kNamePct + "\r\n")}), false},
      {"rfc2231_sections_not_extended", kHead + Multi("mixed", "out", {File(" name*0=\"a\"; name*1=\"b.pdf\"\r\n")}),
       false},
      {"rfc2231_other_charset", kHead + Multi("mixed", "out", {File(" name*=iso-8859-1''%E9t%E9.pdf\r\n")}), false},
      {"rfc2231_invalid_utf8", kHead + Multi("mixed", "out", {File(" name*=utf-8''%E9t%E9.pdf\r\n")}), false},
      {"rfc2231_stray_percent", kHead + Multi("mixed", "out", {File(" name*=utf-8''50%.pdf\r\n")}), false},
      {"rfc2231_charset",
       kHead + Multi("mixed", "out", {"Content-Type: text/plain; charset*=utf-8''utf-8\r\n\r\nx\r\n"}), false},
      {"rfc2231_and_plain_name", kHead + Multi("mixed", "out", {File(" name=a.pdf; name*=utf-8''b.pdf\r\n")}), false},
      {"forwarded_message",
       kHead + Multi("mixed", "out", {Text("fw"), "Content-Type: message/rfc822\r\n\r\nSubject: in\r\n\r\nbody\r\n"}),
       false},
      {"digest", kHead + Multi("digest", "d", {"\r\nSubject: in\r\n\r\nbody\r\n"}), false},
      {"inner_boundary_extends_outer", kHead + Multi("mixed", "b", {Multi("alternative", "bb", {Text("x")})}), false},
      {"outer_boundary_extends_inner", kHead + Multi("mixed", "bb", {Multi("alternative", "b", {Text("x")})}), true},
      {"inner_close_missing",
       kHead +
           "Content-Type: multipart/mixed; boundary=o\r\n\r\n--o\r\n"
           "Content-Type: multipart/alternative; boundary=i\r\n\r\n--i\r\n" +
           Text("x") + "--o--\r\n",
       false},
      {"named_multipart",
       kHead +
           Multi("mixed", "out",
                 {"Content-Type: multipart/alternative; boundary=i; name=x\r\n\r\n--i\r\n" + Text("x") + "--i--\r\n"}),
       false},
      {"html_message_with_name", kHead + "Content-Type: text/html; name=a.htm\r\n\r\n<p>x</p>\r\n", false},
      {"image_message", kHead + "Content-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n\r\niVBO\r\n", false},
      {"html_message_disposed", kHead + "Content-Type: text/html\r\nContent-Disposition: inline\r\n\r\n<p>x</p>\r\n",
       false},
      {"too_deep",
       [] {
         std::string raw = Text("bottom");
         for (int i = 0; i < 10; ++i) raw = Multi("mixed", "level" + std::to_string(i), {raw});
         return kHead + raw;
       }(),
       false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Taken_Alike(read_mime_tree, r.raw), r.taken);
  }
}

// The readings themselves, for a few shapes, as a reader of the page sees
// them (not computed by either reader).
TEST(MimeTree, ShowsThePartsAMailReaderShows) {
  {
    SCOPED_TRACE("alternative: the plain part, the HTML part dropped");
    const std::optional<MailMessage> m = read_mime_tree(kHead + kAlt);
    ASSERT_TRUE(m);
    ASSERT_EQ(m->text.size(), 1u);
    EXPECT_EQ(m->text[0], "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd");
    EXPECT_TRUE(m->attachments.empty());
    EXPECT_EQ(m->header.text_charset, "utf-8");
  }
  {
    SCOPED_TRACE("RFC 2231 name in sections");
    const std::optional<MailMessage> m = read_mime_tree(
        kHead + Multi("mixed", "out", {Text("t"), File(" name*0*=utf-8''%E5%A0%B1;\r\n name*1*=%E5%91%8A.pdf\r\n")}));
    ASSERT_TRUE(m);
    ASSERT_EQ(m->attachments.size(), 1u);
    EXPECT_EQ(m->attachments[0].name, "\x95\xf1\x8d\x90.pdf");
    EXPECT_EQ(m->attachments[0].type, "application/pdf");
    EXPECT_EQ(decoded_data(m->attachments[0]), "%PDF-1");
  }
}

// The samples of real mailers: whichever the tree reader takes, it reads as
// GMime does; it takes more of them than the multipart/mixed reader.
TEST(MimeTree, SamplesOfRealMailersAreReadAlike) { Expect_Samples_Read_Alike(read_mime_tree, 10); }

// Deep nesting and long sections of a name take work linear in the message.
TEST(MimeTreeWork, ManySectionsGrowLinearly) {
  const auto raw = [](std::size_t size) {
    std::string name;
    for (std::size_t i = 0; i * 12 < size; ++i)
      name += "; name*" + std::to_string(i) + "*=" + (i ? "" : "utf-8''") + "a";
    return kHead + Multi("mixed", "out", {"Content-Type: application/pdf" + name + "\r\n\r\nx\r\n"});
  };
  LinearWork work(16384);
  work.add("sections", [&raw](std::size_t n) { return [m = raw(n)] { read_mime_tree(m); }; });
  work.expect_linear();
}

}  // namespace
