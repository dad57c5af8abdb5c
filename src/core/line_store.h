// lstData: the lines of the mailbox file being read, each already converted.
//
// The store reads its file as the walk asks for lines, in blocks, and forgets
// the lines the walk has passed (release_before), so a mailbox of any size is
// walked in memory proportional to the longest run of lines the walk looks
// at together, not to the file. Lines end at CR LF, a lone CR or a lone LF;
// the terminator is not part of the line.
//
// The lines live in a ring of strings whose slots are reused once released,
// so a walk over millions of lines allocates only for its longest lines. A
// reference to a line stays valid while the store reads ahead, until the
// line is released.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class LineStore {
 public:
  // Converts a line in place before it is kept. Only lines holding an ESC
  // byte are handed to it: ESC opens every switch of the 7-bit (JIS) form,
  // and a line without one is kept as read.
  using Convert = std::function<void(std::string&)>;

  LineStore() = default;
  // A store over lines already in memory (what the tests hand the collectors).
  LineStore(std::vector<std::string> lines);  // NOLINT: implicit on purpose
  LineStore(std::initializer_list<std::string> lines) : LineStore(std::vector<std::string>(lines)) {}
  ~LineStore();
  LineStore(const LineStore&) = delete;
  LineStore& operator=(const LineStore&) = delete;

  // Starts reading path; lines holding an ESC go through convert before they are kept.
  // Throws VbError when the file cannot be opened.
  void open(const std::string& path, Convert convert);
  void clear();

  // True when line i exists (reading ahead as far as needed).
  bool has(std::size_t i) const {
    if (i < base_ + count_) return i >= base_;
    return read_up_to(i);
  }
  // Line i; has(i) must be true and i must not have been released.
  const std::string& operator[](std::size_t i) const {
    if (!has(i)) throw std::out_of_range("line store index");
    return *ring_[(head_ + (i - base_)) & (ring_.size() - 1)];
  }
  // Lines before i will not be asked for again.
  void release_before(std::size_t i);
  // The next line of the file, for a walk that reads each line once, in
  // order, and keeps none: line views the block the store reads (or, for a
  // line that spans two blocks or was converted, a copy of it) and stays
  // valid until the next call. False at the end of the file. A store read
  // so holds no lines: has() and [] are not used with it.
  bool next(std::string_view& line);
  // Bytes of the file taken into lines so far (terminators included): 0
  // after open, the file's size once every line has been read.
  std::int64_t bytes_read() const { return filled_ - static_cast<std::int64_t>(end_ - pos_); }

 private:
  bool read_up_to(std::size_t i) const;
  bool read_line() const;  // appends one line; false at the end of the file
  std::string& next_slot() const;
  bool refill() const;       // next block into buf_; false at the end of the file
  void end_of_line() const;  // moves past the terminator at pos_

  // ring_.size() is a power of two (or zero); the lines base_ .. base_+count_-1
  // are in the slots from head_ on.
  mutable std::vector<std::unique_ptr<std::string>> ring_;
  mutable std::size_t head_ = 0, count_ = 0;
  mutable std::size_t base_ = 0;
  mutable std::FILE* file_ = nullptr;
  mutable std::vector<char> buf_;
  mutable std::size_t pos_ = 0, end_ = 0;
  mutable std::int64_t filled_ = 0;  // bytes read from the file into buf_, all blocks
  mutable bool eof_ = true;
  std::string path_;
  Convert convert_;
  std::string copy_;  // next()'s line when it cannot be viewed in the block
};
