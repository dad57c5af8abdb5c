#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <variant>
#include <vector>

#include "core/file_info.h"
#include "core/file_read.h"
#include "core/vb_error.h"
#include "settings/ini_format.h"
#include "settings/settings_file.h"

namespace {

// FT_SIZE as a whole number: the decimal number at the start of the value
// (blanks, an optional sign, digits, an optional fraction and exponent),
// rounded half to even; 0 when the value does not start with a number. Values
// beyond the range of int are held at its ends instead of failing the run.
int leading_whole_number(std::string_view v) {
  std::size_t i = 0;
  while (i < v.size() && (v[i] == ' ' || v[i] == '\t')) ++i;
  std::string num;
  if (i < v.size() && v[i] == '-')
    num += v[i++];
  else if (i < v.size() && v[i] == '+')
    ++i;
  auto digits = [&] {
    std::size_t n = 0;
    while (i < v.size() && v[i] >= '0' && v[i] <= '9') {
      num += v[i++];
      ++n;
    }
    return n;
  };
  std::size_t mant = digits();
  const bool whole_part = num.find_first_of("123456789") != std::string::npos;
  bool neg_exponent = false;
  if (i < v.size() && v[i] == '.') {
    num += v[i++];
    mant += digits();
  }
  if (mant == 0) return 0;
  if (i < v.size() && (v[i] == 'e' || v[i] == 'E')) {
    std::size_t mark = num.size(), back = i;
    num += v[i++];
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) {
      neg_exponent = v[i] == '-';
      num += v[i++];
    }
    if (digits() == 0) {  // "2e" is the number 2 followed by text
      num.resize(mark);
      i = back;
      neg_exponent = false;
    }
  }
  // from_chars ignores the locale, which a windowing toolkit may have changed.
  double d = 0;
  auto [end, ec] = std::from_chars(num.data(), num.data() + num.size(), d);
  if (ec == std::errc::result_out_of_range) {
    if (neg_exponent || !whole_part) return 0;  // too small to tell from 0
    d = num[0] == '-' ? -HUGE_VAL : HUGE_VAL;
  } else if (ec != std::errc()) {
    return 0;
  }
  (void)end;
  constexpr double lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
  if (d <= lo) return std::numeric_limits<int>::min();
  if (d >= hi) return std::numeric_limits<int>::max();
  return static_cast<int>(std::nearbyint(d));  // the default mode rounds half to even
}

// The lines of the settings file. A file that is there but cannot be read
// stops the run, and the message says that it is the settings file, which
// one, and why (VbError's text already holds the path and the reason).
std::vector<std::string> read_settings_file(const std::string& path) {
  try {
    return read_lines(path);
  } catch (const VbError& e) {
    throw VbError(e.number, std::string("設定ファイルを読み込めません (cannot read the settings file): ") + e.what());
  }
}

// One value of the file into its run setting: switches by their rule,
// numbers as the whole number they start with, everything else as text.
void set_run_value(Settings& run, const SettingRow& row, std::string_view value) {
  if (auto* on = std::get_if<bool Settings::*>(&row.run))
    run.*(*on) = setting_on(row, value);
  else if (auto* number = std::get_if<int Settings::*>(&row.run))
    run.*(*number) = leading_whole_number(value);
  else
    run.*std::get<std::string Settings::*>(row.run) = value;
}

}  // namespace

void Load_Ini(Settings& run, const std::string& App_Dir) {
  // Run defaults for every key but those kept from the previous run (KB_THRE).
  for (const SettingRow& row : setting_rows())
    if (row.run_default) set_run_value(run, row, setting_texts(row).run_default);

  const std::string path = ini_path(App_Dir);
  if (!exists(path)) return;  // no file: the run defaults stand; the run never creates it
  for (const std::string& line : read_settings_file(path))
    if (const SettingRow* row = ini_key_of(line)) set_run_value(run, *row, ini_value(line));
}
