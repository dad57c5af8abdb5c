#include "core/page_writer.h"

#include "core/file_write.h"

namespace {
constexpr std::size_t kMaxQueuedBytes = 8u << 20;
// A batch goes over when it holds this many pages or bytes.
constexpr std::size_t kBatchPages = 64;
constexpr std::size_t kBatchBytes = 256u << 10;
}  // namespace

PageWriter::PageWriter() : thread_([this] { work(); }) {}

PageWriter::~PageWriter() {
  try {
    hand_over();
  } catch (...) {
    // finish() was not called: the walk failed, and its error is the one shown.
  }
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
  const std::size_t size = data.size();
  run([path = std::move(path), data = std::move(data)] { replace_file(path, data); }, size);
}

bool PageWriter::behind() const { return queued_bytes_.load(std::memory_order_relaxed) >= kMaxQueuedBytes / 2; }

void PageWriter::write(std::string path, Render render, std::size_t size_hint) {
  run([path = std::move(path), render = std::move(render)] { replace_file(path, render()); }, size_hint);
}

void PageWriter::run(Job job, std::size_t size_hint) {
  pending_bytes_ += size_hint;
  pending_.push_back(Queued{std::move(job), size_hint});
  if (pending_.size() >= kBatchPages || pending_bytes_ >= kBatchBytes) hand_over();
}

void PageWriter::hand_over() {
  if (pending_.empty()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  walk_asleep_ = true;
  wake_walk_.wait(lock, [this] { return queued_bytes_ < kMaxQueuedBytes || error_; });
  walk_asleep_ = false;
  queued_bytes_ += pending_bytes_;
  if (queue_.empty())
    queue_.swap(pending_);
  else
    for (auto& p : pending_) queue_.push_back(std::move(p));
  pending_.clear();
  pending_bytes_ = 0;
  const bool wake = writer_asleep_;
  std::exception_ptr err = error_;
  error_ = nullptr;
  Batch spent;
  spent.swap(spent_);
  lock.unlock();
  if (wake) wake_writer_.notify_one();
  if (err) std::rethrow_exception(err);
}

void PageWriter::finish() {
  hand_over();
  std::unique_lock<std::mutex> lock(mutex_);
  walk_asleep_ = true;
  wake_walk_.wait(lock, [this] { return queued_bytes_ == 0 || error_; });
  walk_asleep_ = false;
  rethrow_locked();
}

void PageWriter::work() {
  Batch batch;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    writer_asleep_ = true;
    wake_writer_.wait(lock, [this] { return !queue_.empty() || closing_; });
    writer_asleep_ = false;
    if (queue_.empty()) return;
    batch.swap(queue_);
    lock.unlock();
    std::size_t written = 0;
    std::exception_ptr failed;
    for (Queued& q : batch) {
      try {
        q.job();
      } catch (...) {
        if (!failed) failed = std::current_exception();
      }
      written += q.size;
    }
    lock.lock();
    // What the jobs held was mostly allocated by the walk: it is freed
    // there, on the next handover, not here against the walk's allocations.
    if (spent_.empty())
      spent_.swap(batch);
    else
      for (Queued& q : batch) spent_.push_back(std::move(q));
    batch.clear();
    queued_bytes_ -= written;
    if (failed && !error_) error_ = failed;
    if (walk_asleep_) wake_walk_.notify_all();
  }
}
