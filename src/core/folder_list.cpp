#include "core/folder_list.h"

#include <dirent.h>

#include <cerrno>

#include "core/file_info.h"
#include "core/posix_io.h"

using posix_io::fail;

namespace {

// Calls take(name) for each ordinary file of dir until it returns false.
template <class Take>
void each_file(const std::string& dir, Take take) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) fail(dir, errno);
  while (dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    // The folder says what each entry is; only where it does not (or for a
    // link, which counts as what it points to) is the entry looked at.
    const bool regular = e->d_type == DT_REG || ((e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) &&
                                                 is_regular_file(join_path(dir, e->d_name)));
    if (regular && !take(e->d_name)) break;
  }
  ::closedir(d);
}

}  // namespace

std::vector<std::string> list_files(const std::string& dir) {
  std::vector<std::string> names;
  each_file(dir, [&](const char* name) {
    names.emplace_back(name);
    return true;
  });
  return names;
}

std::vector<std::string> list_folders(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) fail(dir, errno);
  while (dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    const bool folder = e->d_type == DT_DIR ||
                        ((e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) && is_directory(join_path(dir, e->d_name)));
    if (folder) names.emplace_back(e->d_name);
  }
  ::closedir(d);
  return names;
}

bool has_files(const std::string& dir) {
  bool any = false;
  each_file(dir, [&](const char*) {
    any = true;
    return false;
  });
  return any;
}
