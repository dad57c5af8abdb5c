// ADR_HID through the whole program: an archive built with it holds no
// e-mail address anywhere in its page source, but Message-IDs in the menu's
// comment, and Japanese text beside addresses stays whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "codec/cp932.h"
#include "support/program_copy.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

std::string sj(const std::string& utf8) { return cp932::from_utf8(utf8); }

bool lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool alnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// The addresses of a Shift_JIS text, as a harvester would find them: an "@"
// character (not a second byte) between a letter or digit (or "." "-" "_")
// and a letter or digit. Message-IDs after "Message-ID:" and
// "In-Reply-To:" in the menu's comment are no addresses and are skipped.
std::vector<std::string> Addresses(const std::string& text) {
  std::vector<std::string> found;
  std::size_t skip_to = 0;
  for (std::size_t i = 0; i < text.size(); i += lead(static_cast<unsigned char>(text[i])) ? 2 : 1) {
    for (const char* label : {"Message-ID:", "In-Reply-To:"})
      if (text.compare(i, std::string(label).size(), label) == 0) skip_to = text.find(" / ", i);
    if (i < skip_to && skip_to != std::string::npos) continue;
    if (text[i] != '@' || i == 0 || i + 1 >= text.size()) continue;
    const char before = text[i - 1];
    if ((alnum(before) || before == '.' || before == '-' || before == '_') && alnum(text[i + 1]))
      found.push_back(text.substr(i >= 10 ? i - 10 : 0, 20));
  }
  return found;
}

std::string Mailbox() {
  const std::string kanji_40 = "\x89\x40";  // 院, second byte "@"
  std::string box;
  box += "From: =?Shift_JIS?B?jlKTYyCRvphZ?= <taro@example.jp>\r\n";
  box += "To: list@example.jp\r\n";
  box += "Subject: mail me at taro@example.jp\r\n";
  box += "Date: Thu, 08 Jan 2004 10:00:00 +0900\r\n";
  box += "Message-ID: <a1@example.jp>\r\n";
  box += "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"bnd\"\r\n\r\n";
  box += "--bnd\r\nContent-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
  box += "x" + kanji_40 + "y " + sj("病院") + "@example.jp\r\n";
  box += "> hanako@example.jp wrote:\r\n";
  box += "> write to sub@ml.example.jp\r\n";
  box += "--bnd\r\nContent-Type: text/plain; name=\"taro@example.jp.txt\"\r\n";
  box += "Content-Disposition: attachment; filename=\"taro@example.jp.txt\"\r\n\r\nfile\r\n--bnd--\r\n.\r\n";
  box += "From: Hanako <hanako@example.jp>\r\nSubject: Re: mail me\r\nDate: Thu, 08 Jan 2004 11:00:00 +0900\r\n";
  box += "Message-ID: <a2@example.jp>\r\nIn-Reply-To: <a1@example.jp>\r\n\r\ntaro@example.jp wrote:\r\n.\r\n";
  box += "From: Taro <taro@example.jp>\r\nSubject: again\r\nDate: Thu, 08 Jan 2004 12:00:00 +0900\r\n";
  box += "Message-ID: <a3@example.jp>\r\n\r\nhello\r\n.\r\n";
  return box;
}

// With every file that shows a message's text or sender: the search
// index's files and the feed included.
const char kIni[] =
    "[vorn_htm]\r\nADR_HID=1\r\nKB_THRE=1\r\nKB_FROM=1\r\nMN_ADRS=1\r\nML_RANK=1\r\nSRCH_IX=1\r\nNAV_LNK=1\r\n"
    "BAS_URL=https://example.org/ml/\r\n";

