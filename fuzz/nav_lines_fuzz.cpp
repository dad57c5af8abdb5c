// The links between pages put into any bytes taken for a page: the result
// must be the page's lines, split at CR LF, a lone CR or a lone LF, without
// any earlier line of links or key script, joined again with CR LF, with
// the links after the first font line and around the last "</PRE>" line
// (spaces around it allowed), or the page itself where it lacks either or
// they stand the wrong way round. The reference below is that rule written
// the plain way; the program takes a quicker way for pages as it writes
// them. Putting the links in twice changes nothing more, and taking them out
// gives the page as it was without them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "archive/page_links.h"
#include "fuzz/scratch_dir.h"

namespace {

std::vector<std::string_view> lines_of(std::string_view page) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < page.size()) {
    std::size_t end = start;
    while (end < page.size() && page[end] != '\r' && page[end] != '\n') ++end;
    lines.push_back(page.substr(start, end - start));
    if (end == page.size()) break;
    start = end + (page[end] == '\r' && end + 1 < page.size() && page[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

bool starts_nocase(std::string_view line, std::string_view prefix) {
  if (line.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = line[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != prefix[i]) return false;
  }
  return true;
}

// "</PRE>" with spaces around it.
bool is_pre_end(std::string_view line) {
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  line = line.substr(first);
  return line.substr(0, 6) == "</PRE>" && line.find_first_not_of(' ', 6) == std::string_view::npos;
}

std::string reference(const std::string& page, const std::string* nav, std::string_view script) {
  std::vector<std::string_view> lines;
  for (std::string_view l : lines_of(page))
    if (l.substr(0, 23) != "<SPAN class=\"vorn-nav\">" && l.substr(0, 8) != "<SCRIPT>") lines.push_back(l);
  std::size_t top = lines.size(), bottom = lines.size();
  for (std::size_t k = 0; k < lines.size() && top == lines.size(); ++k)
    if (starts_nocase(lines[k], "<FONT SIZE")) top = k;
  for (std::size_t k = lines.size(); k-- > 0 && bottom == lines.size();)
    if (is_pre_end(lines[k])) bottom = k;
  if (top == lines.size() || bottom == lines.size() || bottom < top) return page;
  std::string out;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k == bottom && nav) out.append(*nav).append("\r\n");
    out.append(lines[k]).append("\r\n");
    if (k == top && nav) out.append(*nav).append("\r\n");
    if (k == bottom && nav) out.append(script).append("\r\n");
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string page(reinterpret_cast<const char*>(data), size);
  const std::string nav = "<SPAN class=\"vorn-nav\">[<A HREF=\"m0000001.htm\" data-key=\"k\">k</A>]</SPAN>";
  const std::string with = with_nav_lines(page, &nav);
  const std::string without = with_nav_lines(page, nullptr);
  // The key script is whatever the program put below the links.
  std::string_view script;
  const std::size_t at = with.find("\r\n<SCRIPT>");
  if (with != page && at != std::string::npos) {
    script = std::string_view(with).substr(at + 2);
    script = script.substr(0, script.find("\r\n"));
  }
  FUZZ_CHECK(with == reference(page, &nav, script));
  FUZZ_CHECK(without == reference(page, nullptr, script));
  FUZZ_CHECK(with_nav_lines(with, &nav) == with);
  FUZZ_CHECK(with == page || with_nav_lines(with, nullptr) == without);
  return 0;
}
