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

void ThreadKeys::add(std::string_view key, std::uint32_t number) {
  if (key.size() > 0xffffffffu) throw std::length_error("thread key longer than 4 GB");
  lines_.push_back(Entry{text_.size(), static_cast<std::uint32_t>(key.size()), number});
  text_.append(key);
  sorted_ = false;
}

void ThreadKeys::settle() const {
  if (sorted_) return;
  // Equal keys (none in an order Syosai_Make built) keep the order of adding.
  std::stable_sort(lines_.begin(), lines_.end(),
                   [this](const Entry& a, const Entry& b) { return key_of(a) < key_of(b); });
  sorted_ = true;
}

ThreadLine ThreadKeys::at(std::size_t k) const {
  settle();
  if (k >= lines_.size()) throw std::out_of_range("line list index");
  const Entry& e = lines_[k];
  const std::string_view key = key_of(e);
  const std::size_t levels = key.size() / kStep;
  return ThreadLine{key, e.number, levels == 0 ? 0 : levels - 1, levels == 0 ? e.number : step_number(key, 0)};
}

void ThreadKeys::clear() {
  lines_.clear();
  lines_.shrink_to_fit();
  text_.clear();
  text_.shrink_to_fit();
  sorted_ = true;
}
