#include "archive/search_spill.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/file_info.h"
#include "core/file_write.h"
#include "core/posix_io.h"

namespace {

constexpr std::size_t kHeader = 12;           // key (eight bytes) and length (four)
constexpr std::size_t kWriteAhead = 1 << 20;  // bytes gathered before a write
constexpr std::size_t kReadAhead = 1 << 16;   // bytes a run reads at a time

}  // namespace

SearchSpill::~SearchSpill() {
  if (fd_ >= 0) ::close(fd_);
}

std::string SearchSpill::path() const { return join_path(dir_, "spill-XXXXXX"); }

// The file is made on the first run and unlinked at once.
void SearchSpill::begin_run() {
  if (fd_ < 0) {
    if (!is_directory(dir_)) make_directory(dir_);
    std::string name = path();
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) posix_io::fail_create(name, errno);
    ::unlink(name.c_str());
  }
  flush();
  runs_.push_back(Run{size_, size_, {}, 0});
}

void SearchSpill::put(std::uint64_t key, std::string_view bytes) {
  const auto n = static_cast<std::uint32_t>(bytes.size());
  char head[kHeader];
  std::memcpy(head, &key, 8);
  std::memcpy(head + 8, &n, 4);
  out_.append(head, kHeader);
  out_.append(bytes);
  size_ += kHeader + bytes.size();
  if (out_.size() >= kWriteAhead) flush();
}

void SearchSpill::end_run() {
  flush();
  runs_.back().end = size_;
}

void SearchSpill::flush() {
  if (out_.empty()) return;
  try {
    posix_io::write_all(fd_, out_, path());
  } catch (...) {
    fd_ = -1;  // closed by write_all
    throw;
  }
  out_.clear();
}

// Makes at least want unread bytes of the run stand in its buffer, unless
// the run has fewer left.
bool SearchSpill::fill(Run& r, std::size_t want) {
  if (r.buffer.size() - r.used >= want) return true;
  r.buffer.erase(0, r.used);
  r.used = 0;
  const std::uint64_t left = r.end - r.at;
  const std::size_t more = static_cast<std::size_t>(std::min<std::uint64_t>(left, std::max(want, kReadAhead)));
  const std::size_t had = r.buffer.size();
  r.buffer.resize(had + more);
  for (std::size_t got = 0; got < more;) {
    const ssize_t n = ::pread(fd_, r.buffer.data() + had + got, more - got, static_cast<off_t>(r.at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) posix_io::fail(path(), n < 0 ? errno : EIO);
    got += static_cast<std::size_t>(n);
    r.at += static_cast<std::uint64_t>(n);
  }
  return r.buffer.size() - r.used >= want;
}

void SearchSpill::start_reading() {
  reading_ = true;
  for (std::size_t r = 0; r < runs_.size(); ++r) look_ahead(r);
}

// Puts the run's next key in the queue, if it has records left.
void SearchSpill::look_ahead(std::size_t r) {
  Run& run = runs_[r];
  if (!fill(run, kHeader)) return;
  std::uint64_t key;
  std::memcpy(&key, run.buffer.data() + run.used, 8);
  next_.emplace(key, r);
}

// The bytes of the run's next record, valid until the run is read again.
std::string_view SearchSpill::consume(Run& r) {
  std::uint32_t n;
  std::memcpy(&n, r.buffer.data() + r.used + 8, 4);
  if (!fill(r, kHeader + n)) posix_io::fail(path(), EIO);
  const std::string_view bytes(r.buffer.data() + r.used + kHeader, n);
  r.used += kHeader + n;
  return bytes;
}

bool SearchSpill::read_all() const {
  for (const Run& r : runs_)
    if (r.at != r.end || r.used != r.buffer.size()) return false;
  return true;
}
