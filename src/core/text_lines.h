// Lines of text kept end to end in one buffer: the body lines of the message
// being converted (out_buf). Adding a line costs no allocation of its own,
// and the whole set moves to the page writer as two buffers.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class TextLines {
 public:
  TextLines() = default;
  TextLines(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) push_back(line);
  }

  void push_back(std::string_view line) {
    bytes_.append(line);
    ends_.push_back(bytes_.size());
  }
  std::string_view operator[](std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(bytes_).substr(begin, ends_[i] - begin);
  }
  std::size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::size_t bytes() const { return bytes_.size(); }
  void reserve(std::size_t bytes, std::size_t lines) {
    bytes_.reserve(bytes);
    ends_.reserve(lines);
  }
  void pop_back() {
    ends_.pop_back();
    bytes_.resize(ends_.empty() ? 0 : ends_.back());
  }
  void clear() {
    bytes_.clear();
    ends_.clear();
  }
  bool operator==(const TextLines& o) const { return ends_ == o.ends_ && bytes_ == o.bytes_; }

 private:
  std::string bytes_;
  std::vector<std::size_t> ends_;
};
