// The settings screen's load and save, and the colour values of its samples.
#include "settings/ini_screen.h"

#include "ini_test_support.h"
#include "settings/color_conv.h"
#include "settings/settings_file.h"

namespace {

using ini_test::sj;

// The new file as the screen's save writes it: only line 51 differs.
std::string Saved_New_File(std::string bytes) {
  const std::string made = sj("#--- 添付ファイルの設定 ---\r\n");
  const std::string saved = sj("#--- 添付ファイルを展開するか？(1:Yes/0:No) ---\r\n");
  const std::size_t at = bytes.find(made);
  EXPECT_NE(at, std::string::npos);
  if (at != std::string::npos) bytes.replace(at, made.size(), saved);
  return bytes;
}

// The line of the saved file that starts with key, without its line end.
std::string Saved_Line(const std::string& file, const std::string& key) {
  const std::size_t at = file.find("\r\n" + key);
  if (at == std::string::npos) return "(missing)";
  const std::size_t end = file.find("\r\n", at + 2);
  return file.substr(at + 2, end - at - 2);
}

using IniRead = ini_test::ProgramDir;

TEST_F(IniRead, MissingFileIsCreatedAndShown) {
  IniScreen scr;
  EXPECT_TRUE(Ini_Read(scr, dir).empty());
  EXPECT_EQ(read_bytes(ini), data_file("new_file.ini"));
  // Loaded from the new file, not from the screen defaults.
  EXPECT_EQ(scr.g_bgr_col.kept, "ffffff");
  EXPECT_EQ(scr.g_bgr_col.shown, 0xFFFFFFu);
  EXPECT_TRUE(scr.g_kob_from);
  EXPECT_TRUE(scr.g_kob_to);
  EXPECT_EQ(scr.g_title_d[0], sj("はじめまして"));
  EXPECT_EQ(scr.g_title_d[2], sj("こんばんわ"));
  EXPECT_EQ(scr.g_title_d[3], "");
  EXPECT_EQ(scr.g_rep_mrk, ">|");
  EXPECT_EQ(scr.g_iti_per, "50");

  // Saving it unchanged gives the new file with the save's comment line.
  EXPECT_FALSE(ini_save(dir, scr).has_value());
  EXPECT_EQ(read_bytes(ini), Saved_New_File(data_file("new_file.ini")));
}

TEST_F(IniRead, HandEditedFileReadAndSaved) {
  write_bytes(ini, data_file("edited.ini"));
  IniScreen scr;
  EXPECT_TRUE(Ini_Read(scr, dir).empty());
  EXPECT_TRUE(scr.g_mn_subj) << "an indented key keeps the screen default";
  EXPECT_TRUE(scr.g_mn_date) << "a lower-case key keeps the screen default";
  EXPECT_FALSE(scr.g_frm_sayuu) << "FRM_KOU=10 selects top/bottom";
  EXPECT_EQ(scr.g_title_d[0], "x");
  EXPECT_EQ(scr.g_title_d[1], sj("こんにちは"));
  EXPECT_EQ(scr.g_iti_per, "50") << "a file without ITI_PER shows 50";
  EXPECT_EQ(scr.g_rep_mrk, " > ");
  EXPECT_EQ(scr.g_lnk_col.kept, "0000ff");
  EXPECT_EQ(scr.g_txt_col.kept, "12AbEf");
  EXPECT_EQ(scr.g_txt_col.shown, 0xEFAB12u);

  ASSERT_FALSE(ini_save(dir, scr).has_value());
  EXPECT_EQ(read_bytes(ini), data_file("edited_saved.ini"));
  EXPECT_EQ(other_entries(), 0u);
}

TEST_F(IniRead, ScreenDefaultsFillWhatAnExistingFileLacks) {
  // Most screen defaults show in the hand-edited file's save; these do not.
  write_ini("[vorn_htm]\r\n");
  IniScreen scr;
  scr.g_title_d[3] = "kept";
  EXPECT_TRUE(Ini_Read(scr, dir).empty());
  EXPECT_EQ(scr.g_bgr_col.kept, "999999");
  EXPECT_EQ(scr.g_bgr_col.shown, 0x999999u);
  EXPECT_EQ(scr.g_vlk_col.shown, 255u);
  EXPECT_FALSE(scr.g_kob_from);
  EXPECT_TRUE(scr.g_kob_thre);
  EXPECT_EQ(scr.g_title_d[3], "kept") << "boxes 3 and 4 have no screen default";
}

TEST_F(IniRead, TitleBoxes) {
  struct Case {
    const char* name;
    const char* lines;  // UTF-8 file text
    std::array<const char*, 5> boxes;
    const char* saved;  // TITLE_D line written back
  };
  const Case cases[] = {
      {"six titles: the sixth is dropped", "TITLE_D=a,b,c,d,e,f", {"a", "b", "c", "d", "e"}, "TITLE_D=a,b,c,d,e"},
      {"one title keeps boxes 1 and 2",
       "TITLE_D=x",
       {"x", "こんにちは", "こんばんわ", "", ""},
       "TITLE_D=x,こんにちは,こんばんわ"},
      {"empty value empties box 0 only",
       "TITLE_D=",
       {"", "こんにちは", "こんばんわ", "", ""},
       "TITLE_D=こんにちは,こんばんわ"},
      {"five titles and a trailing comma", "TITLE_D=a,b,c,d,e,", {"a", "b", "c", "d", "e"}, "TITLE_D=a,b,c,d,e"},
      {"empty pieces", "TITLE_D=,,c", {"", "", "c", "", ""}, "TITLE_D=c"},
      {"blanks are trimmed on save", "TITLE_D= a , ,b b ", {" a ", " ", "b b ", "", ""}, "TITLE_D=a,b b"},
      {"a second line refills from box 0",
       "TITLE_D=1,2,3,4,5\r\nTITLE_D=x,y",
       {"x", "y", "3", "4", "5"},
       "TITLE_D=x,y,3,4,5"},
      {"double-byte titles", "TITLE_D=表示,ソフト,ポ", {"表示", "ソフト", "ポ", "", ""}, "TITLE_D=表示,ソフト,ポ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_ini(std::string(c.lines) + "\r\n");
    IniScreen scr;
    ASSERT_TRUE(Ini_Read(scr, dir).empty());
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(scr.g_title_d[i], sj(c.boxes[i])) << "box " << i;
    ASSERT_FALSE(ini_save(dir, scr).has_value());
    EXPECT_EQ(Saved_Line(read_bytes(ini), "TITLE_D"), sj(c.saved));
  }
}

TEST_F(IniRead, UpperAndLowerCaseColoursReadAlike) {
  for (const char* value : {"#FFFFFF", "#ffffff"}) {
    SCOPED_TRACE(value);
    write_ini(std::string("BGR_COL=") + value + "\r\n");
    IniScreen scr;
    ASSERT_TRUE(Ini_Read(scr, dir).empty());
    EXPECT_EQ(scr.g_bgr_col.shown, 0xFFFFFFu);
    EXPECT_EQ(scr.g_bgr_col.kept, std::string(value + 1));
    ASSERT_FALSE(ini_save(dir, scr).has_value());
    EXPECT_EQ(Saved_Line(read_bytes(ini), "BGR_COL"), std::string("BGR_COL=") + value);
  }
}

TEST_F(IniRead, TextsShownUnchangedAndTrimmedOnlyWhereSaved) {
  write_ini("FT_SIZE= 3 \r\nDAT_FMT= yy/mm/dd \r\nITI_PER= 7.2 \r\n");
  IniScreen scr;
  ASSERT_TRUE(Ini_Read(scr, dir).empty());
  EXPECT_EQ(scr.g_ft_size, " 3 ");
  ASSERT_FALSE(ini_save(dir, scr).has_value());
  const std::string saved = read_bytes(ini);
  EXPECT_EQ(Saved_Line(saved, "FT_SIZE"), "FT_SIZE=3");
  EXPECT_EQ(Saved_Line(saved, "DAT_FMT"), "DAT_FMT= yy/mm/dd ");
  EXPECT_EQ(Saved_Line(saved, "ITI_PER"), "ITI_PER= 7.2 ");
}

TEST_F(IniRead, Failures) {
  {
    SCOPED_TRACE("file is a folder");
    std::filesystem::create_directory(ini);
    IniScreen scr;
    const auto faults = Ini_Read(scr, dir);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(ini_fault_text(faults[0]), "エラーが発生しました。(Ini_Read:75) 処理を中断します。");
    EXPECT_EQ(scr.g_bgr_col.kept, "999999") << "the screen defaults were applied before the read";
  }
  {
    SCOPED_TRACE("program folder cannot be made");
    write_bytes(dir + "/file", "x");
    IniScreen scr;
    const auto faults = Ini_Read(scr, dir + "/file/gone");
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0].proc, "Ini_Make");
    EXPECT_EQ(faults[0].number, 76);
    EXPECT_EQ(faults[1].proc, "Ini_Read");
    EXPECT_EQ(faults[1].number, 76);
  }
  {
    // A per-user program folder not made yet is made for the default file.
    SCOPED_TRACE("program folder missing");
    IniScreen scr;
    EXPECT_TRUE(Ini_Read(scr, dir + "/home/.config/vorn_htm").empty());
    EXPECT_EQ(read_bytes(dir + "/home/.config/vorn_htm/vorn_htm.ini"), data_file("new_file.ini"));
  }
}

