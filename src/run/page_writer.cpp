#include "run/page_writer.h"

#include "run/file_ops.h"

namespace {
constexpr std::size_t kMaxQueuedBytes = 8u << 20;
}

PageWriter::PageWriter() : thread_([this] { run(); }) {}

PageWriter::~PageWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  wake_writer_.notify_all();
  thread_.join();
}

void PageWriter::rethrow_locked() {
  if (error_) {
    std::exception_ptr e = error_;
    error_ = nullptr;
    std::rethrow_exception(e);
  }
}

void PageWriter::write(std::string path, std::string data) {
  std::unique_lock<std::mutex> lock(mutex_);
  wake_walk_.wait(lock, [this] { return queued_bytes_ < kMaxQueuedBytes || error_; });
  rethrow_locked();
  queued_bytes_ += data.size();
  queue_.emplace_back(std::move(path), std::move(data));
  lock.unlock();
  wake_writer_.notify_one();
}

void PageWriter::finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  wake_walk_.wait(lock, [this] { return (queue_.empty() && !busy_) || error_; });
  rethrow_locked();
}

void PageWriter::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_writer_.wait(lock, [this] { return !queue_.empty() || closing_; });
    if (queue_.empty()) return;
    auto [path, data] = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    std::exception_ptr failed;
    try {
      replace_file(path, data);
    } catch (...) {
      failed = std::current_exception();
    }
    lock.lock();
    busy_ = false;
    queued_bytes_ -= data.size();
    if (failed && !error_) error_ = failed;
    wake_walk_.notify_all();
  }
}
