// Where the search collector puts the tokens' entry lists when they grow
// past its memory budget: a temporary file in the index's folder, removed
// from the folder as soon as it is made (the descriptor keeps it), so that
// no run, finished or stopped, leaves it behind.
//
// The file holds runs one after another, each a sequence of records
// (key, bytes) in ascending order of their keys; once every run is written,
// the records are read back by key, all runs at once, each through a small
// buffer of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <queue>
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
  void put(std::uint64_t key, std::string_view bytes);
  void end_run();
  std::size_t runs() const { return runs_.size(); }

  // Reading, once every run has ended: hands f the bytes of key's record in
  // each run that has one, in the order of the runs. Keys are asked in
  // ascending order; a record whose key was passed over is never handed.
  template <typename F>
  void take(std::uint64_t key, F f) {
    if (!reading_) start_reading();
    while (!next_.empty() && next_.top().first == key) {
      const std::size_t r = next_.top().second;
      next_.pop();
      f(consume(runs_[r]));
      look_ahead(r);
    }
  }
  // Whether every record of every run has been taken.
  bool read_all() const;

 private:
  struct Run {
    std::uint64_t at = 0;   // in the file: the next byte to read
    std::uint64_t end = 0;  // and the run's end
    std::string buffer;     // bytes from the file, not yet used
    std::size_t used = 0;   // of buffer
  };
  void start_reading();
  void look_ahead(std::size_t r);
  std::string_view consume(Run& r);
  bool fill(Run& r, std::size_t want);
  void flush();
  std::string path() const;

  std::string dir_;
  int fd_ = -1;
  std::uint64_t size_ = 0;  // written so far
  std::string out_;         // waiting to be written
  std::vector<Run> runs_;
  // Each run's next key, lowest first (and of equal keys the earlier run).
  using Next = std::pair<std::uint64_t, std::size_t>;
  std::priority_queue<Next, std::vector<Next>, std::greater<Next>> next_;
  bool reading_ = false;
};
