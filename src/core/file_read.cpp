#include "core/file_read.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/posix_io.h"
#include "core/split_lines.h"

using posix_io::close_and_fail;
using posix_io::fail;

std::string read_file(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail(path, errno);
  std::string data;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) data.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      close_and_fail(fd, path, errno);
    }
    if (n == 0) break;
    data.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return data;
}

std::vector<std::string> read_lines(const std::string& path) { return split_lines(read_file(path)); }

ReadOnlyFile::ReadOnlyFile(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) fail(path, errno);
}

ReadOnlyFile::~ReadOnlyFile() { ::close(fd_); }

MappedFile::MappedFile(const std::string& path, bool read_now) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail(path, errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) close_and_fail(fd, path, errno);
  size_ = static_cast<std::size_t>(st.st_size);
  if (size_ > 0) {
    data_ = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | (read_now ? MAP_POPULATE : 0), fd, 0);
    if (data_ == MAP_FAILED) {
      data_ = nullptr;
      close_and_fail(fd, path, errno);
    }
  }
  ::close(fd);
}

MappedFile::~MappedFile() {
  if (data_) ::munmap(data_, size_);
}
