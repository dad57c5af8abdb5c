// The message reader on the shapes of broken mail whose reading is a rule of
// its own: which Content-Type counts, what a type that names no media type
// is, which charset a header's raw 8-bit text and a raw file name are read
// in. Each message is read the three ways a message can come: through the
// quick readers when they take it, through GMime, and from a Unix mbox.
#include "mail/mime_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/charsets.h"
#include "codec/cp932.h"
#include "mail/attachments.h"
#include "mail/header_fields.h"
#include "mail/mbox_file.h"
#include "support/linear_work.h"
#include "support/temp_dir.h"

namespace {

struct Reading {
  std::vector<std::string> text;   // UTF-8
  std::vector<std::string> files;  // names of the files saved, UTF-8
  std::string subject;             // UTF-8, as the menu shows it
};

Reading Shown(const MailMessage& m) {
  Reading r;
  for (std::size_t i = 0; i < m.text.size(); ++i) r.text.push_back(cp932::to_utf8(std::string(m.text[i])));
  for (const MailAttachment& a : m.attachments) r.files.push_back(sjis_refs_to_utf8(plain_attach_name(a.name)));
  MessageValues v;
  get_subject(m.header.subject, v, m.header.text_charset);
  r.subject = cp932::to_utf8(v.subject);
  return r;
}

// The message read whole, through GMime alone and as the only message of an
// mbox: all three give want.
void expect_read(const std::string& raw, const Reading& want) {
  const TempDir tmp;
  std::vector<MailMessage> boxed;
  read_mbox(tmp.write("in.mbox", "From a@x Mon Jan  1 00:00:00 2001\n" + raw + "\n"),
            [&](MailMessage& m, std::int64_t) { boxed.push_back(m); });
  ASSERT_EQ(boxed.size(), 1u);
  for (const auto& [how, m] : {std::pair{"read_message", read_message(raw)},
                               std::pair{"GMime", read_message_with_gmime(raw)}, std::pair{"mbox", boxed[0]}}) {
    SCOPED_TRACE(how);
    const Reading got = Shown(m);
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.files, want.files);
    if (!want.subject.empty()) {
      EXPECT_EQ(got.subject, want.subject);
    }
  }
}

const std::string kHead = "From: a@example.jp\nSubject: s\nMIME-Version: 1.0\n";

