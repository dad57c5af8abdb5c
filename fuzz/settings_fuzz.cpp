// The settings file readers: the run reader and the settings screen's load,
// then the screen's save read back. The input is the file "vorn_htm.ini".
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/scratch_dir.h"
#include "settings/ini_format.h"
#include "settings/ini_screen.h"
#include "settings/settings_file.h"

namespace {

bool Same(const IniColour& a, const IniColour& b) { return a.kept == b.kept && a.shown == b.shown; }

// The title boxes are left out: a load fills only as many boxes as the saved
// list has entries and the rest keep the screen defaults, so a saved list of
// fewer than three subjects comes back with defaults after it.
bool Same(const IniScreen& a, const IniScreen& b) {
  return a.g_s_title == b.g_s_title && a.g_mn_subj == b.g_mn_subj && a.g_mn_date == b.g_mn_date &&
         a.g_mn_hasn == b.g_mn_hasn && a.g_mn_adrs == b.g_mn_adrs && a.g_sbj_kak == b.g_sbj_kak &&
         a.g_sbj_res == b.g_sbj_res && a.g_kob_subj == b.g_kob_subj && a.g_kob_date == b.g_kob_date &&
         a.g_kob_from == b.g_kob_from && a.g_kob_to == b.g_kob_to && a.g_kob_thre == b.g_kob_thre &&
         a.g_frm_sayuu == b.g_frm_sayuu && a.g_iti_per == b.g_iti_per && Same(a.g_bgr_col, b.g_bgr_col) &&
         Same(a.g_txt_col, b.g_txt_col) && Same(a.g_lnk_col, b.g_lnk_col) && Same(a.g_vlk_col, b.g_vlk_col) &&
         Same(a.g_rep_col, b.g_rep_col) && a.g_rep_mrk == b.g_rep_mrk && a.g_ft_size == b.g_ft_size &&
         a.g_date_format == b.g_date_format && a.g_ml_rank == b.g_ml_rank && a.g_te_file == b.g_te_file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchDir scratch;
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  scratch.clear();
  const std::string app = scratch.folder("app");
  scratch.write("app/vorn_htm.ini", file);

  // Line by line: a key line is named by its first seven characters.
  for (std::size_t pos = 0; pos <= file.size();) {
    const std::size_t end = std::min(file.find('\n', pos), file.size());
    const std::string_view line = file.substr(pos, end - pos);
    const std::string_view value = ini_value(line);
    if (const SettingRow* row = ini_key_of(line)) setting_on(*row, value);
    pos = end + 1;
  }

  Settings run;
  Load_Ini(run, app);

  IniScreen screen;
  FUZZ_CHECK(Ini_Read(screen, app).empty());
  // What the screen saves, it loads again; a second save changes nothing.
  FUZZ_CHECK(!ini_save(app, screen));
  IniScreen again;
  FUZZ_CHECK(Ini_Read(again, app).empty());
  FUZZ_CHECK(!ini_save(app, again));
  IniScreen third;
  FUZZ_CHECK(Ini_Read(third, app).empty());
  FUZZ_CHECK(Same(again, third));

  const std::vector<std::string> names = scratch.names();
  FUZZ_CHECK(names.size() == 1 && names[0] == "app");
  return 0;
}
