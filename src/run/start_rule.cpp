#include "run/start_rule.h"

#include <sys/stat.h>

#include <cstdlib>

bool is_colour_word(const std::string& w) {
  return w.size() == 4 && w[0] == '/' && (w[1] | 0x20) == 'c' && (w[2] | 0x20) == 'o' && (w[3] | 0x20) == 'l';
}

bool display_named() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

StartAs choose_start(const std::vector<std::string>& words, bool has_display,
                     const std::function<bool(const std::string&)>& is_file) {
  if (words.empty()) return StartAs::windows;
  if (words.size() == 1 && is_colour_word(words[0])) return StartAs::windows;
  if (!has_display) return StartAs::command_line;
  for (const std::string& w : words)
    if (w.empty() || w[0] == '-' || !is_file(w)) return StartAs::command_line;
  return StartAs::windows_with_files;
}

bool is_existing_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
