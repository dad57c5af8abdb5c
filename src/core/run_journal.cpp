#include "core/run_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/file_info.h"
#include "core/posix_io.h"

namespace {

constexpr std::string_view kFirstLine = "vorn_htm run 1";

bool plain_byte(unsigned char c) { return c > 0x20 && c != 0x7f && c != '%'; }

std::string escaped(std::string_view name) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (plain_byte(c)) {
      out += ch;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The name escaped() wrote; nothing when it is not one.
std::optional<std::string> unescaped(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c != '%') {
      if (!plain_byte(c)) return std::nullopt;
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size() || hex_value(text[i + 1]) < 0 || hex_value(text[i + 2]) < 0) return std::nullopt;
    out += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
    i += 2;
  }
  if (out.empty()) return std::nullopt;
  return out;
}

// The next blank-separated word of a record, taken off its front.
std::string_view word(std::string_view& rest) {
  const std::size_t blank = rest.find(' ');
  const std::string_view w = rest.substr(0, blank);
  rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
  return w;
}

template <class T>
bool number(std::string_view text, T& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// One line of the record into r; lines of any other shape are passed by.
void read_line(std::string_view line, RunRecord& r) {
  const std::string_view kind = word(line);
  if (kind == "first-page") {
    std::int64_t n = 0;
    if (number(line, n) && n > 0) r.first_page = n;
  } else if (kind == "file") {
    RunRecord::File f;
    const std::string_view device = word(line), inode = word(line), birth = word(line);
    std::optional<std::string> name = unescaped(line);
    if (number(device, f.device) && number(inode, f.inode) && number(birth, f.birth_ns) && name) {
      f.name = std::move(*name);
      r.files.push_back(std::move(f));
    }
  } else if (kind == "link") {
    const std::string_view page = word(line);
    std::optional<std::string> name = unescaped(line);
    if (is_page_name(page) && name) r.links.emplace_back(std::string(page), std::move(*name));
  } else if (kind == "page") {
    if (is_page_name(line)) r.rewritten.emplace_back(line);
  }
}

std::string record_path(const std::string& folder) { return join_path(folder, kRunFile.name); }

// The time of birth of a file (statx), in nanoseconds; 0 where the file
// system keeps none.
std::int64_t birth_ns(int dir, const char* path, int flags) {
  struct statx stx {};
  if (::statx(dir, path, flags, STATX_BTIME, &stx) != 0 || !(stx.stx_mask & STATX_BTIME)) return 0;
  return static_cast<std::int64_t>(stx.stx_btime.tv_sec) * 1'000'000'000 + stx.stx_btime.tv_nsec;
}

}  // namespace

RunJournal::~RunJournal() {
  if (fd_ >= 0) ::close(fd_);
}

void RunJournal::start(const std::string& folder, std::int64_t first_page, const std::vector<std::string>& pages) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
  broken_ = nullptr;
  const std::string path = record_path(folder);
  std::string head = std::string(kFirstLine) + "\nfirst-page " + std::to_string(first_page) + "\n";
  int fd = -1;
  if (pages.empty()) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) posix_io::fail_create(path, errno);
    try {
      posix_io::write_all(fd, head, path);  // closes fd when it fails
    } catch (...) {
      ::unlink(path.c_str());
      throw;
    }
  } else {
    for (const std::string& page : pages) head += "page " + page + "\n";
    write_file_atomic(path, head);
    fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) posix_io::fail(path, errno);
  }
  fd_ = fd;
  path_ = path;
  first_page_ = first_page;
}

void RunJournal::append(const std::string& line) {
  std::lock_guard<std::mutex> hold(mutex_);
  // After a record that could not be written, no file may be made
  // unrecorded: every later one fails the same way.
  if (broken_) std::rethrow_exception(broken_);
  if (fd_ < 0) return;
  try {
    posix_io::write_all(fd_, line, path_);
  } catch (...) {
    fd_ = -1;  // write_all closed it
    broken_ = std::current_exception();
    throw;
  }
}

void RunJournal::created(std::string_view name, int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) posix_io::fail(std::string(name), errno);
  const std::int64_t birth = birth_ns(fd, "", AT_EMPTY_PATH);
  append("file " + std::to_string(st.st_dev) + " " + std::to_string(st.st_ino) + " " + std::to_string(birth) + " " +
         escaped(name) + "\n");
}

void RunJournal::linked(std::string_view page, std::string_view name) {
  append("link " + std::string(page) + " " + escaped(name) + "\n");
}

void RunJournal::rewrites(std::string_view page) { append("page " + std::string(page) + "\n"); }

void RunJournal::remove() {
  std::lock_guard<std::mutex> hold(mutex_);
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!path_.empty()) ::unlink(path_.c_str());
}

std::optional<RunRecord> read_run_record(const std::string& folder) {
  const std::string path = record_path(folder);
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string data;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    data.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  const std::size_t first_end = data.find('\n');
  if (first_end == std::string::npos || std::string_view(data).substr(0, first_end) != kFirstLine) return std::nullopt;
  RunRecord r;
  for (std::size_t at = first_end + 1;;) {
    const std::size_t end = data.find('\n', at);
    if (end == std::string::npos) break;  // a line cut short is no record
    read_line(std::string_view(data).substr(at, end - at), r);
    at = end + 1;
  }
  if (r.first_page <= 0) return std::nullopt;
  return r;
}

bool remove_run_record(const std::string& folder) {
  return ::unlink(record_path(folder).c_str()) == 0 || errno == ENOENT;
}

bool same_file(const std::string& path, const RunRecord::File& file) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (st.st_dev != file.device || st.st_ino != file.inode) return false;
  const std::int64_t birth = birth_ns(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW);
  return file.birth_ns == 0 || birth == 0 || birth == file.birth_ns;
}
