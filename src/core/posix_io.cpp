#include "core/posix_io.h"

#include <unistd.h>

#include <cerrno>

#include "core/vb_error.h"

namespace posix_io {

[[noreturn]] void fail(const std::string& what, int err) {
  throw VbError(vb_code_from_errno(err), what + ": " + error_reason(err));
}

// Creating a file fails with ENOENT only when its folder is missing.
[[noreturn]] void fail_create(const std::string& what, int err) {
  if (err == ENOENT) throw VbError(76, what + ": " + error_reason(err));
  fail(what, err);
}

// Closes fd, then fails with err (taken before the close could change errno).
[[noreturn]] void close_and_fail(int fd, const std::string& what, int err) {
  ::close(fd);
  fail(what, err);
}

void write_all(int fd, std::string_view data, const std::string& path) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      close_and_fail(fd, path, errno);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

}  // namespace posix_io
