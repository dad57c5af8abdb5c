// The settings screen's sample pages.
#include "settings/sample_preview.h"

#include <sys/stat.h>

#include <filesystem>

#include "codec/sjis_text.h"
#include "core/split_lines.h"
#include "core/vb_error.h"
#include "ini_test_support.h"

namespace {

using ini_test::sj;

// UTF-8 lines to the Shift_JIS file they stand for, each ended by CR LF.
std::string Page(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* l : lines) out += sj(l) + "\r\n";
  return out;
}

// Top/bottom at 30%, size -1 (typed with spaces around it), and five
// distinct colours, so that a colour in the wrong place shows; the visited
// colour as the picker hands it back, in upper case.
IniScreen Rows30SizeMinus1() {
  IniScreen scr;
  Shokichi_Set(scr);
  scr.g_frm_sayuu = false;
  scr.g_iti_per = "30";
  scr.g_ft_size = " -1 ";
  scr.g_bgr_col.kept = "fffff0";
  scr.g_txt_col.kept = "000001";
  scr.g_lnk_col.kept = "0000ff";
  scr.g_vlk_col.kept = "FF0000";
  scr.g_rep_col.kept = "007f00";
  return scr;
}

using SamplePreview = ini_test::ProgramDir;

TEST_F(SamplePreview, PagesByteForByte) {
  const IniScreen scr = Rows30SizeMinus1();
  ASSERT_NO_THROW(sample_write(scr, dir));

  EXPECT_EQ(read_bytes(dir + "/dmy_top.html"), Page({
                                                   "<HTML>",
                                                   "<HEAD>",
                                                   "<TITLE>サンプル表示</TITLE>",
                                                   "</HEAD>",
                                                   "<FRAMESET ROWS=30%,*>",
                                                   "    <FRAME SRC=\"dmy_left.html\" name=\"frame1\">",
                                                   "    <FRAME SRC=\"dmy_right.html\" name=\"frame2\">",
                                                   "</FRAMESET>",
                                                   "</HTML>",
                                               }));
  EXPECT_EQ(read_bytes(dir + "/dmy_left.html"),
            Page({
                "<HTML>",
                "<BODY BGCOLOR=\"#fffff0\">",
                "<PRE>",
                "<FONT SIZE=\"-1\">",
                "実際のイメージのサンプルです。",
                "同じようなイメージになるソースを作成しています。",
                "そのため、実際のソースとは全然ちがいます。</FONT>",
                "",
                "<U><FONT SIZE=\"-1\" COLOR=\"#0000ff\">未参照のタイトル - 1</FONT></U>",
                "<FONT SIZE=\"-1\" COLOR=\"#000001\">└</FONT><U><FONT SIZE=\"-1\" "
                "COLOR=\"#0000ff\">未参照のタイトル - ２</FONT></U>",
                "<FONT SIZE=\"-1\" COLOR=\"#000001\">　└</FONT><U><FONT SIZE=\"-1\" "
                "COLOR=\"#FF0000\">参照済のタイトル - ３</FONT></U>",
                "<FONT SIZE=\"-1\" COLOR=\"#000001\">└</FONT><U><FONT SIZE=\"-1\" "
                "COLOR=\"#FF0000\">参照済のタイトル - ４</FONT></U>",
                "</FONT>",
                "</PRE>",
                "</BODY>",
                "</HTML>",
            }));
  EXPECT_EQ(read_bytes(dir + "/dmy_right.html"),
            Page({
                "<HTML>",
                "<BODY BGCOLOR=\"#fffff0\">",
                "<FONT SIZE=\"-1\" COLOR=\"#000001\">",
                "<BR>-------------------------------<BR>",
                "こちらは、一覧部で選択された項目の<BR>",
                "内容が表示されます。<BR>",
                "</FONT>",
                "<FONT SIZE=\"-1\" COLOR=\"#007f00\">",
                "&gt; この部分は引用文です。<BR>",
                "&gt; 引用文はこの色が指定されています。<BR>",
                "</FONT>",
                "<FONT SIZE=\"-1\" COLOR=\"#000001\">",
                "-------------------------------<BR>",
                "</FONT>",
                "<U><FONT SIZE=\"-1\" COLOR=\"#0000ff\">添付ファイル名</FONT></U><BR>",
                "-------------------------------<BR>",
                "</BODY>",
                "</HTML>",
            }));
  EXPECT_FALSE(std::filesystem::exists(ini)) << "the sample never writes the settings file";
}

