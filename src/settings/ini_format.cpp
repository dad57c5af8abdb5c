#include "settings/ini_format.h"

#include "codec/sjis_text.h"

std::string ini_path(const std::string& App_Dir) { return App_Dir + "/vorn_htm.ini"; }

const SettingRow* ini_key_of(std::string_view line) {
  // Keys are ASCII, so seven equal leading bytes are seven equal characters.
  if (line.size() < 7) return nullptr;
  const std::string_view head = line.substr(0, 7);
  for (const SettingRow& row : setting_rows())
    if (row.key == head) return &row;
  return nullptr;
}

std::string_view ini_value(std::string_view line) { return sjis::mid(line, 8); }

std::string ini_file_text(const std::vector<std::string>& values, bool saved) {
  const std::span<const SettingRow> rows = setting_rows();
  std::string out;
  out.reserve(2048);
  out += "[vorn_htm]\r\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const SettingTexts& t = setting_texts(rows[i]);
    if (!t.since_line.empty()) out += t.since_line + "\r\n";
    out += (saved ? t.saved_comment : t.comment) + "\r\n";
    out += rows[i].key;
    out += '=';
    for (char c : values.at(i))
      if (c != '\r' && c != '\n') out += c;
    out += "\r\n";
  }
  return out;
}
