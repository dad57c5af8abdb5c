// The run reader and the default file.
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/vb_error.h"
#include "ini_test_support.h"
#include "settings/settings_file.h"
#include "support/run_defaults.h"

namespace {

using ini_test::sj;

// Every run setting on one line each, for whole-struct comparisons.
std::string Describe(const Settings& s) {
  std::ostringstream o;
  o << "S_TITLE=" << s.S_TITLE << "\nTITLE_D=" << s.TITLE_D << "\nMN_SUBJ=" << s.MN_SUBJ << "\nMN_DATE=" << s.MN_DATE
    << "\nMN_HASN=" << s.MN_HASN << "\nMN_ADRS=" << s.MN_ADRS << "\nBGR_COL=" << s.BGR_COL << "\nTXT_COL=" << s.TXT_COL
    << "\nLNK_COL=" << s.LNK_COL << "\nVLK_COL=" << s.VLK_COL << "\nFT_SIZE=" << s.FT_SIZE << "\nML_RANK=" << s.ML_RANK
    << "\nSBJ_KAK=" << s.SBJ_KAK << "\nSBJ_RES=" << s.SBJ_RES << "\nREP_COL=" << s.REP_COL << "\nREP_MRK=" << s.REP_MRK
    << "\nFRM_KOU=" << s.FRM_KOU << "\nKB_SUBJ=" << s.KB_SUBJ << "\nKB_DATE=" << s.KB_DATE << "\nKB_FROM=" << s.KB_FROM
    << "\nKB_TOTO=" << s.KB_TOTO << "\nKB_THRE=" << s.KB_THRE << "\nDAT_FMT=" << s.DAT_FMT << "\nTE_FILE=" << s.TE_FILE
    << "\nITI_PER=" << s.ITI_PER << "\nADR_HID=" << s.ADR_HID << "\n";
  return o.str();
}

// A settings struct full of values no default has, to see every key reset.
Settings Scrambled(bool kb_thre) {
  Settings s;
  s.S_TITLE = s.MN_ADRS = s.KB_FROM = s.KB_TOTO = s.ADR_HID = true;
  s.MN_SUBJ = s.MN_DATE = s.MN_HASN = s.ML_RANK = s.SBJ_KAK = s.SBJ_RES = false;
  s.FRM_KOU = s.KB_SUBJ = s.KB_DATE = s.TE_FILE = false;
  s.TITLE_D = s.BGR_COL = s.TXT_COL = s.LNK_COL = s.VLK_COL = s.REP_COL = "junk";
  s.REP_MRK = s.DAT_FMT = s.ITI_PER = "junk";
  s.FT_SIZE = -77;
  s.KB_THRE = kb_thre;
  return s;
}

using LoadIni = ini_test::ProgramDir;

TEST_F(LoadIni, MissingFileGivesRunDefaultsAndKeepsKbThre) {
  for (bool kb_thre : {false, true}) {
    SCOPED_TRACE(kb_thre ? "KB_THRE on before" : "KB_THRE off before");
    Settings s = Scrambled(kb_thre);
    Load_Ini(s, dir);
    EXPECT_EQ(Describe(s), Describe(written_run_defaults(kb_thre)));
    EXPECT_EQ(s.VLK_COL, "#0000ff");
  }
  EXPECT_FALSE(std::filesystem::exists(ini)) << "the run reader never creates the file";
}

TEST_F(LoadIni, NewFileIsReadAsWritten) {
  Ini_Make(dir);
  Settings s = Scrambled(false);
  Load_Ini(s, dir);
  Settings want = written_run_defaults(true);
  want.S_TITLE = want.MN_ADRS = want.KB_FROM = want.KB_TOTO = want.ADR_HID = true;
  want.VLK_COL = "#ff0000";
  EXPECT_EQ(Describe(s), Describe(want));
}

TEST_F(LoadIni, HandEditedFile) {
  write_bytes(ini, data_file("edited.ini"));
  Settings s = Scrambled(true);
  Load_Ini(s, dir);
  Settings want = written_run_defaults(false);  // KB_THRE=0 in the file
  want.S_TITLE = false;
  want.MN_HASN = false;
  want.MN_ADRS = true;  // "1x": only the ninth character counts
  want.TITLE_D = "x";
  want.BGR_COL = "#FFFFFF";  // colours stay text, case kept
  want.TXT_COL = "#12AbEf";
  want.VLK_COL = "#00FF00";  // the last of two lines
  want.FT_SIZE = -2;
  want.ML_RANK = false;
  want.REP_MRK = " > ";  // values are not trimmed
  want.FRM_KOU = false;  // "10" is not "1"
  want.KB_FROM = true;
  want.DAT_FMT = "yy/mm/dd";
  want.TE_FILE = false;
  EXPECT_EQ(Describe(s), Describe(want));
}

TEST_F(LoadIni, KeysIndentedOrInLowerCaseApplyNothing) {
  write_ini(
      "[vorn_htm]\r\n S_TITLE=1\r\n\tMN_ADRS=1\r\nvlk_col=#123456\r\nFt_Size=4\r\n  ITI_PER=30\r\n"
      "#KB_FROM=1\r\nfrm_kou=0\r\n");
  Settings s = Scrambled(false);
  Load_Ini(s, dir);
  EXPECT_EQ(Describe(s), Describe(written_run_defaults(false)));
}

TEST_F(LoadIni, SwitchRules) {
  struct Case {
    const char* name;
    const char* line;  // UTF-8
    bool s_title, frm_kou;
  };
  const Case cases[] = {
      {"ninth character 1", "S_TITLE=1", true, true},
      {"only the ninth character counts", "S_TITLE=10", true, true},
      {"0", "S_TITLE=0", false, true},
      {"01", "S_TITLE=01", false, true},
      {"empty value", "S_TITLE=", false, true},
      {"key alone", "S_TITLE", false, true},
      {"eighth character not examined", "S_TITLE:1", true, true},
      {"double-byte eighth character", "S_TITLE表1", true, true},
      {"FRM_KOU whole value 1", "FRM_KOU=1", false, true},
      {"FRM_KOU=10 is top/bottom", "FRM_KOU=10", false, false},
      {"FRM_KOU with trailing blank", "FRM_KOU=1 ", false, false},
      {"FRM_KOU yes", "FRM_KOU=yes", false, false},
      {"FRM_KOU eighth character not examined", "FRM_KOU 1", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_ini(std::string(c.line) + "\r\n");
    Settings s = Scrambled(false);
    Load_Ini(s, dir);
    EXPECT_EQ(s.S_TITLE, c.s_title);
    EXPECT_EQ(s.FRM_KOU, c.frm_kou);
  }
}

TEST_F(LoadIni, FontSizeIsTheLeadingNumberRounded) {
  struct Case {
    const char* value;
    int size;
  };
  const Case cases[] = {
      {"3", 3},
      {"-3", -3},
      {"+4", 4},
      {" 4", 4},
      {"2.5", 2},
      {"3.5", 4},
      {"-2.5", -2},
      {"1.5", 2},
      {"4abc", 4},
      {"abc", 0},
      {"", 0},
      {".", 0},
      {"-", 0},
      {"1e1", 10},
      {"2e", 2},
      {"2e+", 2},
      {".6", 1},
      {"0.4e1", 4},
      {"99999999999", INT_MAX},
      {"-1e30", INT_MIN},
      {"1e-999", 0},
      {"1e999", INT_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("FT_SIZE=") + c.value);
    write_ini(std::string("FT_SIZE=") + c.value + "\r\n");
    Settings s;
    Load_Ini(s, dir);
    EXPECT_EQ(s.FT_SIZE, c.size);
  }
}

// A settings file that is there but cannot be read stops the run; the text
// says that it is the settings file, names it and gives the reason.
TEST_F(LoadIni, UnreadableFileIsAnErrorThatNamesItAndWhy) {
  struct Row {
    const char* name;
    void (*make)(const std::string& ini);
    int number;
    std::string reason;
  } rows[] = {
      {"folder_in_its_place", [](const std::string& p) { std::filesystem::create_directory(p); }, 75,
       "フォルダです (Is a directory)"},
      {"no_read_permission",
       [](const std::string& p) {
         std::ofstream(p) << "ITI_PER=30\r\n";
         std::filesystem::permissions(p, std::filesystem::perms::none);
       },
       70, "アクセスが許可されていません (Permission denied)"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::filesystem::remove_all(ini);
    r.make(ini);
    if (std::string(r.name) == "no_read_permission" && ::geteuid() == 0) continue;  // root reads it anyway
    Settings s;
    try {
      Load_Ini(s, dir);
      ADD_FAILURE() << "no error";
    } catch (const VbError& e) {
      EXPECT_EQ(e.number, r.number);
      EXPECT_EQ(std::string(e.what()),
                "設定ファイルを読み込めません (cannot read the settings file): " + ini + ": " + r.reason);
    }
  }
}

using IniMake = ini_test::ProgramDir;

TEST_F(IniMake, WritesTheNewFileExactly) {
  Ini_Make(dir);
  EXPECT_EQ(read_bytes(ini), data_file("new_file.ini"));
  EXPECT_EQ(other_entries(), 0u);
}

// The per-user program folder of an installed program is made when the
// default file is first written.
TEST_F(IniMake, MakesAMissingProgramFolder) {
  const std::string app = dir + "/home/.config/vorn_htm";
  Ini_Make(app);
  EXPECT_EQ(read_bytes(app + "/vorn_htm.ini"), data_file("new_file.ini"));
}

TEST_F(IniMake, ReplacesAnExistingFileWhole) {
  write_bytes(ini, std::string(10000, 'x') + "\r\nVLK_COL=#123456\r\n");
  Ini_Make(dir);
  EXPECT_EQ(read_bytes(ini), data_file("new_file.ini"));
  EXPECT_EQ(other_entries(), 0u);
}

TEST_F(IniMake, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
  // A folder in the file's place cannot be replaced by the rename.
  std::filesystem::create_directory(ini);
  write_bytes(ini + "/keep", "old");
  EXPECT_THROW(Ini_Make(dir), VbError);
  EXPECT_EQ(read_bytes(ini + "/keep"), "old");
  EXPECT_EQ(other_entries(), 0u);
}

}  // namespace
