// The run settings: one value per key of the settings file "vorn_htm.ini".
// Text and colour values are held exactly as the file gives them (Shift_JIS).
// The settings table (src/settings) binds each member to its key, its
// defaults and its screen control; a new member needs its row there. The
// values below are those before the first run reads the file; every run
// replaces all of them but KB_THRE.
#pragma once

#include <string>

struct Settings {
  bool S_TITLE = false;  // link messages into threads by equal subject
  std::string TITLE_D;   // subjects never used for that, comma separated
  bool MN_SUBJ = true;   // menu columns
  bool MN_DATE = true;
  bool MN_HASN = true;
  bool MN_ADRS = false;
  std::string BGR_COL;  // page colours, "#rrggbb"
  std::string TXT_COL;
  std::string LNK_COL;
  std::string VLK_COL;
  int FT_SIZE = 2;
  bool ML_RANK = true;  // write rank_hyo.htm
  bool SBJ_KAK = true;  // keep [tags] in menu subjects
  bool SBJ_RES = true;  // keep "Re:" in menu subjects
  std::string REP_COL;  // quote colour
  std::string REP_MRK;  // quote marker characters
  bool FRM_KOU = true;  // frames side by side
  bool KB_SUBJ = true;  // message page header items
  bool KB_DATE = true;
  bool KB_FROM = false;
  bool KB_TOTO = false;
  bool KB_THRE = false;  // thread list on every page; kept from the previous run
  std::string DAT_FMT;   // date pattern for display
  bool TE_FILE = true;   // save attachments
  std::string ITI_PER;   // list frame width in percent, as text
  bool NAV_LNK = false;  // links to the neighbouring messages on every page; pages a phone can read
  std::string BAS_URL;   // the archive's web address, for the feed; empty: no feed
  bool SRCH_IX = false;  // write the search index and page, and link the page from the menu
  bool ADR_HID = false;  // e-mail addresses written as "taro＠example.jp"
};
