#include "core/file_ops.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

int vb_error_number(const std::exception& e) {
  if (auto* v = dynamic_cast<const VbError*>(&e)) return v->number;
  if (dynamic_cast<const std::out_of_range*>(&e)) return 9;
  if (dynamic_cast<const std::bad_alloc*>(&e)) return 7;
  return 5;
}

std::string error_text(const std::exception& e) {
  if (dynamic_cast<const VbError*>(&e)) return e.what();
  if (dynamic_cast<const std::bad_alloc*>(&e)) return "メモリが足りません (out of memory)";
  return std::string("内部エラー (") + e.what() + ")";
}

int vb_code_from_errno(int err) {
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
    case EEXIST:
      return 58;
    case ENAMETOOLONG:
      return 52;
    default:
      return 75;
  }
}

std::string error_reason(int err) {
  const char* ja = nullptr;
  switch (err) {
    case ENOENT:
      ja = "ファイルまたはフォルダがありません";
      break;
    case ENOTDIR:
      ja = "途中の名前がフォルダではありません";
      break;
    case EISDIR:
      ja = "フォルダです";
      break;
    case EACCES:
    case EPERM:
      ja = "アクセスが許可されていません";
      break;
    case EROFS:
      ja = "読み取り専用のファイルシステムです";
      break;
    case ENOSPC:
    case EDQUOT:
      ja = "ディスクの空きがありません";
      break;
    case EIO:
      ja = "入出力エラー";
      break;
    case EEXIST:
      ja = "同じ名前のものが既にあります";
      break;
    case ENAMETOOLONG:
      ja = "名前が長すぎます";
      break;
    default:
      break;
  }
  const std::string sys = std::strerror(err);
  return ja ? std::string(ja) + " (" + sys + ")" : sys;
}

namespace {

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

}  // namespace

std::string join_path(std::string_view dir, std::string_view name) {
  std::string s(dir);
  s += '/';
  s.append(name);
  return s;
}

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

std::vector<std::string_view> split_line_views(std::string_view data, bool* all_crlf) {
  std::vector<std::string_view> lines;
  bool crlf = true;
  std::size_t start = 0;
  const std::size_t n = data.size();
  // The next CR and the next LF at or after start (n when there is none).
  // Each is searched for again only once start has reached it, so every byte
  // is searched about once for each: a text of lone CRs, or of LFs alone,
  // stays linear.
  auto next = [&](char c) {
    const void* at = std::memchr(data.data() + start, c, n - start);
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - data.data()) : n;
  };
  std::size_t cr = 0, lf = 0;
  while (start < n) {
    if (cr <= start) cr = next('\r');
    if (lf <= start) lf = next('\n');
    const std::size_t end = std::min(cr, lf);
    if (end == n) {  // the last line has no terminator
      lines.push_back(data.substr(start));
      crlf = false;
      break;
    }
    lines.push_back(data.substr(start, end - start));
    if (end == cr && end + 1 < n && data[end + 1] == '\n') {
      start = end + 2;
    } else {
      crlf = false;
      start = end + 1;
    }
  }
  if (all_crlf) *all_crlf = crlf;
  return lines;
}

std::vector<std::string> split_lines(std::string_view data) {
  const std::vector<std::string_view> views = split_line_views(data);
  return std::vector<std::string>(views.begin(), views.end());
}

std::vector<std::string> read_lines(const std::string& path) { return split_lines(read_file(path)); }

long long file_size(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) fail(path, errno);
  return static_cast<long long>(st.st_size);
}

void write_file(const std::string& path, std::string_view data) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) fail_create(path, errno);
  write_all(fd, data, path);
  if (::close(fd) != 0) fail(path, errno);
}

bool create_new_file(const std::string& path, std::string_view data) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (errno == EEXIST) return false;
    fail_create(path, errno);
  }
  try {
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
  // The usual case, a new page, costs one open; an old one is removed first.
  while (!create_new_file(path, data)) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) fail(path, errno);
  }
}

void update_in_place(const std::string& path, std::string_view old_data, std::string_view new_data) {
  const std::size_t same = static_cast<std::size_t>(
      std::mismatch(old_data.begin(), old_data.end(), new_data.begin(), new_data.end()).first - old_data.begin());
  if (same == new_data.size() && old_data.size() == new_data.size()) return;
  int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) fail(path, errno);
  std::size_t at = same;
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

void remove_file(const std::string& path) {
  if (::unlink(path.c_str()) != 0) fail(path, errno);
}

void make_directory(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) != 0) {
    int e = errno;
    throw VbError(e == ENOENT ? 76 : vb_code_from_errno(e), path + ": " + error_reason(e));
  }
}
