#include "core/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/atomic_out.h"
#include "core/posix_io.h"
#include "core/vb_error.h"

using posix_io::close_and_fail;
using posix_io::fail;
using posix_io::fail_create;
using posix_io::write_all;

void write_file(const std::string& path, std::string_view data) {
  write_file_pieces(path, [&data] { return std::exchange(data, std::string_view()); });
}

void write_file_pieces(const std::string& path, const std::function<std::string_view()>& next) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) fail_create(path, errno);
  for (;;) {
    std::string_view piece;
    try {
      piece = next();
    } catch (...) {
      ::close(fd);
      throw;
    }
    if (piece.empty()) break;
    write_all(fd, piece, path);  // closes the file when it fails
  }
  if (::close(fd) != 0) fail(path, errno);
}

bool create_new_file(const std::string& path, std::string_view data) { return create_new_file(path, data, nullptr); }

bool create_new_file(const std::string& path, std::string_view data, const std::function<void(int fd)>& created) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (errno == EEXIST) return false;
    fail_create(path, errno);
  }
  try {
    if (created) {
      try {
        created(fd);
      } catch (...) {
        ::close(fd);
        throw;
      }
    }
    write_all(fd, data, path);
  } catch (...) {
    ::unlink(path.c_str());
    throw;
  }
  if (::close(fd) != 0) {
    int e = errno;
    ::unlink(path.c_str());
    fail(path, e);
  }
  return true;
}

void replace_file(const std::string& path, std::string_view data) {
  // The usual case, a new page, costs one open. An old file is replaced by
  // a rename, so that a write that fails (a full disk) leaves it as it was.
  if (!create_new_file(path, data)) write_file_atomic(path, data);
}

namespace {

// How many leading bytes a and b share; compared a block at a time.
std::size_t common_prefix(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  constexpr std::size_t kBlock = 64;
  std::size_t i = 0;
  while (i + kBlock <= n && std::memcmp(a.data() + i, b.data() + i, kBlock) == 0) i += kBlock;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// Writes new_data over the open file fd, whose bytes are old_data, from the
// first byte that differs; closes fd.
void write_changed(int fd, const std::string& path, std::string_view old_data, std::string_view new_data) {
  std::size_t at = common_prefix(old_data, new_data);
  while (at < new_data.size()) {
    ssize_t n = ::pwrite(fd, new_data.data() + at, new_data.size() - at, static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) close_and_fail(fd, path, n < 0 ? errno : EIO);
    at += static_cast<std::size_t>(n);
  }
  if (new_data.size() < old_data.size() && ::ftruncate(fd, static_cast<off_t>(new_data.size())) != 0)
    close_and_fail(fd, path, errno);
  if (::close(fd) != 0) fail(path, errno);
}

// The bytes of the open file fd, as many as it holds when it is opened (a
// page this run wrote, which nobody else writes); closes fd when it fails.
std::string read_all(int fd, const std::string& path) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) close_and_fail(fd, path, errno);
  std::string data(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < data.size()) {
    ssize_t n = ::pread(fd, data.data() + got, data.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) close_and_fail(fd, path, errno);
    if (n == 0) break;  // cut short meanwhile
    got += static_cast<std::size_t>(n);
  }
  data.resize(got);
  return data;
}

}  // namespace

void update_in_place(const std::string& path, std::string_view old_data, std::string_view new_data) {
  if (old_data == new_data) return;
  int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) fail(path, errno);
  write_changed(fd, path, old_data, new_data);
}

bool change_in_place(const std::string& path, const std::function<std::string(const std::string&)>& change) {
  int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) fail(path, errno);
  const std::string old_data = read_all(fd, path);
  std::string new_data;
  try {
    new_data = change(old_data);
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (new_data == old_data) {
    ::close(fd);
    return false;
  }
  write_changed(fd, path, old_data, new_data);
  return true;
}

void remove_file(const std::string& path) {
  if (::unlink(path.c_str()) != 0) fail(path, errno);
}

void make_directory(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) != 0) {
    int e = errno;
    throw VbError(e == ENOENT ? 76 : vb_code_from_errno(e), path + ": " + error_reason(e));
  }
}
