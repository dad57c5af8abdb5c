#include "run/command_line.h"

#include <algorithm>
#include <exception>

#include "run/conversion.h"
#include "run/file_ops.h"
#include "run/workspace.h"
#include "settings/settings_file.h"

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

std::string lower_text(std::string s) {
  for (char& c : s) c = lower(c);
  return s;
}

std::string ltrim_blanks(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

std::string trim_blanks(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  std::size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

// 'i', 'o' or 'd' when w begins with that option, else 0.
char option_letter(const std::string& w) {
  if (w.size() < 2 || w[0] != '-') return 0;
  char c = lower(w[1]);
  return (c == 'i' || c == 'o' || c == 'd') ? c : 0;
}

// Takes the text up to the first blank of w as a value and leaves w after it.
std::string take_word(std::string& w) {
  std::size_t p = w.find(' ');
  std::string value = trim_blanks(w.substr(0, p));
  w = (p == std::string::npos) ? std::string() : ltrim_blanks(w.substr(p + 1));
  return value;
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

Options Parse_Options(const std::string& command_line) {
  Options o;
  std::string d_value;
  std::string w = trim_blanks(command_line) + " ";
  for (;;) {
    char letter = option_letter(w);
    if (!letter) break;
    w = ltrim_blanks(w.substr(2));
    std::string value = take_word(w);
    if (letter == 'i') {
      o.inputs.assign(1, value);
      // A shell that expanded an unquoted pattern left the other matches here.
      while (!w.empty() && !option_letter(w)) {
        std::string next = w.substr(0, w.find(' '));
        if (!is_regular_file(next)) break;
        o.inputs.push_back(take_word(w));
      }
    } else if (letter == 'o') {
      o.output = value;
    } else {
      d_value = lower_text(value);
    }
  }
  // -d tells whether to delete: "y" means do not append.
  if (d_value.empty() || d_value == "n")
    o.Auto_Answer = "y";
  else if (d_value == "y")
    o.Auto_Answer = "n";
  else
    o.Auto_Answer = d_value;
  o.valid = !o.inputs.empty() && !o.inputs.front().empty() && !o.output.empty() &&
            (o.Auto_Answer == "y" || o.Auto_Answer == "n");
  return o;
}

std::vector<std::string> Expand_Input(const std::string& pattern_word) {
  std::vector<std::string> files;
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
  std::sort(names.begin(), names.end());
  for (const std::string& name : names)
    if (wildcard_match(pattern.c_str(), name.c_str())) files.push_back(folder_part + name);
  return files;
}

bool jidou_Jikkou(Workspace& ws, const std::vector<std::string>& inputs, const std::string& output) {
  try {
    Load_Ini(ws.set, ws.App_Dir);

    std::vector<std::string> files;
    for (const std::string& pattern_word : inputs) {
      std::vector<std::string> found = Expand_Input(pattern_word);
      files.insert(files.end(), found.begin(), found.end());
    }

    std::string folder = output;
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();

    if (files.empty()) {
      ws.ui->message("警告", "ファイルが選択されていません。", RunUi::Icon::Warning);
      return false;
    }

    if (!exists(folder)) make_directory(folder);

    return Run_Conversion(ws, folder, files, "jidou_Jikkou");
  } catch (const std::exception& e) {
    ws.Report_Error("jidou_Jikkou", e);
    return false;
  }
}

int Check_Option(Workspace& ws, const std::string& command_line) {
  Options o = Parse_Options(command_line);
  if (!o.valid) {
    ws.ui->message("エラー",
                   "オプションが不正です。\r\n"
                   "  （-i 入力ファイル指定 -o 出力先フォルダ [-d ファイル削除Y/N]）\r\n"
                   "処理を終了します。",
                   RunUi::Icon::Critical);
    return 2;
  }
  ws.Auto_Answer = o.Auto_Answer;
  return jidou_Jikkou(ws, o.inputs, o.output) ? 0 : 1;
}
