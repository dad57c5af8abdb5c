// Makes and writes message pages and attachment files on a second thread
// while the mailbox walk goes on: a page is handed over as a function that
// renders its bytes, an attachment as a job that decodes and saves it.
//
// Jobs run in the order they were handed over, so a page written twice (a
// re-sent message) ends with its last content, and an attachment is saved
// before the page that links it is rendered. The walk collects
// pages in a batch of its own and hands a whole batch over at a time, and
// each side wakes the other only when it is asleep: one handover per few
// dozen pages instead of a thread switch per page. A failed write is
// reported by a later call of write() or by finish(), as the exception the
// write threw. At most a few megabytes wait; write() blocks while the queue
// is full.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class PageWriter {
 public:
  PageWriter();
  // Writes what is still queued; an error then is dropped (finish() reports).
  ~PageWriter();
  PageWriter(const PageWriter&) = delete;
  PageWriter& operator=(const PageWriter&) = delete;

  using Render = std::function<std::string()>;
  // size_hint: about the bytes render() will give (it bounds the queue).
  void write(std::string path, Render render, std::size_t size_hint);
  void write(std::string path, std::string data);
  using Job = std::function<void()>;
  void run(Job job, std::size_t size_hint);
  // Returns when every page handed over is written; throws the first failure.
  void finish();
  // Whether the writer is behind the walk: half the bytes that may wait are
  // waiting. The walk can then make a page's bytes itself, where nothing
  // queued before changes them, and hand the writer only the writing.
  bool behind() const;

 private:
  struct Queued {
    Job job;
    std::size_t size;
  };
  using Batch = std::vector<Queued>;
  void work();
  void hand_over();
  void rethrow_locked();

  // The walk's side, touched by the walk only.
  Batch pending_;
  std::size_t pending_bytes_ = 0;

  std::mutex mutex_;
  std::condition_variable wake_writer_, wake_walk_;
  Batch queue_;
  Batch spent_;                                // jobs done, destroyed by the walk
  std::atomic<std::size_t> queued_bytes_ = 0;  // queued plus being written; changed under the lock
  bool writer_asleep_ = false;
  bool walk_asleep_ = false;
  bool closing_ = false;
  std::exception_ptr error_;
  std::thread thread_;
};
