// The one table of the settings: every key of "vorn_htm.ini" in file order,
// with the lines written for it, its three defaults, the run setting and the
// screen control it fills, and whether it shapes the menu. The run reader
// (Load_Ini), both writers (Ini_Make and the screen's save), the screen's
// defaults and load (Shokichi_Set, Ini_Read) and the fingerprint of the menu
// index (menu_settings_key) all go over these rows.
//
// A new setting is one row in settings_table.cpp, its member in Settings
// (core/settings.h) and IniScreen (settings/ini_screen.h), the code that uses
// it, and its control on the screen. Its lines go after the last row's.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/settings.h"
#include "settings/ini_screen.h"

// How a value is written, read and shown.
enum class SettingKind {
  flag,    // "1" on, "0" off; on when the value starts with "1". A check box.
  choice,  // "1" or "0", picked by two option buttons; on only when the whole value is "1".
  number,  // a whole number: the run takes the number the value starts with, rounded; the screen
           // shows the text as it stands.
  colour,  // "#rrggbb": the run keeps the text; the screen keeps the six digits and paints a sample.
  text,    // free text to the end of the line.
  list,    // texts separated by ","; the screen shows up to five, one per box.
};

// How a setting bears on menu.html. An append run trusts the menu's index
// only while the settings it was written under give the same fingerprint, so
// every row must say which it is.
enum class MenuUse {
  unsaid,      // no row is left so: the table does not compile
  page_style,  // part of the page style (the BODY and FONT of every page), which the fingerprint starts with
  shapes,      // shapes the menu or the threads: in the fingerprint after the page style
  // a switch, off when the file lacks it, that adds to the menu only when on:
  // in the fingerprint only when on, so that a menu of a version before the
  // switch keeps its fingerprint
  shapes_when_on,
  none,  // neither the menu nor the threads depend on it
};

// The run setting a row fills, and the screen's value for it.
using RunMember = std::variant<bool Settings::*, int Settings::*, std::string Settings::*>;
using ScreenMember = std::variant<bool IniScreen::*, std::string IniScreen::*, IniColour IniScreen::*,
                                  std::array<std::string, 5> IniScreen::*>;

// Texts are UTF-8 here and Shift_JIS in the file (setting_texts converts).
// The members without an initializer must be given (the build warns, and
// the table's checks fail, when one is left out).
struct SettingRow {
  std::string_view key;  // seven characters
  SettingKind kind;
  std::string_view since = {};  // a version: the line "# ◆◆◆ Version <since> からの機能 ◆◆◆" comes first
  std::string_view comment;     // the comment line before the key line
  std::string_view saved_comment = {};          // the screen's save writes this one instead, when given
  std::string_view new_file;                    // what Ini_Make writes
  std::string_view screen_default;              // what the screen shows when an existing file lacks the key
  std::optional<std::string_view> run_default;  // what the run takes when the file or the key is missing
  bool kept_from_last_run = false;              // no run default: the value the previous run read stays (off at start)
  MenuUse menu;
  RunMember run;
  ScreenMember screen;
  std::string_view control;    // the screen control's name: for "g_title_d" the boxes g_title_d_0 to _4
  bool saved_trimmed = false;  // the save drops the blanks around the screen's text
};

// The rows, in the order of the file.
std::span<const SettingRow> setting_rows();

// A row's texts in Shift_JIS, made once.
struct SettingTexts {
  std::string since_line;  // the whole version line, or empty
  std::string comment, saved_comment;
  std::string new_file, screen_default, run_default;
};
const SettingTexts& setting_texts(const SettingRow& row);

// A switch's value read: for a flag the first character "1", for a choice the
// whole value "1".
bool setting_on(const SettingRow& row, std::string_view value);

// The run setting as the file would hold it: "1"/"0", the number, the text.
std::string run_value_text(const SettingRow& row, const Settings& run);

// Everything that shapes the menu besides the page style, as one text: the
// switches marked MenuUse::shapes, one character each in file order, then
// every other value so marked after a TAB, kind by kind in the order of
// SettingKind and in file order within a kind (which puts the date format
// before the list of titles, where the indexes already written have them),
// then a TAB and the key of every switch marked MenuUse::shapes_when_on
// that is on.
std::string menu_settings_text(const Settings& run);
