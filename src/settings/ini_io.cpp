#include "settings/ini_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "run/file_ops.h"  // VbError only (header-only)

namespace {

[[noreturn]] void fail(const std::string& path, int err) {
  throw VbError(ini_error_number(err), path + ": " + std::strerror(err));
}

}  // namespace

int ini_error_number(int err) {
  switch (err) {
    case ENOENT:
      return 53;
    case ENOTDIR:
      return 76;
    case EACCES:
    case EPERM:
    case EROFS:
      return 70;
    case ENOSPC:
    case EDQUOT:
      return 61;
    case EIO:
      return 57;
    case ENAMETOOLONG:
      return 52;
    default:
      return 75;
  }
}

std::optional<std::vector<std::string>> ini_read_lines(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    fail(path, errno);
  }
  std::string data;
  char buf[8192];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      ::close(fd);
      fail(path, e);
    }
    if (n == 0) break;
    data.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);

  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    char c = data[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(data, start, i - start);
    if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < data.size()) lines.emplace_back(data, start);
  return lines;
}

bool ini_file_exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

void ini_write_atomic(const std::string& path, std::string_view data) {
  std::size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string tmp = dir + "/." + base + ".XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) {
    // A missing folder is "path not found", as for any file written there.
    if (errno == ENOENT) throw VbError(76, path + ": " + std::strerror(ENOENT));
    fail(path, errno);
  }
  ::fchmod(fd, 0644);
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      ::close(fd);
      ::unlink(tmp.c_str());
      fail(path, e);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    int e = errno;
    ::unlink(tmp.c_str());
    fail(path, e);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int e = errno;
    ::unlink(tmp.c_str());
    fail(path, e);
  }
}
