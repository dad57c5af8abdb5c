// Where the search collector puts the tokens' entry lists when they grow
// past its memory budget: a temporary file in the index's folder, removed
// from the folder as soon as it is made (the descriptor keeps it), so that
// no run, finished or stopped, leaves it behind.
//
// The file holds runs one after another, each a sequence of records
// (token, bytes) in an order the collector chooses; once every run is
// written, each run is read back in that same order, a record at a time,
// through a small buffer of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class SearchSpill {
 public:
  explicit SearchSpill(std::string dir) : dir_(std::move(dir)) {}
  SearchSpill(const SearchSpill&) = delete;
  SearchSpill& operator=(const SearchSpill&) = delete;
  ~SearchSpill();

  // Writing: a run is begun, given its records, and ended.
  void begin_run();
  void put(std::uint32_t token, std::string_view bytes);
  void end_run();
  std::size_t runs() const { return runs_.size(); }

  // Reading, once every run has ended: hands f the bytes of token's record
  // in each run whose next record is token's, in the order of the runs, and
  // moves those runs on. Tokens must be asked in the order they were put.
  // Whether every record of every run has been taken.
  bool read_all() const;
  template <typename F>
  void take(std::uint32_t token, F f) {
    for (Run& r : runs_)
      if (next_is(r, token)) f(consume(r));
  }

 private:
  struct Run {
    std::uint64_t begin = 0, end = 0;  // in the file
    std::uint64_t at = 0;              // of the next byte to read
    std::string buffer;                // bytes from the file, not yet used
    std::size_t used = 0;              // of buffer
  };
  bool next_is(Run& r, std::uint32_t token);
  std::string_view consume(Run& r);
  bool fill(Run& r, std::size_t want);
  void flush();
  std::string path() const;

  std::string dir_;
  int fd_ = -1;
  std::uint64_t size_ = 0;  // written so far
  std::string out_;         // waiting to be written
  std::vector<Run> runs_;
};