using IniSave = ini_test::ProgramDir;

TEST_F(IniSave, EmptyTitleBoxesWriteAnEmptyList) {
  IniScreen scr;
  Shokichi_Set(scr);
  scr.g_title_d = {"", "   ", "", " ", ""};
  ASSERT_FALSE(ini_save(dir, scr).has_value());
  EXPECT_EQ(Saved_Line(read_bytes(ini), "TITLE_D"), "TITLE_D=");
}

TEST_F(IniSave, LineBreaksInTextsCannotAddLines) {
  IniScreen scr;
  Shokichi_Set(scr);
  scr.g_date_format = "yyyy\r\nVLK_COL=#000000";
  scr.g_title_d[3] = "a\nb";
  scr.g_bas_url = "https://example.org/ml/\r\nNAV_LNK=0";
  ASSERT_FALSE(ini_save(dir, scr).has_value());
  const std::string saved = read_bytes(ini);
  EXPECT_EQ(Saved_Line(saved, "DAT_FMT"), "DAT_FMT=yyyyVLK_COL=#000000");
  EXPECT_EQ(Saved_Line(saved, "VLK_COL"), "VLK_COL=#ff0000");
  EXPECT_EQ(Saved_Line(saved, "BAS_URL"), "BAS_URL=https://example.org/ml/NAV_LNK=0");
  EXPECT_EQ(Saved_Line(saved, "NAV_LNK"), "NAV_LNK=1");
  std::size_t lines = 0;
  for (std::size_t p = 0; (p = saved.find("\r\n", p)) != std::string::npos; p += 2) ++lines;
  EXPECT_EQ(lines, 63u);  // as many as the saved file has lines, ADR_HID and its comment the last two
}

