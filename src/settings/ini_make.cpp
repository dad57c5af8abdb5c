#include "core/atomic_out.h"
#include "core/program_folders.h"
#include "settings/ini_format.h"
#include "settings/settings_file.h"

void Ini_Make(const std::string& App_Dir) {
  IniValues v;
  for (std::string& s : v) s = "1";  // every switch of a new file is on
  value_of(v, IniKey::TITLE_D) = ini_default_title_d();
  value_of(v, IniKey::BGR_COL) = "#ffffff";
  value_of(v, IniKey::TXT_COL) = "#000000";
  value_of(v, IniKey::LNK_COL) = "#0000ff";
  value_of(v, IniKey::VLK_COL) = "#ff0000";
  value_of(v, IniKey::FT_SIZE) = "2";
  value_of(v, IniKey::REP_COL) = "#007f00";
  value_of(v, IniKey::REP_MRK) = ">|";
  value_of(v, IniKey::DAT_FMT) = "yyyy-mm-dd hh:nn:ss";
  value_of(v, IniKey::ITI_PER) = "50";
  Make_Program_Folder(App_Dir);  // a per-user folder on first use
  write_file_atomic(ini_path(App_Dir), ini_file_text(v, false));
}
