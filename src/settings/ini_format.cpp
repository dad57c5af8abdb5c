#include "settings/ini_format.h"

#include <vector>

#include "codec/cp932.h"
#include "codec/sjis_text.h"

namespace {

constexpr std::array<std::string_view, kIniKeyCount> kKeyNames = {
    "S_TITLE", "TITLE_D", "MN_SUBJ", "MN_DATE", "MN_HASN", "MN_ADRS", "BGR_COL", "TXT_COL", "LNK_COL",
    "VLK_COL", "FT_SIZE", "ML_RANK", "SBJ_KAK", "SBJ_RES", "REP_COL", "REP_MRK", "FRM_KOU", "KB_SUBJ",
    "KB_DATE", "KB_FROM", "KB_TOTO", "KB_THRE", "DAT_FMT", "TE_FILE", "ITI_PER",
};

// One line of the file: a fixed text (UTF-8 here, written in Shift_JIS), or a
// key line. The attachment comment is the one line whose wording depends on
// the writer.
struct Row {
  enum Kind { Text, Key, AttachComment } kind;
  std::string_view text;
  IniKey key;
};

constexpr Row text(std::string_view t) { return {Row::Text, t, IniKey::S_TITLE}; }
constexpr Row key(IniKey k) { return {Row::Key, {}, k}; }

constexpr Row kRows[] = {
    text("[vorn_htm]"),
    text("#--- タイトルで結び付けするか？(1:Yes/0:No) ---"),
    key(IniKey::S_TITLE),
    text("#--- 結び付けしないタイトル(,区切りで) ---"),
    key(IniKey::TITLE_D),
    text("#--- 一覧にタイトル表示するか？(1:Yes/0:No) ---"),
    key(IniKey::MN_SUBJ),
    text("#--- 一覧に日付表示するか？(1:Yes/0:No) ---"),
    key(IniKey::MN_DATE),
    text("#--- 一覧に発信者表示するか？(1:Yes/0:No) ---"),
    key(IniKey::MN_HASN),
    text("#--- 一覧に発信者アドレス表示するか？(1:Yes/0:No) ---"),
    key(IniKey::MN_ADRS),
    text("#--- 背景色 ---"),
    key(IniKey::BGR_COL),
    text("#--- テキスト色 ---"),
    key(IniKey::TXT_COL),
    text("#--- 未参照のリンク ---"),
    key(IniKey::LNK_COL),
    text("#--- 参照済のリンク ---"),
    key(IniKey::VLK_COL),
    text("#--- FONTサイズ ---"),
    key(IniKey::FT_SIZE),
    text("# ◆◆◆ Version 1.11 からの機能 ◆◆◆"),
    text("#--- 発言ランキングを作成するか？(1:Yes/0:No) ---"),
    key(IniKey::ML_RANK),
    text("#--- Subjectの[]を出力するか？(1:Yes/0:No) ---"),
    key(IniKey::SBJ_KAK),
    text("#--- SubjectのRe:を出力するか？(1:Yes/0:No) ---"),
    key(IniKey::SBJ_RES),
    text("#--- 引用文の色 ---"),
    key(IniKey::REP_COL),
    text("#--- 引用文の識別記号 ---"),
    key(IniKey::REP_MRK),
    text("# ◆◆◆ Version 2.10 からの機能 ◆◆◆"),
    text("#--- フレーム構成(1:左右/0:上下) ---"),
    key(IniKey::FRM_KOU),
    text("#--- 個別表示に件名を表示するか？(1:Yes/0:No) ---"),
    key(IniKey::KB_SUBJ),
    text("#--- 個別表示に日付を表示するか？(1:Yes/0:No) ---"),
    key(IniKey::KB_DATE),
    text("#--- 個別表示に送信者を表示するか？(1:Yes/0:No) ---"),
    key(IniKey::KB_FROM),
    text("#--- 個別表示に受信者を表示するか？(1:Yes/0:No) ---"),
    key(IniKey::KB_TOTO),
    text("#--- 個別表示に関連スレッドを表示するか？(1:Yes/0:No) ---"),
    key(IniKey::KB_THRE),
    text("#--- 日付表示形式 ---"),
    key(IniKey::DAT_FMT),
    text("# ◆◆◆ Version 2.13 からの機能 ◆◆◆"),
    {Row::AttachComment, {}, IniKey::S_TITLE},
    key(IniKey::TE_FILE),
    text("# ◆◆◆ Version 2.17 からの機能 ◆◆◆"),
    text("#--- 一覧表示幅(%) ---"),
    key(IniKey::ITI_PER),
};

constexpr std::string_view kAttachSaved = "#--- 添付ファイルを展開するか？(1:Yes/0:No) ---";
constexpr std::string_view kAttachNew = "#--- 添付ファイルの設定 ---";

// The fixed lines converted once.
struct SjisRows {
  std::vector<std::string> text;  // per row; empty for key rows
  std::string attach_saved, attach_new;
  SjisRows() {
    for (const Row& r : kRows) text.push_back(r.kind == Row::Text ? cp932::from_utf8(r.text) : std::string());
    attach_saved = cp932::from_utf8(kAttachSaved);
    attach_new = cp932::from_utf8(kAttachNew);
  }
};

const SjisRows& sjis_rows() {
  static const SjisRows rows;
  return rows;
}

}  // namespace

std::string ini_path(const std::string& App_Dir) { return App_Dir + "/vorn_htm.ini"; }

std::optional<IniKey> ini_key_of(std::string_view line) {
  // Keys are ASCII, so seven equal leading bytes are seven equal characters.
  if (line.size() < 7) return std::nullopt;
  std::string_view head = line.substr(0, 7);
  for (std::size_t i = 0; i < kIniKeyCount; ++i)
    if (kKeyNames[i] == head) return static_cast<IniKey>(i);
  return std::nullopt;
}

std::string_view ini_value(std::string_view line) { return sjis::mid(line, 8); }

bool ini_switch_on(std::string_view line) { return sjis::left(ini_value(line), 1) == "1"; }

bool ini_frm_kou_on(std::string_view line) { return ini_value(line) == "1"; }

std::string ini_file_text(const IniValues& values, bool saved) {
  const SjisRows& rows = sjis_rows();
  std::string out;
  out.reserve(2048);
  for (std::size_t i = 0; i < std::size(kRows); ++i) {
    const Row& r = kRows[i];
    switch (r.kind) {
      case Row::Text:
        out += rows.text[i];
        break;
      case Row::AttachComment:
        out += saved ? rows.attach_saved : rows.attach_new;
        break;
      case Row::Key: {
        auto k = static_cast<std::size_t>(r.key);
        out += kKeyNames[k];
        out += '=';
        for (char c : values[k])
          if (c != '\r' && c != '\n') out += c;
        break;
      }
    }
    out += "\r\n";
  }
  return out;
}

const std::string& ini_default_title_d() {
  static const std::string t = cp932::from_utf8("はじめまして,こんにちは,こんばんわ");
  return t;
}
