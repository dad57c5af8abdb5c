// Writes message pages on a second thread while the mailbox walk goes on.
//
// Pages are written in the order they were handed over, so a page written
// twice (a re-sent message) ends with its last content. A failed write is
// reported by the next call of write() or by finish(), as the exception the
// write threw. At most a few megabytes wait in the queue; write() blocks
// while it is full.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

class PageWriter {
 public:
  PageWriter();
  // Writes what is still queued; an error then is dropped (finish() reports).
  ~PageWriter();
  PageWriter(const PageWriter&) = delete;
  PageWriter& operator=(const PageWriter&) = delete;

  void write(std::string path, std::string data);
  // Returns when every page handed over is written; throws the first failure.
  void finish();

 private:
  void run();
  void rethrow_locked();

  std::mutex mutex_;
  std::condition_variable wake_writer_, wake_walk_;
  std::deque<std::pair<std::string, std::string>> queue_;
  std::size_t queued_bytes_ = 0;
  bool busy_ = false;
  bool closing_ = false;
  std::exception_ptr error_;
  std::thread thread_;
};
