#include "core/file_info.h"

#include <sys/stat.h>

#include <cerrno>

#include "core/posix_io.h"

using posix_io::fail;

std::string join_path(std::string_view dir, std::string_view name) {
  std::string s;
  s.reserve(dir.size() + 1 + name.size());
  s.append(dir);
  s += '/';
  s.append(name);
  return s;
}

long long file_size(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) fail(path, errno);
  return static_cast<long long>(st.st_size);
}

std::optional<FileStamp> file_stamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{static_cast<long long>(st.st_size),
                   static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
                   static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec,
                   static_cast<unsigned long long>(st.st_ino)};
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool is_directory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_regular_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
