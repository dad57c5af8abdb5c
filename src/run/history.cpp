#include "run/history.h"

#include <sys/stat.h>

#include <exception>
#include <filesystem>

#include "codec/cp932.h"
#include "core/atomic_out.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/program_folders.h"
#include "core/text_out.h"

namespace {

const char kHistoryName[] = "vorn_htm.his";
constexpr std::size_t kMaxEntries = 10;

// Folders are stored in code page 932 when every character has a form there;
// a folder name that has none (the file system allows any UTF-8) is stored as
// it is, so that it still comes back unchanged.
std::string file_form(const std::string& folder) {
  if (auto s = cp932::from_utf8_exact(folder)) {
    if (cp932::to_utf8(*s) == folder) return *s;
  }
  return folder;
}

std::string folder_form(const std::string& line) {
  if (cp932::round_trips(line)) return cp932::to_utf8(line);
  return line;
}

bool same_folder(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

std::string absolute_folder(const std::string& folder) {
  namespace fs = std::filesystem;
  if (folder.empty()) return folder;
  std::error_code ec;
  const fs::path abs = fs::absolute(folder, ec);
  if (ec) return folder;
  std::string s = abs.lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  if (exists(folder) && !same_folder(folder, s)) {
    const fs::path real = fs::canonical(folder, ec);
    if (!ec) return real.string();
  }
  return s;
}

void Make_HisFile(const std::string& App_Dir, const std::string& folder) {
  try {
    const std::string path = join_path(App_Dir, kHistoryName);
    const std::string top = file_form(absolute_folder(folder));
    std::vector<std::string> entries{top};
    if (exists(path)) {
      for (std::string& line : read_lines(path)) {
        if (entries.size() >= kMaxEntries) break;
        if (line != top) entries.push_back(std::move(line));
      }
    }
    TextOut out;
    for (const std::string& e : entries) out.line(e);
    make_program_folder(App_Dir);
    write_file_atomic(path, out.data());
  } catch (const std::exception&) {
    // The history is a convenience; a run never stops for it.
  }
}

std::vector<std::string> read_his_file(const std::string& App_Dir) {
  std::vector<std::string> folders;
  try {
    for (const std::string& line : read_lines(join_path(App_Dir, kHistoryName))) folders.push_back(folder_form(line));
  } catch (const std::exception&) {
  }
  return folders;
}

std::optional<std::vector<std::string>> history_folders(const std::string& App_Dir) {
  if (!is_regular_file(join_path(App_Dir, kHistoryName))) return std::nullopt;
  return read_his_file(App_Dir);
}
