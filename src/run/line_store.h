// lstData: the lines of the mailbox file being read, each already converted.
//
// The store reads its file as the walk asks for lines, in blocks, and forgets
// the lines the walk has passed (release_before), so a mailbox of any size is
// walked in memory proportional to the longest run of lines the walk looks
// at together, not to the file. Lines end at CR LF, a lone CR or a lone LF;
// the terminator is not part of the line.
#pragma once

#include <cstddef>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class LineStore {
 public:
  using Convert = std::function<std::string(std::string&&)>;

  LineStore() = default;
  // A store over lines already in memory (what the tests hand the collectors).
  LineStore(std::vector<std::string> lines);  // NOLINT: implicit on purpose
  LineStore(std::initializer_list<std::string> lines) : LineStore(std::vector<std::string>(lines)) {}
  ~LineStore();
  LineStore(const LineStore&) = delete;
  LineStore& operator=(const LineStore&) = delete;

  // Starts reading path; every line goes through convert before it is kept.
  // Throws VbError when the file cannot be opened.
  void open(const std::string& path, Convert convert);
  void clear();

  // True when line i exists (reading ahead as far as needed).
  bool has(std::size_t i) const;
  // Line i; has(i) must be true and i must not have been released.
  const std::string& operator[](std::size_t i) const;
  // Lines before i will not be asked for again.
  void release_before(std::size_t i);

 private:
  bool read_line() const;  // appends one line; false at the end of the file

  mutable std::deque<std::string> window_;
  mutable std::size_t base_ = 0;  // index of window_.front()
  mutable std::FILE* file_ = nullptr;
  mutable std::vector<char> buf_;
  mutable std::size_t pos_ = 0, end_ = 0;
  mutable bool eof_ = true;
  std::string path_;
  Convert convert_;
};
