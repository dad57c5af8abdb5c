// What the settings screen shows, as plain data, and the operations that load
// it from and save it to "vorn_htm.ini". The window keeps one IniScreen per
// opening, mirrors it in its controls and keeps its changed flag itself: it
// clears the flag after an Ini_Read or ini_save that reports no fault.
//
// Texts are Shift_JIS, as in the file; the window converts at its edge.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One colour of the screen: the six digits kept for the file (without "#"),
// and the colour value its sample is painted with.
struct IniColour {
  std::string kept;
  std::uint32_t shown = 0;
};

// The controls in the state the screen starts them in, before any load. Each
// value belongs to one row of the settings table (settings/settings_table.h),
// which loads, defaults and saves it.
struct IniScreen {
  bool g_s_title = false;
  std::array<std::string, 5> g_title_d;  // subjects never linked by equal subject
  bool g_mn_subj = false;
  bool g_mn_date = false;
  bool g_mn_hasn = false;
  bool g_mn_adrs = false;
  bool g_sbj_kak = false;
  bool g_sbj_res = false;
  bool g_kob_subj = false;
  bool g_kob_date = false;
  bool g_kob_from = false;
  bool g_kob_to = false;
  bool g_kob_thre = false;
  bool g_frm_sayuu = true;            // left/right selected; false: top/bottom (g_frm_jouge)
  std::string g_iti_per;              // list width in percent, as typed
  IniColour g_bgr_col{"", 0xFFFFFF};  // the swatch
  IniColour g_txt_col;                // the labels drawn on it
  IniColour g_lnk_col;
  IniColour g_vlk_col;
  IniColour g_rep_col;
  std::string g_rep_mrk;        // quote marker characters
  std::string g_ft_size = "2";  // caption of the size display, shown unchecked
  std::string g_date_format = "yyyy-mm-dd hh:nn:ss";
  bool g_ml_rank = false;
  bool g_te_file = false;
  bool g_srch_ix = false;
  bool g_nav_lnk = false;
  std::string g_bas_url;  // the archive's web address, as typed
  bool g_adr_hid = false;
};

// A failure the screen reports in its error box; proc is the procedure or
// action named in it (UTF-8).
struct IniFault {
  std::string proc;
  int number;
};
// The box text: "エラーが発生しました。(" proc ":" number ") 処理を中断します。"
std::string ini_fault_text(const IniFault& fault);

// The screen defaults, for keys an existing file lacks. Title boxes 3 and 4
// are left as they are.
void Shokichi_Set(IniScreen& scr);

// Loads the screen: writes the default file when none exists (Ini_Make),
// otherwise starts from Shokichi_Set; then applies every key line of the file.
// Returns the failures in the order the screen shows them: an "Ini_Make"
// fault, then an "Ini_Read" fault when the file could not be read. Keys
// applied before a failure stay applied.
std::vector<IniFault> Ini_Read(IniScreen& scr, const std::string& App_Dir);

// The save command: writes the whole file from the screen (replacing the old
// file only once the new one is complete). Returns the "保存" fault, if any.
std::optional<IniFault> ini_save(const std::string& App_Dir, const IniScreen& scr);
