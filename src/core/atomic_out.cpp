#include "core/atomic_out.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/file_info.h"
#include "core/posix_io.h"
#include "core/vb_error.h"

using posix_io::fail;
using posix_io::fail_create;
using posix_io::write_all;

bool has_temp_suffix(std::string_view name) {
  if (name.size() < 7 || name[name.size() - 7] != '.') return false;
  for (char c : name.substr(name.size() - 6))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  return true;
}

bool is_temp_name(std::string_view name) {
  return name.starts_with(kTempPrefix) && name.size() >= kTempPrefix.size() + 7 && has_temp_suffix(name);
}

namespace {
std::atomic<int> g_live_temps{0};
}

int live_temp_files() { return g_live_temps.load(); }

AtomicOut::AtomicOut(std::string path) : path_(std::move(path)) {
  std::string dir = ".";
  std::string base = path_;
  std::size_t slash = path_.rfind('/');
  if (slash != std::string::npos) {
    dir = path_.substr(0, slash == 0 ? 1 : slash);
    base = path_.substr(slash + 1);
  }
  temp_ = join_path(dir, std::string(kTempPrefix) + base + ".XXXXXX");
  fd_ = ::mkstemp(temp_.data());
  if (fd_ < 0) fail_create(path_, errno);
  ++g_live_temps;
  ::fchmod(fd_, 0644);
}

AtomicOut::~AtomicOut() {
  if (fd_ >= 0) {
    ::close(fd_);
    if (::unlink(temp_.c_str()) == 0 || errno == ENOENT) --g_live_temps;
  }
}

void AtomicOut::flush() {
  write_all(fd_, buf_.data(), temp_);
  written_ += static_cast<long long>(buf_.data().size());
  buf_.clear();
}

void AtomicOut::write_through(std::string_view s) {
  flush();
  write_all(fd_, s, temp_);
  written_ += static_cast<long long>(s.size());
}

void AtomicOut::copy_from(int src, long long offset, long long length) {
  flush();
  off_t in = static_cast<off_t>(offset);
  while (length > 0) {
    ssize_t n = ::copy_file_range(src, &in, fd_, nullptr, static_cast<std::size_t>(length), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // No kernel copy between these files (or a short source): by hand.
      if (n < 0 && errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) fail(temp_, errno);
      std::string chunk(static_cast<std::size_t>(std::min<long long>(length, 1 << 20)), '\0');
      ssize_t r = ::pread(src, chunk.data(), chunk.size(), in);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) throw VbError(57, temp_ + ": source shorter than expected");
      write_all(fd_, std::string_view(chunk).substr(0, static_cast<std::size_t>(r)), temp_);
      n = r;
      in += r;
    }
    length -= n;
    written_ += n;
  }
}

void AtomicOut::commit() {
  flush();
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 || ::rename(temp_.c_str(), path_.c_str()) != 0) {
    int e = errno;
    if (::unlink(temp_.c_str()) == 0 || errno == ENOENT) --g_live_temps;
    fail(path_, e);
  }
  --g_live_temps;
}

void write_file_atomic(const std::string& path, std::string_view data) {
  AtomicOut out(path);
  out.part(data);
  out.commit();
}
