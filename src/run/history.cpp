#include "run/history.h"

#include <exception>

#include "codec/cp932.h"
#include "core/file_ops.h"

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

}  // namespace

void Make_HisFile(const std::string& App_Dir, const std::string& folder) {
  try {
    const std::string path = join_path(App_Dir, kHistoryName);
    const std::string top = file_form(folder);
    std::vector<std::string> entries{top};
    if (exists(path)) {
      for (std::string& line : read_lines(path)) {
        if (entries.size() >= kMaxEntries) break;
        if (line != top) entries.push_back(std::move(line));
      }
    }
    TextOut out;
    for (const std::string& e : entries) out.line(e);
    write_file_atomic(path, out.data());
  } catch (const std::exception&) {
    // The history is a convenience; a run never stops for it.
  }
}

std::vector<std::string> Read_HisFile(const std::string& App_Dir) {
  std::vector<std::string> folders;
  try {
    for (const std::string& line : read_lines(join_path(App_Dir, kHistoryName))) folders.push_back(folder_form(line));
  } catch (const std::exception&) {
  }
  return folders;
}
