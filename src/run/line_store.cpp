#include "run/line_store.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "run/file_ops.h"

namespace {
constexpr std::size_t kBlock = 1 << 20;
}

LineStore::LineStore(std::vector<std::string> lines)
    : window_(std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end())) {}

LineStore::~LineStore() { clear(); }

void LineStore::clear() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  window_.clear();
  base_ = 0;
  pos_ = end_ = 0;
  eof_ = true;
  buf_.clear();
  buf_.shrink_to_fit();
}

void LineStore::open(const std::string& path, Convert convert) {
  clear();
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) throw VbError(vb_code_from_errno(errno), path + ": " + std::strerror(errno));
  path_ = path;
  convert_ = std::move(convert);
  buf_.resize(kBlock);
  eof_ = false;
}

bool LineStore::read_line() const {
  if (eof_) return false;
  std::string line;
  for (;;) {
    if (pos_ == end_) {
      end_ = std::fread(buf_.data(), 1, buf_.size(), file_);
      pos_ = 0;
      if (end_ == 0) {
        if (std::ferror(file_)) throw VbError(57, path_ + ": read error");
        eof_ = true;
        if (line.empty()) return false;  // a final terminator starts no line
        break;
      }
    }
    const char* start = buf_.data() + pos_;
    std::size_t n = end_ - pos_;
    std::size_t k = 0;
    while (k < n && start[k] != '\r' && start[k] != '\n') ++k;
    line.append(start, k);
    pos_ += k;
    if (k == n) continue;  // the line goes on in the next block
    char term = buf_[pos_++];
    if (term == '\r') {
      // A CR LF pair may be split between two blocks.
      if (pos_ == end_) {
        end_ = std::fread(buf_.data(), 1, buf_.size(), file_);
        pos_ = 0;
        if (end_ == 0 && std::ferror(file_)) throw VbError(57, path_ + ": read error");
      }
      if (pos_ < end_ && buf_[pos_] == '\n') ++pos_;
    }
    break;
  }
  window_.push_back(convert_ ? convert_(std::move(line)) : std::move(line));
  return true;
}

bool LineStore::has(std::size_t i) const {
  while (i >= base_ + window_.size()) {
    if (!read_line()) return false;
  }
  return i >= base_;
}

const std::string& LineStore::operator[](std::size_t i) const {
  if (!has(i)) throw std::out_of_range("line store index");
  return window_[i - base_];
}

void LineStore::release_before(std::size_t i) {
  while (base_ < i && !window_.empty()) {
    window_.pop_front();
    ++base_;
  }
}
