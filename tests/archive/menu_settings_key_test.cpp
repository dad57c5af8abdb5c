// The fingerprint of the settings that shape menu.html, kept in the menu's
// index: an append run trusts the index only under the same fingerprint.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <variant>

#include "archive/archive_state.h"
#include "archive/menu_index.h"
#include "codec/cp932.h"
#include "core/settings.h"
#include "settings/settings_table.h"
#include "support/run_defaults.h"

namespace {

// Indexes written by earlier versions stay trusted after an upgrade only if
// the same settings give the same fingerprint: these values were written by
// the program as released.
TEST(MenuSettingsKey, SameValuesAsEarlierVersions) {
  struct Row {
    const char* name;
    void (*change)(Settings&);
    std::uint64_t key;
  } rows[] = {
      {"run_defaults", [](Settings&) {}, 17852455186930423706u},
      {"new_file",
       [](Settings& s) {
         s.S_TITLE = s.MN_ADRS = s.KB_FROM = s.KB_TOTO = s.KB_THRE = true;
         s.VLK_COL = "#ff0000";
       },
       5570111282267716711u},
      {"thread_lists", [](Settings& s) { s.KB_THRE = true; }, 12009758019108109951u},
      {"subject_threading_few_titles",
       [](Settings& s) {
         s.S_TITLE = true;
         s.TITLE_D = "x";
       },
       15087529181020669947u},
      {"hand_edited",
       [](Settings& s) {
         s.MN_HASN = s.ML_RANK = s.SBJ_RES = false;
         s.MN_ADRS = true;
         s.BGR_COL = "#FFFFFF";
         s.TXT_COL = "#12AbEf";
         s.LNK_COL = "#00ff00";
         s.FT_SIZE = -2;
         s.REP_COL = "#FF0000";
         s.DAT_FMT = "yy/mm/dd";
         s.TITLE_D = "";
       },
       5287972249850189009u},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    Settings s = written_run_defaults();
    r.change(s);
    EXPECT_EQ(menu_settings_key(s), r.key);
  }
}

// Gives a row's run setting another value.
void Change(const SettingRow& row, Settings& s) {
  if (auto* on = std::get_if<bool Settings::*>(&row.run))
    s.*(*on) = !(s.*(*on));
  else if (auto* number = std::get_if<int Settings::*>(&row.run))
    s.*(*number) += 1;
  else
    s.*std::get<std::string Settings::*>(row.run) += "x";
}

// Every row of the settings table says how it bears on the menu. A setting
// that shapes it must change the fingerprint, or an append run would splice
// new entries into a menu drawn under other settings; any other must leave it,
// or an append run would read the whole menu again for nothing. The rows of
// the page style change the fingerprint through page_style.
TEST(MenuSettingsKey, ChangesWithTheSettingsThatShapeTheMenuAndNoOthers) {
  for (const SettingRow& row : setting_rows()) {
    for (bool thread_lists : {false, true}) {
      SCOPED_TRACE(std::string(row.key) + (thread_lists ? " with thread lists" : ""));
      Settings s = written_run_defaults();
      s.KB_THRE = thread_lists;
      const std::uint64_t key = menu_settings_key(s);
      const std::string style = page_style(s);
      Change(row, s);
      EXPECT_EQ(menu_settings_key(s) != key, row.menu != MenuUse::none);
      EXPECT_EQ(page_style(s) != style, row.menu == MenuUse::page_style);
    }
  }
}

}  // namespace
