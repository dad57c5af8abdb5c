#include "settings/ini_screen.h"

#include <exception>
#include <new>

#include "codec/sjis_text.h"
#include "core/atomic_out.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/program_folders.h"
#include "core/vb_error.h"
#include "settings/color_conv.h"
#include "settings/ini_format.h"
#include "settings/settings_file.h"

namespace {

int fault_number(const std::exception& e) {
  if (auto* v = dynamic_cast<const VbError*>(&e)) return v->number;
  if (dynamic_cast<const std::bad_alloc*>(&e)) return 7;
  return 5;
}

void set_colour(IniColour& c, std::string_view digits) {
  c.kept = std::string(digits);
  c.shown = Color_Conv("#" + c.kept);
}

// The colour line: the digits after "#" are kept, the whole value paints.
void read_colour(IniColour& c, std::string_view line) {
  c.kept = std::string(sjis::mid(line, 9));
  c.shown = Color_Conv(ini_value(line));
}

// TITLE_D fills the boxes from box 0: the text before each "," goes into the
// next box while fewer than five are filled, then whatever remains (perhaps
// empty) goes into the next box if there is one, else it is dropped. Boxes
// after the last one filled keep their text.
void read_title_boxes(std::array<std::string, 5>& boxes, std::string_view rest) {
  std::size_t filled = 0;
  for (std::size_t comma; filled < boxes.size() && (comma = sjis::find_char(rest, ',')) != rest.npos;) {
    boxes[filled++] = std::string(rest.substr(0, comma));
    rest.remove_prefix(comma + 1);
  }
  if (filled < boxes.size()) boxes[filled] = std::string(rest);
}

void apply_line(IniScreen& scr, const std::string& line) {
  auto key = ini_key_of(line);
  if (!key) return;
  const bool on = ini_switch_on(line);
  const std::string_view value = ini_value(line);
  switch (*key) {
    case IniKey::S_TITLE:
      scr.g_s_title = on;
      break;
    case IniKey::TITLE_D:
      read_title_boxes(scr.g_title_d, value);
      break;
    case IniKey::MN_SUBJ:
      scr.g_mn_subj = on;
      break;
    case IniKey::MN_DATE:
      scr.g_mn_date = on;
      break;
    case IniKey::MN_HASN:
      scr.g_mn_hasn = on;
      break;
    case IniKey::MN_ADRS:
      scr.g_mn_adrs = on;
      break;
    case IniKey::BGR_COL:
      read_colour(scr.g_bgr_col, line);
      break;
    case IniKey::TXT_COL:
      read_colour(scr.g_txt_col, line);
      break;
    case IniKey::LNK_COL:
      read_colour(scr.g_lnk_col, line);
      break;
    case IniKey::VLK_COL:
      read_colour(scr.g_vlk_col, line);
      break;
    case IniKey::FT_SIZE:
      scr.g_ft_size = value;
      break;
    case IniKey::ML_RANK:
      scr.g_ml_rank = on;
      break;
    case IniKey::SBJ_KAK:
      scr.g_sbj_kak = on;
      break;
    case IniKey::SBJ_RES:
      scr.g_sbj_res = on;
      break;
    case IniKey::REP_COL:
      read_colour(scr.g_rep_col, line);
      break;
    case IniKey::REP_MRK:
      scr.g_rep_mrk = value;
      break;
    case IniKey::FRM_KOU:
      scr.g_frm_sayuu = ini_frm_kou_on(line);
      break;
    case IniKey::KB_SUBJ:
      scr.g_kob_subj = on;
      break;
    case IniKey::KB_DATE:
      scr.g_kob_date = on;
      break;
    case IniKey::KB_FROM:
      scr.g_kob_from = on;
      break;
    case IniKey::KB_TOTO:
      scr.g_kob_to = on;
      break;
    case IniKey::KB_THRE:
      scr.g_kob_thre = on;
      break;
    case IniKey::DAT_FMT:
      scr.g_date_format = value;
      break;
    case IniKey::TE_FILE:
      scr.g_te_file = on;
      break;
    case IniKey::ITI_PER:
      scr.g_iti_per = value;
      break;
  }
}

const char* bit(bool on) { return on ? "1" : "0"; }

}  // namespace

std::string Ini_Fault_Text(const IniFault& fault) {
  return "エラーが発生しました。(" + fault.proc + ":" + std::to_string(fault.number) + ") 処理を中断します。";
}

