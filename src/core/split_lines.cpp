#include "core/split_lines.h"

#include <algorithm>
#include <cstring>

std::vector<std::string_view> split_line_views(std::string_view data, bool* all_crlf) {
  std::vector<std::string_view> lines;
  bool crlf = true;
  std::size_t start = 0;
  const std::size_t n = data.size();
  // The next CR and the next LF at or after start (n when there is none).
  // Each is searched for again only once start has reached it, so every byte
  // is searched about once for each: a text of lone CRs, or of LFs alone,
  // stays linear.
  auto next = [&](char c) {
    const void* at = std::memchr(data.data() + start, c, n - start);
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - data.data()) : n;
  };
  std::size_t cr = 0, lf = 0;
  while (start < n) {
    if (cr <= start) cr = next('\r');
    if (lf <= start) lf = next('\n');
    const std::size_t end = std::min(cr, lf);
    if (end == n) {  // the last line has no terminator
      lines.push_back(data.substr(start));
      crlf = false;
      break;
    }
    lines.push_back(data.substr(start, end - start));
    if (end == cr && end + 1 < n && data[end + 1] == '\n') {
      start = end + 2;
    } else {
      crlf = false;
      start = end + 1;
    }
  }
  if (all_crlf) *all_crlf = crlf;
  return lines;
}

std::vector<std::string> split_lines(std::string_view data) {
  const std::vector<std::string_view> views = split_line_views(data);
  return std::vector<std::string>(views.begin(), views.end());
}