TEST(HiddenAddresses, NoPageOfTheArchiveHoldsAnAddress) {
  TempDir t;
  ProgramCopy p(t / "prog");
  p.settings(kIni);
  const std::string out = t / "out";
  ASSERT_EQ(p.run({"-i", t.write("ml.mbx", Mailbox()), "-o", out}).status, 0);
  // Twice: the menu read back from its comments is written as hidden again.
  ASSERT_EQ(p.run({"-i", t.write("more.mbx", ""), "-o", out}).status, 0);
  ASSERT_TRUE(fs::exists(out + "/feed.xml"));
  ASSERT_TRUE(fs::exists(out + "/srch/ix.js"));
  for (const auto& e : fs::recursive_directory_iterator(out)) {
    const std::string name = e.path().filename().string();
    if (name[0] == '.' || fs::is_directory(e.path())) continue;
    SCOPED_TRACE(e.path().string());
    std::string text = ProgramCopy::slurp(e.path().string());
    if (name == "feed.xml") text = cp932::from_utf8(text);
    EXPECT_EQ(Addresses(text), std::vector<std::string>{});
    EXPECT_EQ(text.find("mailto:"), std::string::npos);
  }
  const std::string wide = sj("＠");
  const std::string page = ProgramCopy::slurp(out + "/m0000001.htm");
  const std::string menu = ProgramCopy::slurp(out + "/menu.html");
  const std::string rank = ProgramCopy::slurp(out + "/rank_hyo.htm");
  struct Row {
    const char* name;
    const std::string& text;
    std::string part;
  } rows[] = {
      {"From line", page, "FROM :  " + sj("山田 太郎") + " &lt;taro" + wide + "example.jp&gt;"},
      {"title", page, "TITLE:  mail me at taro" + wide + "example.jp"},
      {"second byte 0x40 kept", page, "x\x89\x40y " + sj("病院") + "@example.jp"},
      {"quoted wrote line", page, "&gt; hanako" + wide + "example.jp wrote:"},
      {"attachment link", page, "<A HREF=\"taro%40example.jp.txt\" target=\"_new\">[taro" + wide + "example.jp.txt]"},
      {"menu title", menu, "title=\" " + sj("山田 太郎") + " <taro" + wide + "example.jp>\""},
      {"menu comment keeps the Message-ID", menu, "<!-- Message-ID:<a1@example.jp> / In-Reply-To: /"},
      {"ranking counts Taro once", rank, "Taro &lt;taro" + wide + "example.jp&gt;</TD>\r\n    <TD><DIV ALIGN=right>1"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_NE(r.text.find(r.part), std::string::npos) << r.text;
  }
  EXPECT_TRUE(fs::exists(out + "/taro@example.jp.txt"));
  // The feed names senders without their addresses.
  const std::string feed = ProgramCopy::slurp(out + "/feed.xml");
  EXPECT_NE(feed.find("<author><name>\xe5\xb1\xb1\xe7\x94\xb0 \xe5\xa4\xaa\xe9\x83\x8e</name></author>"),
            std::string::npos)
      << feed;
  EXPECT_NE(feed.find("<author><name>Hanako</name></author>"), std::string::npos) << feed;
  EXPECT_EQ(feed.find("example.jp</name>"), std::string::npos) << feed;
}

// Switched on in an archive written without it, the next run rewrites the
// pages of the earlier run as a colour change restyles them.
TEST(HiddenAddresses, SwitchedOnLaterRewritesTheEarlierPages) {
  TempDir t;
  ProgramCopy p(t / "prog");
  p.settings("[vorn_htm]\r\nADR_HID=0\r\nKB_FROM=1\r\nKB_THRE=1\r\n");
  const std::string out = t / "out";
  ASSERT_EQ(p.run({"-i", t.write("ml.mbx", Mailbox()), "-o", out}).status, 0);
  ASSERT_NE(ProgramCopy::slurp(out + "/m0000001.htm").find("taro@example.jp"), std::string::npos);
  p.settings(kIni);
  ASSERT_EQ(p.run({"-i", t.write("more.mbx", ""), "-o", out}).status, 0);
  for (const char* name : {"m0000001.htm", "m0000002.htm", "m0000003.htm", "menu.html", "rank_hyo.htm"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Addresses(ProgramCopy::slurp(out + "/" + name)), std::vector<std::string>{});
  }
  EXPECT_NE(ProgramCopy::slurp(out + "/m0000001.htm").find("<A HREF=\"taro%40example.jp.txt\""), std::string::npos);
}

}  // namespace
