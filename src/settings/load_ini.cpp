#include <charconv>
#include <cmath>
#include <limits>
#include <string>
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
std::vector<std::string> Read_Settings_File(const std::string& path) {
  try {
    return read_lines(path);
  } catch (const VbError& e) {
    throw VbError(e.number, std::string("設定ファイルを読み込めません (cannot read the settings file): ") + e.what());
  }
}

}  // namespace

void Load_Ini(Settings& run, const std::string& App_Dir) {
  // Run defaults for every key but KB_THRE, which keeps the previous run's value.
  run.S_TITLE = false;
  run.TITLE_D = ini_default_title_d();
  run.MN_SUBJ = true;
  run.MN_DATE = true;
  run.MN_HASN = true;
  run.MN_ADRS = false;
  run.BGR_COL = "#ffffff";
  run.TXT_COL = "#000000";
  run.LNK_COL = "#0000ff";
  run.VLK_COL = "#0000ff";
  run.FT_SIZE = 2;
  run.ML_RANK = true;
  run.SBJ_KAK = true;
  run.SBJ_RES = true;
  run.REP_COL = "#007f00";
  run.REP_MRK = ">|";
  run.FRM_KOU = true;
  run.KB_SUBJ = true;
  run.KB_DATE = true;
  run.KB_FROM = false;
  run.KB_TOTO = false;
  run.DAT_FMT = "yyyy-mm-dd hh:nn:ss";
  run.TE_FILE = true;
  run.ITI_PER = "50";

  const std::string path = ini_path(App_Dir);
  if (!exists(path)) return;  // no file: the run defaults stand; the run never creates it
  for (const std::string& line : Read_Settings_File(path)) {
    auto key = ini_key_of(line);
    if (!key) continue;
    const bool on = ini_switch_on(line);
    const std::string value(ini_value(line));
    switch (*key) {
      case IniKey::S_TITLE:
        run.S_TITLE = on;
        break;
      case IniKey::TITLE_D:
        run.TITLE_D = value;
        break;
      case IniKey::MN_SUBJ:
        run.MN_SUBJ = on;
        break;
      case IniKey::MN_DATE:
        run.MN_DATE = on;
        break;
      case IniKey::MN_HASN:
        run.MN_HASN = on;
        break;
      case IniKey::MN_ADRS:
        run.MN_ADRS = on;
        break;
      case IniKey::BGR_COL:
        run.BGR_COL = value;
        break;
      case IniKey::TXT_COL:
        run.TXT_COL = value;
        break;
      case IniKey::LNK_COL:
        run.LNK_COL = value;
        break;
      case IniKey::VLK_COL:
        run.VLK_COL = value;
        break;
      case IniKey::FT_SIZE:
        run.FT_SIZE = leading_whole_number(value);
        break;
      case IniKey::ML_RANK:
        run.ML_RANK = on;
        break;
      case IniKey::SBJ_KAK:
        run.SBJ_KAK = on;
        break;
      case IniKey::SBJ_RES:
        run.SBJ_RES = on;
        break;
      case IniKey::REP_COL:
        run.REP_COL = value;
        break;
      case IniKey::REP_MRK:
        run.REP_MRK = value;
        break;
      case IniKey::FRM_KOU:
        run.FRM_KOU = ini_frm_kou_on(line);
        break;
      case IniKey::KB_SUBJ:
        run.KB_SUBJ = on;
        break;
      case IniKey::KB_DATE:
        run.KB_DATE = on;
        break;
      case IniKey::KB_FROM:
        run.KB_FROM = on;
        break;
      case IniKey::KB_TOTO:
        run.KB_TOTO = on;
        break;
      case IniKey::KB_THRE:
        run.KB_THRE = on;
        break;
      case IniKey::DAT_FMT:
        run.DAT_FMT = value;
        break;
      case IniKey::TE_FILE:
        run.TE_FILE = on;
        break;
      case IniKey::ITI_PER:
        run.ITI_PER = value;
        break;
    }
  }
}
