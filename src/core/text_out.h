// Lines of text collected in memory.
#pragma once

#include <string>
#include <string_view>
#include <utility>

// Collects lines, each ended by CR LF, and writes them in one go.
class TextOut {
 public:
  void line(std::string_view s) {
    buf_.append(s);
    buf_.append("\r\n");
  }
  void part(std::string_view s) { buf_.append(s); }
  void end_line() { buf_.append("\r\n"); }
  const std::string& data() const { return buf_; }
  std::string take() { return std::move(buf_); }
  void clear() { buf_.clear(); }

 private:
  std::string buf_;
};
