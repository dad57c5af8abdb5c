#include "archive/menu_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "archive/menu_index.h"
#include "archive_fixture.h"
#include "core/file_read.h"

namespace {

using Lines = std::vector<std::string>;

struct MenuFixture : ArchiveFixture {
  MenuFixture() { ws.set.ML_RANK = false; }
  // Threads and writes the menu for UTF-8 work_list lines; its lines.
  Lines menu(const std::vector<Lines>& work) {
    for (const Lines& w : work) ws.work_list.add(Work_Line(w));
    EXPECT_TRUE(Syosai_Make(ws));
    EXPECT_TRUE(Make_Menu(ws, records, out.path()));
    return lines("menu.html");
  }
  // The entry lines only (those holding a page link).
  Lines entries(const std::vector<Lines>& work) {
    Lines all = menu(work), e;
    for (const std::string& l : all)
      if (l.find("<A HREF=\"m") != std::string::npos) e.push_back(l);
    return e;
  }
};

// The visible text of an entry: after the `">` that closes the title
// attribute (a sender never holds a double quote), before "<!--".
std::string Visible(const std::string& entry) {
  std::size_t p = entry.find("\" title=\"");
  if (p == std::string::npos) return "(no title)";
  p = entry.find("\">", p + 9);
  if (p == std::string::npos) return "(title not closed)";
  std::string rest = entry.substr(p + 2);
  return rest.substr(0, rest.find("<!--"));
}

std::string Comment(const std::string& entry) {
  std::size_t p = entry.find("<!-- Message-ID:");
  return p == std::string::npos ? "(no comment)" : entry.substr(p);
}

TEST(MakeMenu, WholeFileMatchesCheckedInList) {
  MenuFixture f;
  f.ws.set.ML_RANK = true;
  f.ws.set.MN_SUBJ = f.ws.set.MN_DATE = f.ws.set.MN_HASN = f.ws.set.MN_ADRS = true;
  f.ws.set.DAT_FMT = "yyyy/mm/dd hh:nn";
  f.menu({
      {"2004-05-06 07:00:00", "test", "\"Beta\" <beta@example.jp>", "<a1>", "", "/out/m0000001.htm", "0"},
      {"2004-05-06 07:08:09", "Re: test", "Alpha <alpha>", "<b1>", "<a1>", "/out/m0000002.htm", "0"},
      {"2004-05-07 10:00:00", "Re: Re: test", "Gamma <gamma@example.jp>", "<c1>", "<b1>", "m0000003.htm", "1"},
      {"2004-05-08 11:00:00", "日本語の件名 <b>", "テスト太郎 <taro@example.jp>", "<d1>", "", "/out/m0000004.htm", "0"},
      {"sometime", "a --> b", "nobody", "", "", "/out/m0000005.htm", "0"},
  });
  EXPECT_EQ(f.out.read("menu.html"),
            read_file(std::string(VORN_SOURCE_DIR) + "/tests/archive/data/menu_expected.html"));
}

TEST(MakeMenu, VisibleColumns) {
  struct Row {
    const char* name;
    bool subj, date, hasn, adrs;
    const char* subject;
    const char* sender;
    const char* date_field;
    const char* visible;
  } rows[] = {
      {"all_off_empty", false, false, false, false, "s", "a <b>", "2004-05-06 07:08:09", ""},
      {"name_without_lt_is_empty", false, false, true, false, "s", " nobody ", "", "[]"},
      {"address_without_lt_is_whole_sender", false, false, false, true, "s", "  nobody  ", "", "[nobody]"},
      {"both_columns", false, false, true, true, "s", "Alpha  <alpha@x> ", "", "[Alpha alpha@x]"},
      {"lt_with_nothing_after_gives_empty_address", false, false, true, true, "s", "Name <", "", "[Name ]"},
      {"lt_with_spaces_after_gives_empty_address", false, false, false, true, "s", "Name <   ", "", "[]"},
      {"last_character_removed_whole", false, false, true, true, "s", "ポ <x表", "", "[ポ x]"},
      {"trail_bytes_in_address", false, false, true, true, "s", "ソ表 <表ー>", "", "[ソ表 表ー]"},
      {"sender_column_escaped", false, false, true, true, "s", "x<y> <z>", "", "[x y&gt; &lt;z]"},
      {"subject_escaped", true, false, false, false, "<b>x</b>", "a", "", "&lt;b&gt;x&lt;/b&gt;"},
      {"subject_trail_bytes_near_lt", true, false, false, false, "表<ー>]ゾ", "a", "", "表&lt;ー&gt;]ゾ"},
      {"date_rendered", false, true, false, false, "s", "a", "2004-05-06 07:08:09", "(2004/05/06)"},
      {"raw_date_as_it_is", false, true, false, false, "s", "a", "someday <x>", "(someday &lt;x&gt;)"},
      {"empty_date", false, true, false, false, "s", "a", "", "()"},
      {"columns_in_order", true, true, true, false, "s", "N <a>", "2004-05-06 07:08:09", "s(2004/05/06)[N]"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    MenuFixture f;
    f.ws.set.MN_SUBJ = r.subj;
    f.ws.set.MN_DATE = r.date;
    f.ws.set.MN_HASN = r.hasn;
    f.ws.set.MN_ADRS = r.adrs;
    f.ws.set.DAT_FMT = "yyyy/mm/dd";
    Lines e = f.entries({{r.date_field, r.subject, r.sender, "<i>", "", "m0000001.htm", "1"}});
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(Visible(e[0]), r.visible);
    EXPECT_TRUE(f.ui.messages.empty());
  }
}

TEST(MakeMenu, SubjectCleanedForTheListOnly) {
  MenuFixture f;
  f.ws.set.MN_SUBJ = true;
  f.ws.set.MN_DATE = f.ws.set.MN_HASN = false;
  f.ws.set.SBJ_KAK = false;
  Lines e = f.entries({{"", "[ml:1] Re: hello", "a", "<i>", "", "m0000001.htm", "1"}});
  EXPECT_EQ(Visible(e[0]), " Re: hello");
  EXPECT_TRUE(e[0].ends_with(" / Subject_Len:16 / From_Data:a / Date_Data: / Subj_Data:[ml:1] Re: hello--></A>"));
}

TEST(MakeMenu, CommentValuesCannotCloseTheComment) {
  MenuFixture f;
  Lines e = f.entries({{"when-->", "a-->b--!>c--&gt;d->e", "s--> <x@y>", "<i-->", "<p--!>", "m0000001.htm", "1"}});
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(Comment(e[0]),
            "<!-- Message-ID:<i--&gt; / In-Reply-To:<p--!&gt; / Subject_Len:30 / From_Data:s--&gt; <x@y> / "
            "Date_Data:when--&gt; / Subj_Data:a--&gt;b--!&gt;c--&amp;gt;d->e--></A>");
  // Only the comment's own end closes it.
  const std::string c = Comment(e[0]);
  EXPECT_EQ(c.find("-->"), c.size() - 7);
  EXPECT_EQ(c.find("--!>"), std::string::npos);
}

TEST(MakeMenu, TreeMarksAndGapsBetweenThreads) {
  MenuFixture f;
  f.ws.set.MN_SUBJ = true;
  f.ws.set.MN_DATE = f.ws.set.MN_HASN = false;
  Lines all = f.menu({
      {"2004-01-01 00:00:00", "r1", "a", "<1>", "", "m0000001.htm", "1"},
      {"2004-01-01 00:00:01", "d1", "a", "<2>", "<1>", "m0000002.htm", "1"},
      {"2004-01-01 00:00:02", "d2", "a", "<3>", "<2>", "m0000003.htm", "1"},
      {"2004-01-01 00:00:03", "d3", "a", "<4>", "<3>", "m0000004.htm", "1"},
      {"2004-01-01 00:00:04", "r2", "a", "<5>", "", "m0000005.htm", "1"},
      {"2004-01-01 00:00:05", "r3", "a", "<6>", "", "m0000006.htm", "1"},
  });
  Lines drawn;  // each body line cut at its link
  for (std::size_t i = 9; i + 4 < all.size(); ++i) {
    std::size_t p = all[i].find("<A HREF=");
    drawn.push_back(p == std::string::npos ? all[i] : all[i].substr(0, p) + Visible(all[i]));
  }
  EXPECT_EQ(drawn, (Lines{"r1", "└d1", "　└d2", "　　└d3", "", "r2", "", "r3"}));
}

// Long lists are drawn in rounds of several thousand entries on two
// threads; rounds and their halves end inside threads and between them.
TEST(MakeMenu, LongListDrawnInOrderAcrossRounds) {
  MenuFixture f;
  f.ws.set.MN_SUBJ = true;
  f.ws.set.MN_DATE = f.ws.set.MN_HASN = f.ws.set.MN_ADRS = false;
  std::vector<Lines> work;
  Lines want;
  const int threads = 6700;  // 20,100 entries
  for (int t = 0; t < threads; ++t) {
    const std::string n = std::to_string(t);
    char when[32];
    std::snprintf(when, sizeof when, "2004-01-01 %02d:%02d:%02d", t / 3600, t / 60 % 60, t % 60);
    work.push_back({when, "r" + n, "a", "<r" + n + ">", "", "m0000001.htm", "1"});
    work.push_back({when, "a" + n, "a", "<a" + n + ">", "<r" + n + ">", "m0000001.htm", "1"});
    work.push_back({when, "b" + n, "a", "<b" + n + ">", "<a" + n + ">", "m0000001.htm", "1"});
    if (t > 0) want.push_back("");
    want.insert(want.end(), {"r" + n, "└a" + n, "　└b" + n});
  }
  const Lines all = f.menu(work);
  ASSERT_GT(all.size(), 13u);
  Lines drawn;
  for (std::size_t i = 9; i + 4 < all.size(); ++i) {
    const std::size_t p = all[i].find("<A HREF=");
    drawn.push_back(p == std::string::npos ? all[i] : all[i].substr(0, p) + Visible(all[i]));
  }
  ASSERT_EQ(drawn.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) ASSERT_EQ(drawn[i], want[i]) << "line " << i;
  EXPECT_EQ(all.back(), "</HTML>");
}

// The index a full build leaves beside its menu: each record names its
// line in menu.html as written, its thread and whether it is a root, and the
// hashes of its ids and subject; the blocks cover the records in order, each
// from its first line to the CR LF of its last.
TEST(MakeMenu, IndexOfAWholeMenuNamesItsLines) {
  MenuFixture f;
  f.ws.set.S_TITLE = true;
  f.menu({
      {"2004-01-01 00:00:00", "alpha", "A", "<a>", "", "m0000001.htm", "0"},
      {"2004-01-02 00:00:00", "Re: alpha", "B", "<b>", "<a>", "m0000002.htm", "0"},
      {"2004-01-03 00:00:00", "other", "C", "<c>", "", "m0000003.htm", "0"},
      {"2004-01-04 00:00:00", "Re: alpha", "D", "<d>", "<b>", "m0000004.htm", "0"},
      {"2004-01-05 00:00:00", "lone", "E", "", "", "m0000005.htm", "0"},
  });
  ASSERT_NE(f.records.New_Index, nullptr);
  const MenuIndex& index = *f.records.New_Index;
  const std::string menu = f.out.read("menu.html");
  // In menu order: message 1, its reply 2, 2's reply 4; then 3; then 5.
  const struct {
    const char* page;
    std::uint32_t root;
  } want[] = {{"m0000001", 1}, {"m0000002", 0}, {"m0000004", 0}, {"m0000003", 1}, {"m0000005", 1}};
  ASSERT_EQ(index.records.size(), std::size(want));
  for (std::size_t k = 0; k < std::size(want); ++k) {
    SCOPED_TRACE(k);
    const MenuRecord& r = index.records[k];
    ASSERT_LE(r.offset + r.length + 2, menu.size());
    const std::string line = menu.substr(r.offset, r.length);
    EXPECT_NE(line.find(std::string("<A HREF=\"") + want[k].page), std::string::npos) << line;
    EXPECT_EQ(menu.substr(r.offset + r.length, 2), "\r\n");
    EXPECT_EQ(menu.substr(r.offset - 2, 2), "\r\n");  // a line starts there
    EXPECT_EQ(r.root, want[k].root);
  }
  const auto& r = index.records;
  EXPECT_EQ(menu.substr(r[3].offset - 4, 4), "\r\n\r\n");  // an empty line before a later thread
  EXPECT_EQ(r[0].thread, r[1].thread);
  EXPECT_EQ(r[1].thread, r[2].thread);
  EXPECT_NE(r[3].thread, r[0].thread);
  EXPECT_NE(r[4].thread, r[3].thread);
  EXPECT_NE(r[4].thread, r[0].thread);
  EXPECT_EQ(r[1].parent_hash, r[0].id_hash);
  EXPECT_EQ(r[2].parent_hash, r[1].id_hash);
  for (std::size_t k : {0, 3, 4}) EXPECT_EQ(r[k].parent_hash, 0u) << k;
  for (std::size_t k : {0, 1, 2, 3}) EXPECT_NE(r[k].id_hash, 0u) << k;
  EXPECT_EQ(r[4].id_hash, 0u);
  EXPECT_NE(r[0].id_hash, r[3].id_hash);
  EXPECT_NE(r[0].subject, 0u);
  EXPECT_EQ(r[1].subject, r[0].subject);  // "Re: alpha" threads as "alpha"
  EXPECT_NE(r[3].subject, r[0].subject);

  const struct {
    std::uint32_t first, last, first_step, root_first;
  } blocks[] = {{0, 3, 0, 1}, {3, 4, 3, 1}, {4, 5, 4, 1}};
  ASSERT_EQ(index.blocks.size(), std::size(blocks));
  for (std::size_t b = 0; b < std::size(blocks); ++b) {
    SCOPED_TRACE(b);
    const MenuBlock& mb = index.blocks[b];
    EXPECT_EQ(mb.first, blocks[b].first);
    EXPECT_EQ(mb.last, blocks[b].last);
    EXPECT_EQ(mb.first_step, blocks[b].first_step);
    EXPECT_EQ(mb.root_first, blocks[b].root_first);
    EXPECT_EQ(mb.start, r[mb.first].offset);
    EXPECT_EQ(mb.end, r[mb.last - 1].offset + r[mb.last - 1].length + 2);
  }
}

TEST(MakeMenu, ListReplacedByRenameNeverRewrittenInPlace) {
  MenuFixture f;
  f.out.write("menu.html", "old list\r\n");
  // A second name for the old file: a list written in place would change
  // it too; a new file renamed over the name leaves it whole.
  std::filesystem::create_hard_link(f.out / "menu.html", f.out / "old_name");
  f.menu({{"", "s", "a", "", "", "m0000001.htm", "1"}});
  EXPECT_EQ(f.out.read("old_name"), "old list\r\n");
  EXPECT_EQ(f.lines("menu.html").front(), "<HTML>");
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(f.out.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (Lines{"menu.html", "old_name"}));  // no scratch file left
}

TEST(MakeMenu, FailuresReported) {
  struct Row {
    const char* name;
    std::string folder_suffix;
    const char* key;  // a thread key of message 5, of which work_list has none
    std::string message;
    std::string reason;  // the second line names the file and why
  } rows[] = {
      {"missing_folder", "/no/such", nullptr, "(Make_Menu:76)",
       "/no/such/menu.html: ファイルまたはフォルダがありません (No such file or directory)"},
      {"number_outside_work_list", "", "Z0000005", "(Make_Menu:9)", "内部エラー (line list index)"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    MenuFixture f;
    if (r.key) f.ws.syo_list.add(r.key, 5);
    EXPECT_FALSE(Make_Menu(f.ws, f.records, f.out.path() + r.folder_suffix));
    ASSERT_EQ(f.ui.messages.size(), 1u);
    const std::string reason = r.folder_suffix.empty() ? r.reason : f.out.path() + r.reason;
    EXPECT_EQ(f.ui.messages[0], "エラー: エラーが発生しました。" + r.message + " 処理を中断します。\r\n" + reason);
    EXPECT_FALSE(std::filesystem::exists(f.out / "menu.html"));
  }
}

}  // namespace
