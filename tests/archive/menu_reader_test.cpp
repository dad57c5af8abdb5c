#include "archive/menu_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "archive/menu_page.h"
#include "archive_fixture.h"
#include "mail/header_fields.h"

namespace {

using Lines = std::vector<std::string>;

Lines All(const WorkList& w) {
  Lines v;
  for (std::size_t i = 0; i < w.count(); ++i) v.push_back(cp932::to_utf8(Record_Text(w.at(i))));
  return v;
}

std::string Crlf(const Lines& utf8) {
  std::string s;
  for (const std::string& l : utf8) s += sj(l) + "\r\n";
  return s;
}

// An entry line as the menu writes it, for hand-made menus.
std::string Entry(const std::string& marks, const std::string& page, const std::string& sender,
                  const std::string& visible, const std::string& comment) {
  return marks + "<A HREF=\"" + page + "\" target=\"frame2\" title=\"" + sender + "\">" + visible + "<!-- " + comment +
         "--></A>";
}

const char* const kHead[] = {
    "<HTML>",       "<HEAD>",   "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">",
    "<TITLE> MENU", "</TITLE>", "</HEAD>",
    "<BODY>",       "<PRE>",    "<FONT SIZE=2>"};

TEST(ReadMenu, WrittenMenuReadsBackToTheSameLines) {
  // Lines of an archive read back earlier: bare page names, origin "1".
  const std::vector<Lines> work = {
      {"2004-05-06 07:08:09", "Re: test", "Alpha <alpha>", "<b1>", "<a1>", "m0000002.htm", "1"},
      {"2004-05-06 07:00:00", "test", "Beta <beta@example.jp>", "<a1>", "", "m0000001.htm", "1"},
      {"", "no date", "x <y>", "<e1>", "", "m0000007.htm", "1"},
      {"sometime / soon", "raw date", "z", "<f1>", "", "m0000008.htm", "1"},
      {"2004-05-07 00:00:00", "a / b --> c --!> d", "s", "<g1>", "", "m0000009.htm", "1"},
      {"2004-05-07 00:00:01", "p--&gt;q --&amp; r", "x>y <z@w>", "<h1-->", "<i1--!>", "m0000010.htm", "1"},
      {"2004-05-07 00:00:02", "From_Data: x / Date_Data: y / Subj_Data: z", "In-Reply-To: <q>", "<j1>", "<a1>",
       "m0000011.htm", "1"},
      {"2004-05-07 00:00:03", "表示<ー>]ソ / ゾ-->", "ポ太郎 <pota@example.jp>", "<k1>", "<j1>", "m0000012.htm", "1"},
      {"2004-05-07 00:00:04", "", "", "", "", "m0000013.htm", "1"},
      {"2004-05-07 00:00:05", "dash-", "e--", "<l1->", "--", "m0000014.htm", "1"},
      // Label texts in the values found by the next label, and escapes of them.
      {"2004-05-07 00:00:07", "x", "Eve / Date_Data:1999-01-01 00:00:00 / Subj_Data:x <eve@x>", "<n1>", "<a1>",
       "m0000003.htm", "1"},
      {"2004-05-07 00:00:08", "y", "Eve / Date_Data: <eve@x>", "<o1 / In-Reply-To:x>", "<p / Subject_Len:9>",
       "m0000004.htm", "1"},
      {"raw / Subj_Data:z", "z", "Eve &#47; From_Data: &amp;#47; Date_Data: / Message-ID:", "<q1>", "", "m0000005.htm",
       "1"},
      // Longer than a 16-bit position.
      {"2004-05-07 00:00:06", std::string(40000, 'x') + "表", std::string(40000, 's'), "<m1>", "", "m0000006.htm", "1"},
  };
  struct Row {
    const char* name;
    bool subj, date, hasn, adrs, rank;
  } rows[] = {
      {"all_columns", true, true, true, true, true},
      {"no_columns", false, false, false, false, false},
      {"address_only", false, false, false, true, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ArchiveFixture f;
    f.ws.set.MN_SUBJ = r.subj;
    f.ws.set.MN_DATE = r.date;
    f.ws.set.MN_HASN = r.hasn;
    f.ws.set.MN_ADRS = r.adrs;
    f.ws.set.ML_RANK = r.rank;
    f.ws.set.S_TITLE = true;
    for (const Lines& w : work) f.ws.work_list.add(Work_Line(w));
    const Lines before = All(f.ws.work_list);
    ASSERT_TRUE(Syosai_Make(f.ws));
    ASSERT_TRUE(Make_Menu(f.ws, f.records, f.out.path()));

    f.ws.work_list.clear();
    ASSERT_TRUE(Read_Menu(f.ws, f.records, f.out.path()));
    EXPECT_EQ(All(f.ws.work_list), before);
    EXPECT_EQ(f.ws.Mail_No, 14);
    EXPECT_TRUE(f.ui.messages.empty());
  }
}

TEST(ReadMenu, FolderWithoutMenuAddsNothing) {
  ArchiveFixture f;
  EXPECT_TRUE(Read_Menu(f.ws, f.records, f.out.path()));
  EXPECT_EQ(f.ws.work_list.count(), 0u);
  EXPECT_EQ(f.ws.Mail_No, 0);
}

TEST(ReadMenu, HighestPageNumberWhateverTheOrder) {
  ArchiveFixture f;
  const std::string c = "Message-ID:<x> / In-Reply-To: / Subject_Len:1 / From_Data:a / Date_Data: / Subj_Data:s";
  f.out.write("menu.html", Crlf({Entry("", "m0000010.htm", "a", "s", c), Entry("", "m0000003.htm", "a", "s", c),
                                 Entry("", "m0000003.htm", "a", "s", c)}));
  ASSERT_TRUE(Read_Menu(f.ws, f.records, f.out.path()));
  EXPECT_EQ(f.ws.Mail_No, 10);
  // The same page listed twice gives two lines.
  EXPECT_EQ(All(f.ws.work_list), (Lines{"\ts\ta\t<x>\t\tm0000003.htm\t1", "\ts\ta\t<x>\t\tm0000003.htm\t1",
                                        "\ts\ta\t<x>\t\tm0000010.htm\t1"}));
}

// A menu as earlier versions wrote it: raw visible text, no escapes in the
// comment, tree marks at any depth, blank lines, the ranking link.
TEST(ReadMenu, EntriesAtAnyDepthAmongOtherLines) {
  ArchiveFixture f;
  Lines file(std::begin(kHead), std::end(kHead));
  file.push_back(
      "<A HREF=\"rank_hyo.htm\" target=\"frame2\" title=\"発信者ランキング\">発信者、発信数ランキング</A><BR>");
  file.push_back(Entry("", "m0000001.htm", "Alpha <alpha>", "test(2004-05-06 07:08:09)[Alpha]",
                       "Message-ID:<a1> / In-Reply-To: / Subject_Len:4 / From_Data:Alpha <alpha> / "
                       "Date_Data:2004-05-06 07:08:09 / Subj_Data:test"));
  file.push_back(Entry("└", "m0000002.htm", "B <b>", "Re: test",
                       "Message-ID:<b1> / In-Reply-To:<a1> / Subject_Len:8 / From_Data:B <b> / "
                       "Date_Data:2004-05-06 07:08:10 / Subj_Data:Re: test"));
  file.push_back(Entry("　　└", "m0000004.htm", "C", "x / Subj_Data: From_Data: <!-- y",
                       "Message-ID:<d1> / In-Reply-To:<c1> / Subject_Len:11 / From_Data:C / "
                       "Date_Data:2004-05-06 07:08:11 / Subj_Data:a / b --> c"));
  file.push_back("");
  file.push_back(Entry("", "m0000003.htm", "", "",
                       "Message-ID: / In-Reply-To: / Subject_Len:0 / From_Data: / Date_Data:2004-05-06 07:08:12 / "
                       "Subj_Data:"));
  file.insert(file.end(), {"</FONT>", "</PRE>", "</BODY>", "</HTML>"});
  f.out.write("menu.html", Crlf(file));

  ASSERT_TRUE(Read_Menu(f.ws, f.records, f.out.path()));
  EXPECT_EQ(All(f.ws.work_list), (Lines{
                                     "2004-05-06 07:08:09\ttest\tAlpha <alpha>\t<a1>\t\tm0000001.htm\t1",
                                     "2004-05-06 07:08:10\tRe: test\tB <b>\t<b1>\t<a1>\tm0000002.htm\t1",
                                     "2004-05-06 07:08:11\ta / b --> c\tC\t<d1>\t<c1>\tm0000004.htm\t1",
                                     "2004-05-06 07:08:12\t\t\t\t\tm0000003.htm\t1",
                                 }));
  EXPECT_EQ(f.ws.Mail_No, 4);
}

// Menus of earlier runs may lack the character set line in their head.
TEST(ReadMenu, HeadWithAndWithoutTheCharsetLine) {
  const std::string entry = Entry("", "m0000005.htm", "a", "s",
                                  "Message-ID:<x> / In-Reply-To: / Subject_Len:1 / From_Data:a / "
                                  "Date_Data:2004-05-06 07:08:12 / Subj_Data:s");
  for (bool charset : {true, false}) {
    SCOPED_TRACE(charset ? "with" : "without");
    ArchiveFixture f;
    Lines file(std::begin(kHead), std::end(kHead));
    if (!charset) file.erase(file.begin() + 2);
    ASSERT_EQ(file[2].find("charset") == std::string::npos, !charset);
    file.push_back(entry);
    file.insert(file.end(), {"</FONT>", "</PRE>", "</BODY>", "</HTML>"});
    f.out.write("menu.html", Crlf(file));
    ASSERT_TRUE(Read_Menu(f.ws, f.records, f.out.path()));
    EXPECT_EQ(All(f.ws.work_list), (Lines{"2004-05-06 07:08:12\ts\ta\t<x>\t\tm0000005.htm\t1"}));
    EXPECT_EQ(f.ws.Mail_No, 5);
  }
}

TEST(ReadMenu, MalformedEntryIsReportedNotCrashed) {
  const std::string good = Entry("", "m0000001.htm", "a", "s",
                                 "Message-ID:<x> / In-Reply-To: / Subject_Len:1 / From_Data:a / Date_Data: / "
                                 "Subj_Data:s");
  // The second line of the box names the file, the line and the fault.
  struct Row {
    const char* name;
    std::string line;
    int number;
    const char* reason;
  } rows[] = {
      {"no_in_reply_to",
       Entry("", "m0000002.htm", "a", "s", "Message-ID:<x> / Subject_Len:1 / From_Data:a / Date_Data: / Subj_Data:s"),
       5, "隠しコメントに In-Reply-To: がありません"},
      {"no_subj_data",
       Entry("", "m0000002.htm", "a", "s", "Message-ID:<x> / In-Reply-To: / Subject_Len:1 / From_Data:a / Date_Data:"),
       5, "隠しコメントに Subj_Data: がありません"},
      {"labels_out_of_order",
       Entry("", "m0000002.htm", "a", "s",
             "Message-ID:<x> / Subject_Len:1 / In-Reply-To: / From_Data:a / Date_Data: / "
             "Subj_Data:s"),
       5, "隠しコメントに Subject_Len: がありません"},
      {"subject_len_no_number",
       Entry("", "m0000002.htm", "a", "s",
             "Message-ID:<x> / In-Reply-To: / Subject_Len:x / From_Data:a / Date_Data: / "
             "Subj_Data:s"),
       13, "Subject_Len が数字ではありません"},
      {"subject_shorter_than_len",
       Entry("", "m0000002.htm", "a", "s",
             "Message-ID:<x> / In-Reply-To: / Subject_Len:99 / From_Data:a / "
             "Date_Data: / Subj_Data:s"),
       5, "件名の長さが Subject_Len と合いません"},
      {"subject_len_too_small",
       Entry("", "m0000002.htm", "a", "sss",
             "Message-ID:<x> / In-Reply-To: / Subject_Len:2 / From_Data:a / "
             "Date_Data: / Subj_Data:sss"),
       5, "件名の長さが Subject_Len と合いません"},
      {"page_number_no_number", Entry("", "mABCDEFG.htm", "a", "s", "Message-ID:<x>"), 13,
       "ページ名の番号が数字ではありません"},
      {"line_cut_after_page", "<A HREF=\"m0000002.htm\"", 5, "リンクが途中で切れています"},
      {"page_cut_short", "└<A HREF=\"m00", 5, "ページ名が途中で切れています"},
      {"title_not_closed", "<A HREF=\"m0000002.htm\" target=\"frame2\" title=\"abc", 5, "title 属性が閉じていません"},
      {"no_comment", "<A HREF=\"m0000002.htm\" target=\"frame2\" title=\"a\">Message-ID:<x> / In-Reply-To:", 5,
       "隠しコメントに Message-ID: がありません"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ArchiveFixture f;
    // The faulty entry stands on line 3, after an empty line.
    f.out.write("menu.html", Crlf({good, "", r.line, good}));
    EXPECT_FALSE(Read_Menu(f.ws, f.records, f.out.path()));
    EXPECT_EQ(f.ui.messages, (Lines{"エラー: エラーが発生しました。(Read_Menu:" + std::to_string(r.number) +
                                    ") 処理を中断します。\r\n" + f.out / "menu.html" +
                                    " の 3 行目: メニューの項目が壊れています: " + r.reason}));
    EXPECT_EQ(f.ws.work_list.count(), 1u);  // the line before the fault stays
  }
}

// A long menu: every entry is read once, the highest page number counts
// wherever it stands, and a fault anywhere keeps exactly the entries before
// it.
TEST(ReadMenu, LongMenuReadInOrderAndStoppedAtItsFault) {
  auto entry = [](int k) {
    char page[16];
    std::snprintf(page, sizeof page, "m%07d.htm", k == 12345 ? 9000000 : k);
    const std::string id = "<" + std::to_string(k) + ">";
    return Entry("", page, "a", "s",
                 "Message-ID:" + id + " / In-Reply-To: / Subject_Len:1 / From_Data:a / Date_Data: / Subj_Data:s");
  };
  const int total = 20000;
  for (int bad : {-1, 3, 8196, 4100 + 8192, total - 1}) {
    SCOPED_TRACE(bad);
    ArchiveFixture f;
    Lines menu(std::begin(kHead), std::end(kHead));
    for (int k = 0; k < total; ++k) {
      menu.push_back(k == bad ? "<A HREF=\"m00" : entry(k));
      if (k % 3 == 2) menu.push_back("");  // lines between threads
    }
    f.out.write("menu.html", Crlf(menu));
    EXPECT_EQ(Read_Menu(f.ws, f.records, f.out.path()), bad < 0);
    const std::size_t kept = bad < 0 ? total : static_cast<std::size_t>(bad);
    ASSERT_EQ(f.ws.work_list.count(), kept);
    // Every entry has an id of its own, so the sorted list is in id text order.
    Lines want;
    for (std::size_t k = 0; k < kept; ++k) want.push_back("<" + std::to_string(k) + ">");
    std::sort(want.begin(), want.end());
    Lines got;
    for (std::size_t i = 0; i < f.ws.work_list.count(); ++i)
      got.push_back(std::string(f.ws.work_list.at(i).message_id()));
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, want);
    EXPECT_EQ(f.ws.Mail_No, kept > 12345 ? 9000000 : static_cast<long long>(kept) - 1);
  }
}

TEST(ReadMenu, UnreadableMenuReported) {
  ArchiveFixture f;
  std::filesystem::create_directory(f.out / "menu.html");
  EXPECT_FALSE(Read_Menu(f.ws, f.records, f.out.path()));
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_TRUE(f.ui.messages[0].starts_with("エラー: エラーが発生しました。(Read_Menu:"));
}

}  // namespace
