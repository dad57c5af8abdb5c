#include "settings/settings_table.h"

#include <vector>

#include "codec/cp932.h"
#include "codec/sjis_text.h"

namespace {

using K = SettingKind;
using M = MenuUse;

constexpr SettingRow kRows[] = {
    {.key = "S_TITLE",
     .kind = K::flag,
     .comment = "#--- タイトルで結び付けするか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "0",
     .menu = M::shapes,
     .run = &Settings::S_TITLE,
     .screen = &IniScreen::g_s_title,
     .control = "g_s_title"},
    {.key = "TITLE_D",
     .kind = K::list,
     .comment = "#--- 結び付けしないタイトル(,区切りで) ---",
     .new_file = "はじめまして,こんにちは,こんばんわ",
     .screen_default = "はじめまして,こんにちは,こんばんわ",  // boxes 0 to 2; 3 and 4 keep their text
     .run_default = "はじめまして,こんにちは,こんばんわ",
     .menu = M::shapes,
     .run = &Settings::TITLE_D,
     .screen = &IniScreen::g_title_d,
     .control = "g_title_d"},
    {.key = "MN_SUBJ",
     .kind = K::flag,
     .comment = "#--- 一覧にタイトル表示するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "1",
     .menu = M::shapes,
     .run = &Settings::MN_SUBJ,
     .screen = &IniScreen::g_mn_subj,
     .control = "g_mn_subj"},
    {.key = "MN_DATE",
     .kind = K::flag,
     .comment = "#--- 一覧に日付表示するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "1",
     .menu = M::shapes,
     .run = &Settings::MN_DATE,
     .screen = &IniScreen::g_mn_date,
     .control = "g_mn_date"},
    {.key = "MN_HASN",
     .kind = K::flag,
     .comment = "#--- 一覧に発信者表示するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "1",
     .menu = M::shapes,
     .run = &Settings::MN_HASN,
     .screen = &IniScreen::g_mn_hasn,
     .control = "g_mn_hasn"},
    {.key = "MN_ADRS",
     .kind = K::flag,
     .comment = "#--- 一覧に発信者アドレス表示するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "0",
     .menu = M::shapes,
     .run = &Settings::MN_ADRS,
     .screen = &IniScreen::g_mn_adrs,
     .control = "g_mn_adrs"},
    {.key = "BGR_COL",
     .kind = K::colour,
     .comment = "#--- 背景色 ---",
     .new_file = "#ffffff",
     .screen_default = "#999999",
     .run_default = "#ffffff",
     .menu = M::page_style,
     .run = &Settings::BGR_COL,
     .screen = &IniScreen::g_bgr_col,
     .control = "g_bgr_col"},
    {.key = "TXT_COL",
     .kind = K::colour,
     .comment = "#--- テキスト色 ---",
     .new_file = "#000000",
     .screen_default = "#000000",
     .run_default = "#000000",
     .menu = M::page_style,
     .run = &Settings::TXT_COL,
     .screen = &IniScreen::g_txt_col,
     .control = "g_txt_col"},
    {.key = "LNK_COL",
     .kind = K::colour,
     .comment = "#--- 未参照のリンク ---",
     .new_file = "#0000ff",
     .screen_default = "#0000ff",
     .run_default = "#0000ff",
     .menu = M::page_style,
     .run = &Settings::LNK_COL,
     .screen = &IniScreen::g_lnk_col,
     .control = "g_lnk_col"},
    {.key = "VLK_COL",
     .kind = K::colour,
     .comment = "#--- 参照済のリンク ---",
     .new_file = "#ff0000",
     .screen_default = "#ff0000",
     .run_default = "#0000ff",
     .menu = M::page_style,
     .run = &Settings::VLK_COL,
     .screen = &IniScreen::g_vlk_col,
     .control = "g_vlk_col"},
    {.key = "FT_SIZE",
     .kind = K::number,
     .comment = "#--- FONTサイズ ---",
     .new_file = "2",
     .screen_default = "2",
     .run_default = "2",
     .menu = M::page_style,
     .run = &Settings::FT_SIZE,
     .screen = &IniScreen::g_ft_size,
     .control = "g_ft_size",
     .saved_trimmed = true},
    {.key = "ML_RANK",
     .kind = K::flag,
     .since = "1.11",
     .comment = "#--- 発言ランキングを作成するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "1",
     .menu = M::shapes,
     .run = &Settings::ML_RANK,
     .screen = &IniScreen::g_ml_rank,
     .control = "g_ml_rank"},
    {.key = "SBJ_KAK",
     .kind = K::flag,
     .comment = "#--- Subjectの[]を出力するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "1",
     .menu = M::shapes,
     .run = &Settings::SBJ_KAK,
     .screen = &IniScreen::g_sbj_kak,
     .control = "g_sbj_kak"},
    {.key = "SBJ_RES",
     .kind = K::flag,
     .comment = "#--- SubjectのRe:を出力するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "1",
     .menu = M::shapes,
     .run = &Settings::SBJ_RES,
     .screen = &IniScreen::g_sbj_res,
     .control = "g_sbj_res"},
    {.key = "REP_COL",
     .kind = K::colour,
     .comment = "#--- 引用文の色 ---",
     .new_file = "#007f00",
     .screen_default = "#007f00",
     .run_default = "#007f00",
     .menu = M::page_style,
     .run = &Settings::REP_COL,
     .screen = &IniScreen::g_rep_col,
     .control = "g_rep_col"},
    {.key = "REP_MRK",
     .kind = K::text,
     .comment = "#--- 引用文の識別記号 ---",
     .new_file = ">|",
     .screen_default = ">|",
     .run_default = ">|",
     .menu = M::none,
     .run = &Settings::REP_MRK,
     .screen = &IniScreen::g_rep_mrk,
     .control = "g_rep_mrk",
     .saved_trimmed = true},
    {.key = "FRM_KOU",
     .kind = K::choice,
     .since = "2.10",
     .comment = "#--- フレーム構成(1:左右/0:上下) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "1",
     .menu = M::none,
     .run = &Settings::FRM_KOU,
     .screen = &IniScreen::g_frm_sayuu,  // off: g_frm_jouge
     .control = "g_frm_sayuu"},
    {.key = "KB_SUBJ",
     .kind = K::flag,
     .comment = "#--- 個別表示に件名を表示するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "1",
     .menu = M::none,
     .run = &Settings::KB_SUBJ,
     .screen = &IniScreen::g_kob_subj,
     .control = "g_kob_subj"},
    {.key = "KB_DATE",
     .kind = K::flag,
     .comment = "#--- 個別表示に日付を表示するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "1",
     .menu = M::none,
     .run = &Settings::KB_DATE,
     .screen = &IniScreen::g_kob_date,
     .control = "g_kob_date"},
    {.key = "KB_FROM",
     .kind = K::flag,
     .comment = "#--- 個別表示に送信者を表示するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "0",
     .run_default = "0",
     .menu = M::none,
     .run = &Settings::KB_FROM,
     .screen = &IniScreen::g_kob_from,
     .control = "g_kob_from"},
    {.key = "KB_TOTO",
     .kind = K::flag,
     .comment = "#--- 個別表示に受信者を表示するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "0",
     .run_default = "0",
     .menu = M::none,
     .run = &Settings::KB_TOTO,
     .screen = &IniScreen::g_kob_to,
     .control = "g_kob_to"},
    {.key = "KB_THRE",
     .kind = K::flag,
     .comment = "#--- 個別表示に関連スレッドを表示するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = std::nullopt,
     .kept_from_last_run = true,
     .menu = M::shapes,
     .run = &Settings::KB_THRE,
     .screen = &IniScreen::g_kob_thre,
     .control = "g_kob_thre"},
    {.key = "DAT_FMT",
     .kind = K::text,
     .comment = "#--- 日付表示形式 ---",
     .new_file = "yyyy-mm-dd hh:nn:ss",
     .screen_default = "yyyy-mm-dd hh:nn:ss",
     .run_default = "yyyy-mm-dd hh:nn:ss",
     .menu = M::shapes,
     .run = &Settings::DAT_FMT,
     .screen = &IniScreen::g_date_format,
     .control = "g_date_format"},
    {.key = "TE_FILE",
     .kind = K::flag,
     .since = "2.13",
     .comment = "#--- 添付ファイルの設定 ---",
     .saved_comment = "#--- 添付ファイルを展開するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "1",
     .menu = M::none,
     .run = &Settings::TE_FILE,
     .screen = &IniScreen::g_te_file,
     .control = "g_te_file"},
    {.key = "ITI_PER",
     .kind = K::text,  // a width in percent, checked by the screen, kept as text
     .since = "2.17",
     .comment = "#--- 一覧表示幅(%) ---",
     .new_file = "50",
     .screen_default = "50",
     .run_default = "50",
     .menu = M::none,
     .run = &Settings::ITI_PER,
     .screen = &IniScreen::g_iti_per,
     .control = "g_iti_per"},
    {.key = "SRCH_IX",
     .kind = K::flag,
     .comment = "#--- 検索用の索引を作成するか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "0",
     .menu = M::shapes_when_on,
     .run = &Settings::SRCH_IX,
     .screen = &IniScreen::g_srch_ix,
     .control = "g_srch_ix"},
    {.key = "NAV_LNK",
     .kind = K::flag,
     .comment = "#--- 個別表示に前後のメールへのリンクを付けるか？(スマートフォン向け表示も)(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "0",  // archives of settings files without the key stay as they were
     .menu = M::page_style,
     .run = &Settings::NAV_LNK,
     .screen = &IniScreen::g_nav_lnk,
     .control = "g_nav_lnk"},
    {.key = "BAS_URL",
     .kind = K::text,
     .comment = "#--- アーカイブを公開するURL(空欄:フィードを作らない) ---",
     .new_file = "",
     .screen_default = "",
     .run_default = "",
     // Only the head of menu.html links the feed, and the head is written
     // anew at every run; the entries an append run splices do not change.
     .menu = M::none,
     .run = &Settings::BAS_URL,
     .screen = &IniScreen::g_bas_url,
     .control = "g_bas_url",
     .saved_trimmed = true},
    {.key = "ADR_HID",
     .kind = K::flag,
     .comment = "#--- メールアドレスを隠すか？(1:Yes/0:No) ---",
     .new_file = "1",
     .screen_default = "1",
     .run_default = "0",
     .menu = M::page_style,  // only when on, so that earlier archives keep their style and fingerprint
     .run = &Settings::ADR_HID,
     .screen = &IniScreen::g_adr_hid,
     .control = "g_adr_hid"},
};

// Which values a kind is held in: the run member and the screen member, as
// indexes into RunMember and ScreenMember.
struct KindValues {
  std::size_t run, screen;
};
constexpr KindValues values_of(SettingKind kind) {
  switch (kind) {
    case K::flag:
    case K::choice:
      return {0, 0};  // bool, bool
    case K::number:
      return {1, 1};  // int, text as shown
    case K::colour:
      return {2, 2};  // "#rrggbb", IniColour
    case K::text:
      return {2, 1};
    case K::list:
      return {2, 3};  // one text, five boxes
  }
  return {9, 9};
}

// Switches default to "1" or "0", colours to "#" and six digits.
constexpr bool default_fits(SettingKind kind, std::string_view value) {
  if (kind == K::flag || kind == K::choice) return value == "1" || value == "0";
  if (kind == K::colour) return value.size() == 7 && value[0] == '#';
  return true;
}

constexpr bool row_is_sound(const SettingRow& r) {
  const KindValues v = values_of(r.kind);
  if (r.menu == M::shapes_when_on && (r.kind != K::flag || r.run_default != "0")) return false;
  return r.key.size() == 7 && r.menu != M::unsaid && r.run_default.has_value() != r.kept_from_last_run &&
         default_fits(r.kind, r.new_file) && default_fits(r.kind, r.screen_default) &&
         default_fits(r.kind, r.run_default.value_or(r.new_file)) && r.run.index() == v.run &&
         r.screen.index() == v.screen && !r.comment.empty() && r.comment[0] == '#' && !r.control.empty();
}

constexpr bool table_is_sound() {
  for (std::size_t i = 0; i < std::size(kRows); ++i) {
    if (!row_is_sound(kRows[i])) return false;
    for (std::size_t j = 0; j < i; ++j)
      if (kRows[i].key == kRows[j].key || kRows[i].run == kRows[j].run || kRows[i].screen == kRows[j].screen)
        return false;
  }
  return true;
}
// Every row has a seven-character key of its own, says how it bears on the
// menu, has its three defaults in the form of its kind (or keeps the last
// run's value), fills values of its kind of its own, has a comment line and
// names its control.
static_assert(table_is_sound());

std::string sjis(std::string_view utf8) { return cp932::from_utf8(utf8); }

std::vector<SettingTexts> make_texts() {
  std::vector<SettingTexts> all;
  for (const SettingRow& r : kRows) {
    SettingTexts t;
    if (!r.since.empty()) t.since_line = sjis("# ◆◆◆ Version " + std::string(r.since) + " からの機能 ◆◆◆");
    t.comment = sjis(r.comment);
    t.saved_comment = sjis(r.saved_comment.empty() ? r.comment : r.saved_comment);
    t.new_file = sjis(r.new_file);
    t.screen_default = sjis(r.screen_default);
    t.run_default = sjis(r.run_default.value_or(""));
    all.push_back(std::move(t));
  }
  return all;
}

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
// Spelled out for compilers without deduction from aggregate initialisation
// (clang before 17, which builds the fuzz targets).
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

std::span<const SettingRow> setting_rows() { return kRows; }

const SettingTexts& setting_texts(const SettingRow& row) {
  static const std::vector<SettingTexts> texts = make_texts();
  return texts[static_cast<std::size_t>(&row - kRows)];
}

bool setting_on(const SettingRow& row, std::string_view value) {
  return row.kind == K::choice ? value == "1" : sjis::left(value, 1) == "1";
}

std::string run_value_text(const SettingRow& row, const Settings& run) {
  return std::visit(Overloaded{[&](bool Settings::*m) { return std::string(run.*m ? "1" : "0"); },
                               [&](int Settings::*m) { return std::to_string(run.*m); },
                               [&](std::string Settings::*m) { return run.*m; }},
                    row.run);
}

std::string menu_settings_text(const Settings& run) {
  std::string text;
  for (const SettingRow& r : kRows)
    if (r.menu == M::shapes && (r.kind == K::flag || r.kind == K::choice)) text += run_value_text(r, run);
  for (SettingKind kind : {K::number, K::colour, K::text, K::list})
    for (const SettingRow& r : kRows)
      if (r.menu == M::shapes && r.kind == kind) text += '\t' + run_value_text(r, run);
  // Switches that add to the menu only when on, so that while they are off
  // the text is the one of the versions before them.
  for (const SettingRow& r : kRows)
    if (r.menu == M::shapes_when_on && std::get<bool Settings::*>(r.run) != nullptr &&
        run.*std::get<bool Settings::*>(r.run))
      text += '\t' + std::string(r.key);
  return text;
}
