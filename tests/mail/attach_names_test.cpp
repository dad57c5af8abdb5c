// Attachment names reduced to plain file names.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "core/common_text.h"
#include "mail/attachments.h"
#include "mail/mime_reader.h"
#include "support/temp_dir.h"

namespace {

struct NameCase {
  const char* what;
  std::string in, out;  // Shift_JIS
};

const std::vector<NameCase> kNames = {
    {"plain name", "report.pdf", "report.pdf"},
    {"unix folders", "../../evil.txt", "evil.txt"},
    {"windows folders", "..\\..\\evil.txt", "evil.txt"},
    {"absolute path with drive", "C:\\Users\\x\\doc.txt", "doc.txt"},
    {"drive without folder", "c:doc.txt", "doc.txt"},
    {"drive alone", "C:", "attach"},
    {"trail byte 0x5C is no separator", sj("表示.txt"), sj("表示.txt")},
    {"trail byte 0x5C in katakana", sj("ソフト\\予定表.txt"), sj("予定表.txt")},
    {"half-width katakana", "\xB1\xB2.txt", "\xB1\xB2.txt"},
    {"dot", ".", "_"},
    {"dot dot", "..", "_."},
    {"hidden file", ".htaccess", "_htaccess"},
    {"empty", "", "attach"},
    {"spaces only", "   ", "attach"},
    {"folder only", "dir/", "attach"},
    {"spaces around", "  a b.txt  ", "a b.txt"},
    {"control characters",
     "a\x01"
     "b\tc\x7f.txt",
     "a_b_c_.txt"},
    {"NUL byte", std::string("a\0b.txt", 7), "a_b.txt"},
    {"link breakers", "x\"<>&#%?.txt", "x_______.txt"},
    {"other systems' reserved", "ab:c*d|e.txt", "ab_c_d_e.txt"},
    // Characters code page 932 lacks come as references and stay; a
    // reference to anything else (a literal "&#", a control, a bidi mark)
    // goes.
    {"reference to a character shift_jis lacks", "J&#248;rn &#128512;.pdf", "J&#248;rn &#128512;.pdf"},
    {"a literal &# from the mail", "a&#38;#47;b.txt", "a__47;b.txt"},
    {"reference to a slash or a control", "a&#47;&#9;b.txt", "a__b.txt"},
    {"reference to a bidi override", "x&#8238;txt.exe", "x_txt.exe"},
    {"bytes that are no characters", "\x80\xA0\xFD\xFE\xFF.txt", "_____.txt"},
    {"lead byte at the end", "ab\x82", "ab_"},
    {"unassigned double-byte code", "a\x85\x40.txt", "a_.txt"},
    {"lead byte before a quote", "a\x82\x22.txt", "a__.txt"},
};

std::size_t utf8_size(const std::string& sjis) { return cp932::to_utf8(sjis).size(); }

std::string Base64(std::string_view in) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < in.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, in.size() - i);
    unsigned v = 0;
    for (std::size_t k = 0; k < 3; ++k) v = v << 8 | (k < n ? static_cast<unsigned char>(in[i + k]) : 0u);
    for (std::size_t k = 0; k < 4; ++k) out += k <= n ? kAlphabet[(v >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

}  // namespace

TEST(PlainAttachName, ReducesToAPlainFileName) {
  for (const NameCase& c : kNames) {
    SCOPED_TRACE(c.what);
    const std::string got = plain_attach_name(c.in);
    EXPECT_EQ(got, c.out);
    EXPECT_EQ(plain_attach_name(got), got) << "not stable";
    EXPECT_TRUE(cp932::round_trips(got));
  }
}

// A name of exactly the longest length (200 bytes in UTF-8) keeps every
// byte; one character more loses the last character before the extension.
TEST(PlainAttachName, LongestNameKeepsEveryByte) {
  std::string a65;  // 65 x "あ": 195 bytes in UTF-8, 130 in Shift_JIS
  for (int k = 0; k < 65; ++k) a65 += sj("あ");
  const struct {
    const char* what;
    std::string in, out;
  } cases[] = {
      {"ASCII, 200 bytes", std::string(196, 'a') + ".txt", std::string(196, 'a') + ".txt"},
      {"ASCII, 201 bytes", std::string(197, 'a') + ".txt", std::string(196, 'a') + ".txt"},
      {"double-byte, 200 bytes", a65 + "b.txt", a65 + "b.txt"},
      {"double-byte, 202 bytes", a65 + sj("あ") + ".txt", a65 + ".txt"},
      {"double-byte, 199 bytes", a65 + ".txt", a65 + ".txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(plain_attach_name(c.in), c.out);
  }
}

TEST(PlainAttachName, LongNamesKeepTheirExtension) {
  std::string jp;
  for (int k = 0; k < 300; ++k) jp += sj("あ");
  const struct {
    const char* what;
    std::string in, ext;
  } cases[] = {
      {"ASCII", std::string(1000, 'a') + ".pdf", ".pdf"},
      {"double-byte", jp + sj(".テキスト"), sj(".テキスト")},
      {"a megabyte without a dot", std::string(1 << 20, 'z'), ""},
      {"an over-long tail is no extension", "a." + std::string(300, 'b'), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string got = plain_attach_name(c.in);
    EXPECT_LE(utf8_size(got), 200u);
    EXPECT_GE(utf8_size(got), 190u);
    EXPECT_EQ(got.substr(got.size() - c.ext.size()), c.ext);
    EXPECT_EQ(got.substr(0, 2), c.in.substr(0, 2));
    EXPECT_EQ(plain_attach_name(got), got);
  }
}

// A name of exactly the longest length a saved name may have (200 bytes in
// UTF-8) keeps every byte, from the message to the file on disk; one byte
// more and the name loses its last character before the extension.
TEST(PlainAttachName, LongestAllowedNameKeepsEveryByte) {
  std::string jp;  // 65 three-byte characters: 195 bytes in UTF-8
  for (int k = 0; k < 65; ++k) jp += "\xE3\x81\x82";
  const struct {
    const char* what;
    std::string utf8;  // the name as the message gives it
    std::string kept;  // as saved, UTF-8
  } rows[] = {
      {"ASCII, 200 bytes", std::string(196, 'a') + ".txt", std::string(196, 'a') + ".txt"},
      {"ASCII, 201 bytes", std::string(197, 'a') + ".txt", std::string(196, 'a') + ".txt"},
      {"kana, 200 bytes", jp + "a.txt", jp + "a.txt"},
      {"kana, 201 bytes", jp + "ab.txt", jp + "a.txt"},
      {"kana last, 202 bytes", "abc" + jp + ".txt", "abc" + jp.substr(3) + ".txt"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    // Through the reader: an encoded word in a quoted file name.
    const std::string b64 = Base64(r.utf8);
    const std::string raw =
        "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nx\n--b\n"
        "Content-Type: application/octet-stream\nContent-Disposition: attachment;\n filename=\"=?UTF-8?B?" +
        b64 + "?=\"\nContent-Transfer-Encoding: base64\n\nAAEC\n--b--\n";
    const MailMessage m = read_message(raw);
    ASSERT_EQ(m.attachments.size(), 1u);
    EXPECT_EQ(m.attachments[0].name, sj(r.utf8));
    EXPECT_EQ(cp932::to_utf8(plain_attach_name(m.attachments[0].name)), r.kept);
    TempDir dir;
    std::string name = m.attachments[0].name;
    Save_Attach(dir.path(), name, "data");
    EXPECT_EQ(cp932::to_utf8(name), r.kept);
    EXPECT_TRUE(std::filesystem::exists(dir / r.kept));
  }
}
