#include "settings/ini_screen.h"

#include <exception>
#include <new>
#include <variant>

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

// The colour line: the digits after "#" are kept, the whole value paints.
void read_colour(IniColour& c, std::string_view value) {
  c.kept = std::string(sjis::mid(value, 1));
  c.shown = Color_Conv(value);
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

// One value of the file (or a screen default) into its control: switches by
// their rule, colours into their kept digits and sample, the title list into
// the boxes, other texts unchanged.
void apply_value(IniScreen& scr, const SettingRow& row, std::string_view value) {
  if (auto* on = std::get_if<bool IniScreen::*>(&row.screen))
    scr.*(*on) = setting_on(row, value);
  else if (auto* colour = std::get_if<IniColour IniScreen::*>(&row.screen))
    read_colour(scr.*(*colour), value);
  else if (auto* boxes = std::get_if<std::array<std::string, 5> IniScreen::*>(&row.screen))
    read_title_boxes(scr.*(*boxes), value);
  else
    scr.*std::get<std::string IniScreen::*>(row.screen) = value;
}

void apply_line(IniScreen& scr, const std::string& line) {
  if (const SettingRow* row = ini_key_of(line)) apply_value(scr, *row, ini_value(line));
}

// The title boxes as the save writes them: each box trimmed, empty ones left
// out, joined with ",".
std::string title_list(const std::array<std::string, 5>& boxes) {
  std::string titles;
  for (const std::string& box : boxes) {
    std::string_view t = sjis::trim(box);
    if (t.empty()) continue;
    if (!titles.empty()) titles += ',';
    titles.append(t);
  }
  return titles;
}

// What the save writes after "=" for one row.
std::string saved_value(const SettingRow& row, const IniScreen& scr) {
  if (auto* on = std::get_if<bool IniScreen::*>(&row.screen)) return scr.*(*on) ? "1" : "0";
  if (auto* colour = std::get_if<IniColour IniScreen::*>(&row.screen)) return "#" + (scr.*(*colour)).kept;
  if (auto* boxes = std::get_if<std::array<std::string, 5> IniScreen::*>(&row.screen)) return title_list(scr.*(*boxes));
  const std::string& text = scr.*std::get<std::string IniScreen::*>(row.screen);
  return row.saved_trimmed ? std::string(sjis::trim(text)) : text;
}

}  // namespace

std::string ini_fault_text(const IniFault& fault) {
  return "エラーが発生しました。(" + fault.proc + ":" + std::to_string(fault.number) + ") 処理を中断します。";
}

void Shokichi_Set(IniScreen& scr) {
  for (const SettingRow& row : setting_rows()) apply_value(scr, row, setting_texts(row).screen_default);
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

std::optional<IniFault> ini_save(const std::string& App_Dir, const IniScreen& scr) {
  try {
    std::vector<std::string> values;
    for (const SettingRow& row : setting_rows()) values.push_back(saved_value(row, scr));
    make_program_folder(App_Dir);
    write_file_atomic(ini_path(App_Dir), ini_file_text(values, true));
  } catch (const std::exception& e) {
    return IniFault{"保存", fault_number(e)};
  }
  return std::nullopt;
}
