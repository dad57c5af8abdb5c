// The run defaults of every setting, written out by hand apart from the
// settings reader and its table, for tests that compare with them.
#pragma once

#include "codec/cp932.h"
#include "core/settings.h"

inline Settings written_run_defaults(bool kb_thre = false) {
  Settings s;
  s.S_TITLE = false;
  s.TITLE_D = cp932::from_utf8("はじめまして,こんにちは,こんばんわ");
  s.MN_SUBJ = s.MN_DATE = s.MN_HASN = true;
  s.MN_ADRS = false;
  s.BGR_COL = "#ffffff";
  s.TXT_COL = "#000000";
  s.LNK_COL = "#0000ff";
  s.VLK_COL = "#0000ff";
  s.FT_SIZE = 2;
  s.ML_RANK = s.SBJ_KAK = s.SBJ_RES = true;
  s.REP_COL = "#007f00";
  s.REP_MRK = ">|";
  s.FRM_KOU = s.KB_SUBJ = s.KB_DATE = true;
  s.KB_FROM = s.KB_TOTO = false;
  s.KB_THRE = kb_thre;
  s.DAT_FMT = "yyyy-mm-dd hh:nn:ss";
  s.TE_FILE = true;
  s.ITI_PER = "50";
  s.NAV_LNK = false;
  s.BAS_URL = "";
  s.ADR_HID = false;
  return s;
}
