#include "run/command_line.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string_view>

#include "core/archive_files.h"
#include "core/file_info.h"
#include "core/file_write.h"
#include "core/folder_list.h"
#include "core/workspace.h"
#include "run/conversion.h"
#include "run/removal.h"
#include "run/start_rule.h"
#include "settings/settings_file.h"

namespace {

constexpr std::string_view kRemoveWord = "--remove";

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string lower_text(std::string s) {
  for (char& c : s) c = lower(c);
  return s;
}

// 'i', 'o' or 'd' when w begins with that option, else 0.
char option_letter(const std::string& w) {
  if (w.size() < 2 || w[0] != '-') return 0;
  char c = lower(w[1]);
  return (c == 'i' || c == 'o' || c == 'd') ? c : 0;
}

// "*" any run of characters, "?" any one character; nothing else is special.
bool wildcard_match(const char* pat, const char* name) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name) {
    if (*pat == '?' || (*pat != '*' && *pat == *name)) {
      ++pat;
      ++name;
    } else if (*pat == '*') {
      star = pat++;
      resume = name;
    } else if (star) {
      pat = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pat == '*') ++pat;
  return *pat == '\0';
}

}  // namespace

Options parse_options(const std::vector<std::string>& words) {
  Options o;
  std::string d_value;
  std::size_t k = 0;
  // The option's value: the rest of its word, or else the next word whole.
  const auto value_of = [&words, &k](const std::string& word) {
    if (word.size() > 2) return word.substr(2);
    return k < words.size() ? words[k++] : std::string();
  };
  bool d_given = false;
  while (k < words.size()) {
    const std::string& word = words[k++];
    if (word == kRemoveWord) {
      o.removing = true;
      while (k < words.size() && !option_letter(words[k]) && words[k] != kRemoveWord)
        o.remove_ids.push_back(words[k++]);
      continue;
    }
    const char letter = option_letter(word);
    if (!letter) break;
    std::string value = value_of(word);
    if (letter == 'i') {
      o.inputs.assign(1, value);
      // A shell that expanded an unquoted pattern left the other matches here.
      while (k < words.size() && !option_letter(words[k]) && is_regular_file(words[k])) o.inputs.push_back(words[k++]);
    } else if (letter == 'o') {
      o.output = value;
    } else {
      d_value = lower_text(value);
      d_given = true;
    }
  }
  // -d tells whether to delete: "y" means do not append.
  if (d_value.empty() || d_value == "n")
    o.Auto_Answer = "y";
  else if (d_value == "y")
    o.Auto_Answer = "n";
  else
    o.Auto_Answer = d_value;
  if (o.removing) {
    o.valid = !o.remove_ids.empty() && !o.output.empty() && o.inputs.empty() && !d_given;
    return o;
  }
  o.valid = !o.inputs.empty() && !o.inputs.front().empty() && !o.output.empty() &&
            (o.Auto_Answer == "y" || o.Auto_Answer == "n");
  return o;
}

std::uint64_t run_bytes_estimate(const Options& o) {
  constexpr std::uint64_t kUnknown = UINT64_MAX;
  std::uint64_t bytes = 0;
  for (const std::string& input : o.inputs) {
    const std::optional<FileStamp> file = file_stamp(input);  // none for a folder
    if (input.find_first_of("*?") != std::string::npos || !file) return kUnknown;
    bytes += static_cast<std::uint64_t>(file->size);
  }
  if (!o.output.empty())
    if (const std::optional<FileStamp> menu = file_stamp(join_path(o.output, kMenuFile.name)))
      bytes += static_cast<std::uint64_t>(menu->size);
  return bytes;
}

// A Maildir: a folder with cur/ or new/ in it.
bool is_maildir(const std::string& path) {
  return is_directory(join_path(path, "cur")) || is_directory(join_path(path, "new"));
}

std::vector<std::string> expand_input(const std::string& pattern_word) {
  std::vector<std::string> files;
  // A folder named as it stands is a Maildir (the walk says when it is none).
  if (pattern_word.find_first_of("*?") == std::string::npos && is_directory(pattern_word)) {
    std::string folder = pattern_word;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    files.push_back(folder);
    return files;
  }
  std::size_t slash = pattern_word.rfind('/');
  std::string folder_part = slash == std::string::npos ? std::string() : pattern_word.substr(0, slash + 1);
  std::string pattern = pattern_word.substr(folder_part.size());
  if (pattern.find_first_of("*?") == std::string::npos) {
    if (!pattern.empty() && is_regular_file(pattern_word)) files.push_back(pattern_word);
    return files;
  }
  const std::string folder = folder_part.empty() ? "." : folder_part;
  if (!is_directory(folder)) return files;  // a missing folder matches nothing
  std::vector<std::string> names = list_files(folder);
  for (std::string& sub : list_folders(folder))
    if (is_maildir(folder_part + sub)) names.push_back(std::move(sub));
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    if (!wildcard_match(pattern.c_str(), name.c_str())) continue;
    files.push_back(folder_part + name);
  }
  return files;
}

bool jidou_Jikkou(Workspace& ws, const std::vector<std::string>& inputs, const std::string& output) {
  try {
    Load_Ini(ws.set, ws.App_Dir);

    std::vector<std::string> files;
    for (const std::string& pattern_word : inputs) {
      std::vector<std::string> found = expand_input(pattern_word);
      files.insert(files.end(), found.begin(), found.end());
    }

    const std::string folder = run_folder(output);

    if (files.empty()) {
      std::string named;
      for (const std::string& pattern_word : inputs) named += "\r\n" + pattern_word;
      ws.ui->message("警告", "ファイルが選択されていません。" + named, RunUi::Icon::Warning);
      return false;
    }

    if (!exists(folder)) make_directory(folder);

    return run_conversion(ws, folder, files, "jidou_Jikkou");
  } catch (const std::exception& e) {
    ws.report_error("jidou_Jikkou", e);
    return false;
  }
}

bool remove_from_archive(Workspace& ws, const std::vector<std::string>& ids, const std::string& output) {
  try {
    Load_Ini(ws.set, ws.App_Dir);
    return remove_messages(ws, run_folder(output), ids);
  } catch (const std::exception& e) {
    ws.report_error("remove_messages", e);
    return false;
  }
}

bool is_colour_switch(int argc, char** argv) { return argc == 2 && is_colour_word(argv[1]); }

int Check_Option(Workspace& ws, const std::vector<std::string>& words) {
  Options o = parse_options(words);
  if (!o.valid) {
    ws.ui->message("エラー",
                   "オプションが不正です。\r\n"
                   "  （-i 入力ファイル指定 -o 出力先フォルダ [-d ファイル削除Y/N]）\r\n"
                   "  （--remove Message-ID... -o 出力先フォルダ）\r\n"
                   "処理を終了します。\r\n"
                   "詳しくは vorn_htm --help をご覧ください。",
                   RunUi::Icon::Critical);
    return 2;
  }
  if (o.removing) {
    if (remove_from_archive(ws, o.remove_ids, o.output)) return 0;
    return ws.Folder_Busy ? 75 : 1;
  }
  ws.Auto_Answer = o.Auto_Answer;
  if (jidou_Jikkou(ws, o.inputs, o.output)) return 0;
  return ws.Folder_Busy ? 75 : 1;
}