void Shokichi_Set(IniScreen& scr) {
  scr.g_s_title = true;
  read_title_boxes(scr.g_title_d, ini_default_title_d());  // boxes 0-2; 3 and 4 untouched
  scr.g_mn_subj = scr.g_mn_date = scr.g_mn_hasn = scr.g_mn_adrs = true;
  set_colour(scr.g_bgr_col, "999999");
  set_colour(scr.g_txt_col, "000000");
  set_colour(scr.g_lnk_col, "0000ff");
  set_colour(scr.g_vlk_col, "ff0000");
  scr.g_ft_size = "2";
  scr.g_ml_rank = scr.g_sbj_kak = scr.g_sbj_res = true;
  set_colour(scr.g_rep_col, "007f00");
  scr.g_rep_mrk = ">|";
  scr.g_frm_sayuu = true;
  scr.g_kob_subj = scr.g_kob_date = true;
  scr.g_kob_from = scr.g_kob_to = false;
  scr.g_kob_thre = true;
  scr.g_date_format = "yyyy-mm-dd hh:nn:ss";
  scr.g_te_file = true;
  scr.g_iti_per = "50";
}

std::vector<IniFault> Ini_Read(IniScreen& scr, const std::string& App_Dir) {
  std::vector<IniFault> faults;
  const std::string path = ini_path(App_Dir);
  if (!exists(path)) {
    try {
      Ini_Make(App_Dir);
    } catch (const std::exception& e) {
      faults.push_back({"Ini_Make", fault_number(e)});
    }
  } else {
    Shokichi_Set(scr);
  }
  try {
    for (const std::string& line : read_lines(path)) apply_line(scr, line);
  } catch (const std::exception& e) {
    faults.push_back({"Ini_Read", fault_number(e)});
  }
  return faults;
}

std::optional<IniFault> Ini_Save(const std::string& App_Dir, const IniScreen& scr) {
  try {
    IniValues v;
    auto sw = [&](IniKey k, bool on) { value_of(v, k) = bit(on); };
    sw(IniKey::S_TITLE, scr.g_s_title);
    std::string& titles = value_of(v, IniKey::TITLE_D);
    for (const std::string& box : scr.g_title_d) {
      std::string_view t = sjis::trim(box);
      if (t.empty()) continue;
      if (!titles.empty()) titles += ',';
      titles.append(t);
    }
    sw(IniKey::MN_SUBJ, scr.g_mn_subj);
    sw(IniKey::MN_DATE, scr.g_mn_date);
    sw(IniKey::MN_HASN, scr.g_mn_hasn);
    sw(IniKey::MN_ADRS, scr.g_mn_adrs);
    value_of(v, IniKey::BGR_COL) = "#" + scr.g_bgr_col.kept;
    value_of(v, IniKey::TXT_COL) = "#" + scr.g_txt_col.kept;
    value_of(v, IniKey::LNK_COL) = "#" + scr.g_lnk_col.kept;
    value_of(v, IniKey::VLK_COL) = "#" + scr.g_vlk_col.kept;
    value_of(v, IniKey::FT_SIZE) = sjis::trim(scr.g_ft_size);
    sw(IniKey::ML_RANK, scr.g_ml_rank);
    sw(IniKey::SBJ_KAK, scr.g_sbj_kak);
    sw(IniKey::SBJ_RES, scr.g_sbj_res);
    value_of(v, IniKey::REP_COL) = "#" + scr.g_rep_col.kept;
    value_of(v, IniKey::REP_MRK) = sjis::trim(scr.g_rep_mrk);
    sw(IniKey::FRM_KOU, scr.g_frm_sayuu);
    sw(IniKey::KB_SUBJ, scr.g_kob_subj);
    sw(IniKey::KB_DATE, scr.g_kob_date);
    sw(IniKey::KB_FROM, scr.g_kob_from);
    sw(IniKey::KB_TOTO, scr.g_kob_to);
    sw(IniKey::KB_THRE, scr.g_kob_thre);
    value_of(v, IniKey::DAT_FMT) = scr.g_date_format;
    sw(IniKey::TE_FILE, scr.g_te_file);
    value_of(v, IniKey::ITI_PER) = scr.g_iti_per;
    Make_Program_Folder(App_Dir);
    write_file_atomic(ini_path(App_Dir), ini_file_text(v, true));
  } catch (const std::exception& e) {
    return IniFault{"保存", fault_number(e)};
  }
  return std::nullopt;
}