TEST_F(IniSave, FailureIsReportedAndLeavesNoTemporaryFile) {
  std::filesystem::create_directory(ini);
  IniScreen scr;
  Shokichi_Set(scr);
  const auto fault = ini_save(dir, scr);
  ASSERT_TRUE(fault.has_value());
  EXPECT_EQ(ini_fault_text(*fault), "エラーが発生しました。(保存:75) 処理を中断します。");
  EXPECT_EQ(other_entries(), 0u);
}

TEST(ColorConv, Values) {
  struct Case {
    const char* text;
    std::uint32_t value;
  };
  const Case cases[] = {
      {"#007f00", 32512},
      {"#ff0000", 255},
      {"#FF0000", 255},
      {"#0000ff", 0xFF0000},
      {"#ffffff", 0xFFFFFF},
      {"#FFFFFF", 0xFFFFFF},
      {"#12AbEf", 0xEFAB12},
      {"#000000", 0},
      {"", 0},
      {"#", 0},
      {"#12", 0x1212},
      {"#zz0000", 0},
      {"#00ff0g", 0},
      {"#12345g", 5},
      {"abcdef", 0xEFDEBC},
      {"#abcdef00", 0x00CDAB},
      {"#表表表", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Color_Conv(sj(c.text)), c.value);
  }
}

}  // namespace
