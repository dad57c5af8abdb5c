#include "core/atomic_out.h"
#include "core/program_folders.h"
#include "settings/ini_format.h"
#include "settings/settings_file.h"

void Ini_Make(const std::string& App_Dir) {
  std::vector<std::string> values;
  for (const SettingRow& row : setting_rows()) values.push_back(setting_texts(row).new_file);
  make_program_folder(App_Dir);  // a per-user folder on first use
  write_file_atomic(ini_path(App_Dir), ini_file_text(values, false));
}