// Of two Content-Type fields in one header block the first counts, also in
// a part, and at every depth.
TEST(ReadMessage, FirstOfTwoContentTypesCounts) {
  const struct {
    const char* name;
    std::string raw;
    Reading want;
  } rows[] = {
      {"multipart first, text second",
       kHead + "Content-Type: multipart/mixed; boundary=\"b1\"\nContent-Type: text/plain\n\n--b1\n"
               "Content-Type: text/plain\n\nhello\n--b1\nContent-Type: application/octet-stream; name=\"a.bin\"\n"
               "Content-Transfer-Encoding: base64\n\nAAEC\n--b1--\n",
       {{"hello"}, {"a.bin"}, ""}},
      {"text first, multipart second",
       kHead + "Content-Type: text/plain\nContent-Type: multipart/mixed; boundary=b1\n\n--b1\n\nx\n--b1--\n",
       {{"--b1", "", "x", "--b1--"}, {}, ""}},
      {"in a part: text first, file second",
       kHead + "Content-Type: multipart/mixed; boundary=b1\n\n--b1\nContent-Type: text/plain; charset=us-ascii\n"
               "Content-Type: application/octet-stream; name=x.bin\n\nshown\n--b1--\n",
       {{"shown"}, {}, ""}},
      {"in a nested part: alternative first",
       kHead + "Content-Type: multipart/mixed; boundary=b1\n\n--b1\nContent-Type: multipart/alternative; boundary=b2\n"
               "Content-Type: text/plain\n\n--b2\nContent-Type: text/plain\n\nplain\n--b2\n"
               "Content-Type: text/html\n\n<p>html</p>\n--b2--\n--b1--\n",
       {{"plain"}, {}, ""}},
      {"a field standing after a line that is none belongs to what follows",
       kHead + "Content-Type: multipart/mixed; boundary=Q\n--Q\nContent-Type: application/octet-stream; name=late.bin\n"
               "Content-Transfer-Encoding: base64\n\nQUJD\n--Q--\n",
       {{}, {"late.bin"}, ""}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    expect_read(r.raw, r.want);
  }
}

// A Content-Type without a subtype, or one that does not parse, counts as
// text/plain in US-ASCII: its text is shown, not saved as a file.
TEST(ReadMessage, TypeThatNamesNoMediaTypeIsPlainText) {
  const struct {
    const char* name;
    std::string type;
  } rows[] = {
      {"no subtype", "text"},
      {"no subtype, a parameter", "text; charset=us-ascii"},
      {"not a type at all", "X-BE2; 12"},
      {"empty subtype", "text/"},
      {"two slashes", "text/plain/x"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    expect_read(kHead + "Content-Type: " + r.type + "\n\nhello text\n", {{"hello text"}, {}, ""});
    expect_read(kHead + "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: " + r.type +
                    "\n\npart text\n--b\nContent-Type: image/png; name=p.png\n\nPNG\n--b--\n",
                {{"part text"}, {"p.png"}, ""});
  }
}

// Of two charset parameters the first counts, as GMime and mail readers
// read them.
TEST(ReadMessage, FirstOfTwoCharsetParametersCounts) {
  expect_read(kHead + "Content-Type: text/plain; charset=iso-8859-1; charset=utf-8\n\nJ\xF8rn\n",
              {{"J&#248;rn"}, {}, ""});
  expect_read(kHead +
                  "Content-Type: multipart/mixed; boundary=b\n\n--b\n"
                  "Content-Type: text/plain; charset=utf-8; charset=iso-8859-1\n\nJ\xC3\xB8rn\n--b--\n",
              {{"J&#248;rn"}, {}, ""});
}

// Raw 8-bit text in a header is read in the charset of the first text part
// when it names one; raw 8-bit bytes of a file name that no charset
// explains become "_".
TEST(ReadMessage, RawEightBitHeadersAndNames) {
  const auto with_name = [](const std::string& text_type, const std::string& name) {
    return kHead + "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: " + text_type +
           "\n\nx\n--b\nContent-Type: application/octet-stream\nContent-Disposition: attachment; filename=\"" + name +
           "\"\nContent-Transfer-Encoding: base64\n\nAAEC\n--b--\n";
  };
  const struct {
    const char* name;
    std::string raw;
    Reading want;
  } rows[] = {
      {"Big5 subject",
       "Subject: \xA4\xA4\xA4\xE5\nContent-Type: text/plain; charset=big5\n\n\xA4\xA4\xA4\xE5\n",
       {{"中文"}, {}, " 中文"}},
      {"KOI8-R subject beside an HTML text",
       "Subject: \xF0\xD2\xC9\xD7\xC5\xD4\nContent-Type: text/html; "
       "charset=koi8-r\n\n<p>\xF0\xD2\xC9\xD7\xC5\xD4</p>\n",
       {{"Привет"}, {}, " Привет"}},
      {"name no charset explains",
       with_name("text/plain; charset=us-ascii", "Hasen und Fr\xF6sche.txt"),
       {{"x"}, {"Hasen und Fr_sche.txt"}, ""}},
      {"name in the charset of the text",
       with_name("text/plain; charset=iso-8859-1", "Fr\xF6sche.txt"),
       {{"x"}, {"Frösche.txt"}, ""}},
      {"Shift_JIS name", with_name("text/plain", "\x95\x5C.txt"), {{"x"}, {"表.txt"}, ""}},
      {"EUC-JP name", with_name("text/plain", "\xC6\xFC\xCB\xDC.txt"), {{"x"}, {"日本.txt"}, ""}},
      {"UTF-8 name", with_name("text/plain; charset=iso-8859-1", "\xE6\x97\xA5.txt"), {{"x"}, {"日.txt"}, ""}},
      {"UTF-7 name in RFC 2231 form under a label GMime does not know",
       kHead + "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nx\n--b\n"
               "Content-Type: application/octet-stream\nContent-Disposition: attachment;\n"
               " filename*=unicode-1-1-utf-7''%2BZeVnLIqe-.txt\nContent-Transfer-Encoding: base64\n\nAAEC\n--b--\n",
       {{"x"}, {"日本語.txt"}, ""}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    expect_read(r.raw, r.want);
  }
}

// An HTML-only message under a label its text cannot be in shows its text.
TEST(ReadMessage, HtmlOnlyInAWrongCharsetShowsItsText) {
  for (const char* charset : {"utf-16", "UTF-16LE", "unicode", "ucs-4", "x-unknown", "utf-8x"}) {
    SCOPED_TRACE(charset);
    expect_read(
        kHead + "Content-Type: text/html; charset=" + charset + "\n\n<html><body><p>Hello there</p></body></html>\n",
        {{"Hello there"}, {}, ""});
  }
}

}  // namespace

namespace {

// A header block ends at an empty line, or at its first line that is no
// field and no continuation, which starts the body (as Python's email
// package reads it): no line is lost, in the message's header block and in
// a part's. GMime alone reads fields on past such a line.
TEST(ReadMessage, HeaderBlockEndsAtTheFirstLineThatIsNoField) {
  const std::string multi = kHead + "Content-Type: multipart/mixed; boundary=b\n";
  const struct {
    const char* name;
    std::string raw;
    Reading want;
  } rows[] = {
      {"a line of one blank", kHead + "X-Mailer: m\n \none\ntwo\n", {{"one", "two"}, {}, ""}},
      {"a line of blanks and TABs", kHead + "X-Mailer: m\n \t \none\n", {{"one"}, {}, ""}},
      {"CR LF line ends", "From: a@x\r\nSubject: s\r\n\t\r\none\r\ntwo\r\n", {{"one", "two"}, {}, " s"}},
      {"a blank line between folded lines continues the field",
       kHead + "To: a@x,\n \n b@x\nX-Mailer: m\n\nbody\n",
       {{"body"}, {}, ""}},
      {"a blank line before a field continues the block", "Subject: s\n \nX-Mailer: m\n\nbody\n", {{"body"}, {}, " s"}},
      {"a rule under the Subject and what follows it",
       "Subject: memo\n--------\nNote: kept\n\nlast\n",
       {{"--------", "Note: kept", "", "last"}, {}, " memo"}},
      {"a line without a colon", kHead + "just text\nSubject: later\n", {{"just text", "Subject: later"}, {}, ""}},
      {"a blank inside the name", "Subject: s\nX Y: z\n\nbody\n", {{"X Y: z", "", "body"}, {}, " s"}},
      {"blanks before the colon still make a field", "Subject : s\nX-Mailer : m\n\nbody\n", {{"body"}, {}, ""}},
      {"the first boundary straight after the fields",
       multi + "--b\nContent-Type: text/plain\n\nfirst\n--b\nContent-Type: image/png; name=p.png\n\nPNG\n--b--\n",
       {{"first"}, {"p.png"}, ""}},
      {"a blank line after a part's fields",
       multi + "\n--b\nContent-Type: text/plain\n \npart text\n--b\n"
               "Content-Type: application/octet-stream; name=a.bin\n\t\nABC\n--b--\n",
       {{"part text"}, {"a.bin"}, ""}},
      {"a part that starts with its text",
       multi + "\n--b\nhello\nworld\n--b\nContent-Type: text/plain\n\nsecond\n--b--\n",
       {{"hello", "world", "", "second"}, {}, ""}},
      {"text after a part's field",
       multi + "\n--b\nContent-Type: text/plain\nnot a field\n\nmore\n--b--\n",
       {{"not a field", "", "more"}, {}, ""}},
      // Old Japanese mailers folded an encoded word without the blank: the
      // field goes on (the fields after it stay fields).
      {"an encoded word on a line of its own",
       "Subject: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?=\n=?ISO-2022-JP?B?GyRCQkBPOhsoQg==?=\nX-Mailer: m\n\nbody\n",
       {{"body"}, {}, " 山田太郎"}},
      {"a Q word with a colon on a line of its own",
       "Subject: Re:\n=?iso-8859-1?Q?Caf=E9:_menu?=\n\nbody\n",
       {{"body"}, {}, " Re: Caf&#233;: menu"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    expect_read(r.raw, r.want);
  }
}

// A message without body lines has a text without lines, however it ends
// and whichever reader takes it.
TEST(ReadMessage, NoBodyLinesGiveNoText) {
  const struct {
    const char* name;
    std::string raw;
    std::vector<std::string> files;
  } rows[] = {
      {"empty line, nothing after it", kHead + "\n", {}},
      {"CR LF", "From: a@x\r\nSubject: s\r\n\r\n", {}},
      {"no empty line", kHead, {}},
      {"no line end at all", "Subject: s", {}},
      {"an empty text part", kHead + "Content-Type: text/plain; charset=us-ascii\n\n", {}},
      {"an empty base64 text", kHead + "Content-Transfer-Encoding: base64\n\n", {}},
      {"a multipart of one empty text part",
       kHead + "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\n\n--b--\n",
       {}},
      {"a multipart of one file",
       kHead + "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: image/gif; name=g.gif\n\nGIF\n--b--\n",
       {"g.gif"}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    expect_read(r.raw, {{}, r.files, ""});
  }
}

// Unfolding drops the line break; a TAB that led the folded line is the
// blank between the words. White space between two encoded words goes,
// between an encoded word and an address it stays (RFC 2047).
TEST(ReadMessage, FoldedFieldsUnfoldAsMailReadersShowThem) {
  const std::string yamada = "=?ISO-2022-JP?B?GyRCOzNFRBsoQg==?=", taro = "=?ISO-2022-JP?B?GyRCQkBPOhsoQg==?=";
  const struct {
    const char* name;
    std::string field;
    std::string subject, from;  // UTF-8, as the menu shows them
  } rows[] = {
      {"subject folded with a TAB, CR LF", "Subject: bug demonstration\r\n\t1234\r\n", " bug demonstration 1234", ""},
      {"subject folded with a TAB, LF", "Subject: bug demonstration\n\t1234\n", " bug demonstration 1234", ""},
      {"subject folded with a space", "Subject: Now\n Available!\n", " Now Available!", ""},
      {"words folded with a TAB", "Subject: " + yamada + "\n\t" + taro + "\n", " 山田太郎", ""},
      {"address folded after a word", "From: " + yamada + "\n <taro@example.jp>\n", "", " 山田 <taro@example.jp>"},
      {"address folded with a TAB after two words", "From: " + yamada + "\r\n\t" + taro + "\r\n\t<taro@example.jp>\r\n",
       "", " 山田太郎 <taro@example.jp>"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string raw = r.field + "X-Mailer: m\n\nbody\n";
    for (const MailMessage& m : {read_message(raw), read_message_with_gmime(raw)}) {
      MessageValues v;
      get_subject(m.header.subject, v);
      get_from(m.header.from, v);
      if (!r.subject.empty()) {
        EXPECT_EQ(cp932::to_utf8(v.subject), r.subject);
      }
      if (!r.from.empty()) {
        EXPECT_EQ(cp932::to_utf8(v.from), r.from);
      }
    }
  }
}

}  // namespace

namespace {

// Mending what GMime misread of header blocks takes work linear in the
// message: sibling multiparts without their last boundary line (each is
// looked at up to the next), many parts whose fields end in their text, a
// long header block ended by a line that is no field.
TEST(ReadMessageWork, MendingHeaderBlocksGrowsLinearly) {
  const auto repeat = [](std::size_t size, const auto& unit) {
    std::string out = "Content-Type: multipart/mixed; boundary=o\n\n";
    for (int k = 0; out.size() < size; ++k) out += unit(k);
    return out + "--o--\n";
  };
  LinearWork work(32768);
  work.add("multiparts without their last boundary line", [&repeat](std::size_t n) {
    return [m = repeat(n, [](int k) {
              const std::string b = "i" + std::to_string(k);
              return "--o\nContent-Type: multipart/mixed; boundary=" + b + "\n\n--" + b +
                     "\nContent-Type: text/plain\n\nx\n";
            })] { read_message_with_gmime(m); };
  });
  work.add("parts whose fields end in their text", [&repeat](std::size_t n) {
    return [m = repeat(n, [](int) { return std::string("--o\nContent-Type: text/plain\ntext\n"); })] {
      read_message_with_gmime(m);
    };
  });
  work.add("a long header block ended by text", [](std::size_t n) {
    std::string m;
    while (m.size() < n / 2) m += "X-Field: value\n";
    m += "text\n";
    while (m.size() < n) m += "line of text\n";
    return [m] { read_message_with_gmime(m); };
  });
  work.expect_linear();
}

}  // namespace
