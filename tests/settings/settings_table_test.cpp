// Every row of the settings table reaches the run and the screen, and the
// screen saves back what it loaded, whatever its kind: a new row that names
// the wrong values or kind shows here.
#include "settings/settings_table.h"

#include <string>

#include "ini_test_support.h"
#include "settings/ini_screen.h"
#include "settings/settings_file.h"

namespace {

// Two values of each kind, unlike each other and unlike what a screen or run
// setting holds before anything is read, so that a value that never arrives
// shows in one pass or the other.
struct Pass {
  const char* name;
  const char* on_off;
  const char* number;
  const char* colour;
  const char* text;
  const char* list;
};
constexpr Pass kPasses[] = {
    {"first", "1", "-1", "#12AbEf", "a b", "a,b,c,d,e"},
    {"second", "0", "4", "#FEDCBA", "zz", "v,w,x,y,z"},
};

std::string Value(const Pass& p, SettingKind kind) {
  switch (kind) {
    case SettingKind::flag:
    case SettingKind::choice:
      return p.on_off;
    case SettingKind::number:
      return p.number;
    case SettingKind::colour:
      return p.colour;
    case SettingKind::text:
      return p.text;
    case SettingKind::list:
      return p.list;
  }
  return "?";
}

// A file with one line per row, in reverse order of the table.
std::string File(const Pass& p) {
  std::string file = "[vorn_htm]\r\n";
  const auto rows = setting_rows();
  for (auto r = rows.rbegin(); r != rows.rend(); ++r) file += std::string(r->key) + "=" + Value(p, r->kind) + "\r\n";
  return file;
}

// The line of a file that starts with key + "=", without its line end.
std::string Line(const std::string& file, std::string_view key) {
  const std::string head = "\r\n" + std::string(key) + "=";
  const std::size_t at = file.find(head);
  if (at == std::string::npos) return "(missing)";
  return file.substr(at + 2, file.find("\r\n", at + 2) - at - 2);
}

using SettingsTable = ini_test::ProgramDir;

TEST_F(SettingsTable, EveryKeyIsShownOnTheScreenAndSavedBack) {
  for (const Pass& p : kPasses) {
    SCOPED_TRACE(p.name);
    write_bytes(ini, File(p));
    IniScreen scr;
    ASSERT_TRUE(Ini_Read(scr, dir).empty());
    ASSERT_FALSE(ini_save(dir, scr).has_value());
    const std::string saved = read_bytes(ini);
    for (const SettingRow& row : setting_rows())
      EXPECT_EQ(Line(saved, row.key), std::string(row.key) + "=" + Value(p, row.kind));
  }
}

TEST_F(SettingsTable, EveryKeyReachesItsRunSetting) {
  for (const Pass& p : kPasses) {
    SCOPED_TRACE(p.name);
    write_bytes(ini, File(p));
    Settings run;
    Load_Ini(run, dir);
    for (const SettingRow& row : setting_rows()) {
      SCOPED_TRACE(row.key);
      EXPECT_EQ(run_value_text(row, run), Value(p, row.kind));
    }
  }
}

}  // namespace
