#include "core/thread_keys.h"

#include <algorithm>
#include <stdexcept>

#include "codec/sjis_text.h"
#include "core/vb_error.h"

std::string ThreadKeys::Step(std::size_t number) {
  std::string s = std::to_string(number);
  return "Z" + std::string(s.size() < 7 ? 7 - s.size() : 0, '0') + s;
}

std::size_t ThreadKeys::step_number(std::string_view key, std::size_t s) {
  const long long n = sjis::parse_digits(key.substr(s * kStep + 1, kStep - 1));
  if (n < 0) throw VbError(13, "thread key with a bad step");
  return static_cast<std::size_t>(n);
}

void ThreadKeys::add(std::string key, std::uint32_t number) {
  lines_.push_back(Entry{std::move(key), number});
  sorted_ = false;
}

void ThreadKeys::settle() const {
  if (sorted_) return;
  // Equal keys (none in an order Syosai_Make built) keep the order of adding.
  std::stable_sort(lines_.begin(), lines_.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
  sorted_ = true;
}

ThreadLine ThreadKeys::at(std::size_t k) const {
  settle();
  if (k >= lines_.size()) throw std::out_of_range("line list index");
  const Entry& e = lines_[k];
  const std::size_t levels = e.key.size() / kStep;
  return ThreadLine{e.key, e.number, levels == 0 ? 0 : levels - 1, levels == 0 ? e.number : step_number(e.key, 0)};
}

void ThreadKeys::clear() {
  lines_.clear();
  lines_.shrink_to_fit();
  sorted_ = true;
}