// Single lines that matter on their own, against the page's lines.
TEST_F(SamplePreview, KeyLines) {
  struct Case {
    const char* name;
    bool sayuu;
    std::string width, size;
    std::string top_line5, left_line4;
  };
  const Case cases[] = {
      {"left/right at 50", true, "50", "2", "<FRAMESET COLS=50%,*>", "<FONT SIZE=\"2\">"},
      {"top/bottom at 30", false, "30", "2", "<FRAMESET ROWS=30%,*>", "<FONT SIZE=\"2\">"},
      {"unchecked width written as it is", true, "abc", "2", "<FRAMESET COLS=abc%,*>", "<FONT SIZE=\"2\">"},
      {"size -1", true, "50", "-1", "<FRAMESET COLS=50%,*>", "<FONT SIZE=\"-1\">"},
      {"hand-edited size shown unchecked", true, "7.2", "  big ", "<FRAMESET COLS=7.2%,*>", "<FONT SIZE=\"big\">"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IniScreen scr;
    Shokichi_Set(scr);
    scr.g_frm_sayuu = c.sayuu;
    scr.g_iti_per = c.width;
    scr.g_ft_size = c.size;
    ASSERT_NO_THROW(sample_write(scr, dir));
    const auto top = split_lines(read_bytes(dir + "/dmy_top.html"));
    const auto left = split_lines(read_bytes(dir + "/dmy_left.html"));
    const auto right = split_lines(read_bytes(dir + "/dmy_right.html"));
    ASSERT_EQ(top.size(), 9u);
    ASSERT_EQ(left.size(), 16u);
    ASSERT_EQ(right.size(), 18u);
    EXPECT_EQ(top[4], c.top_line5);
    EXPECT_EQ(left[3], c.left_line4);
    const std::string size = "SIZE=\"" + std::string(sjis::trim(c.size)) + "\" COLOR=";
    EXPECT_EQ(right[2], "<FONT " + size + "\"#000000\">");
    EXPECT_EQ(right[7], "<FONT " + size + "\"#007f00\">");
  }
}

TEST_F(SamplePreview, OldPagesReplacedNotFollowed) {
  // A page left from before, and one that is a link to a file elsewhere: both
  // are replaced, and the file the link pointed to stays as it was.
  TempDir elsewhere;
  const std::string target = elsewhere.write("keep.txt", "keep");
  write_bytes(dir + "/dmy_top.html", std::string(5000, 'x'));
  ASSERT_EQ(::symlink(target.c_str(), (dir + "/dmy_left.html").c_str()), 0);
  IniScreen scr;
  Shokichi_Set(scr);
  ASSERT_NO_THROW(sample_write(scr, dir));
  EXPECT_EQ(read_bytes(dir + "/dmy_top.html"), sample_top_text(scr));
  EXPECT_FALSE(std::filesystem::is_symlink(dir + "/dmy_left.html"));
  EXPECT_EQ(read_bytes(dir + "/dmy_left.html"), sample_left_text(scr));
  EXPECT_EQ(read_bytes(target), "keep");
}

TEST_F(SamplePreview, MissingFolderIsMade) {
  // An installed program's sample folder is made on first use.
  IniScreen scr;
  Shokichi_Set(scr);
  ASSERT_NO_THROW(sample_write(scr, dir + "/cache/vorn_htm"));
  EXPECT_EQ(read_bytes(dir + "/cache/vorn_htm/dmy_right.html"), sample_right_text(scr));
}

TEST_F(SamplePreview, FailureThrowsTheNumberShown) {
  IniScreen scr;
  Shokichi_Set(scr);
  write_bytes(dir + "/file", "x");
  try {
    sample_write(scr, dir + "/file");
    FAIL() << "no error for a file in the folder's place";
  } catch (const VbError& e) {
    EXPECT_EQ(e.number, 76);
  }
  // A folder in the place of the left page cannot be deleted: nothing is
  // written.
  std::filesystem::create_directory(dir + "/dmy_left.html");
  EXPECT_THROW(sample_write(scr, dir), VbError);
  EXPECT_FALSE(std::filesystem::exists(dir + "/dmy_top.html"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/dmy_right.html"));
}

}  // namespace
