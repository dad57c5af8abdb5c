#include "archive/search_assets.h"

#include <cstddef>
#include <stdexcept>

#include "archive/page_head.h"
#include "codec/cp932.h"
#include "codec/sjis_text.h"

// The files' bytes, from the source generated at build time by
// cmake/embed_files.cmake.
extern const char embedded_search_html[];
extern const std::size_t embedded_search_html_size;
extern const char embedded_find_js[];
extern const std::size_t embedded_find_js_size;

namespace {

// The UTF-8 source in code page 932, each LF (with or without a CR before
// it) made CR LF. Every character of the page has a code page 932 form; one
// without is an error in the page's source.
std::string convert_page() {
  const std::string_view utf8(embedded_search_html, embedded_search_html_size);
  std::string lines;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') continue;
    if (utf8[i] == '\n') lines.push_back('\r');
    lines.push_back(utf8[i]);
  }
  const auto sjis = cp932::from_utf8_exact(lines);
  if (!sjis) throw std::logic_error("search.html holds a character without a Shift_JIS form");
  return *sjis;
}

// Replaces the line of page that starts with start (after a CR LF) by line.
void replace_line(std::string& page, std::string_view start, const std::string& line) {
  const std::string from = "\r\n" + std::string(start);
  const std::size_t at = sjis::find(page, from);
  if (at == std::string::npos) throw std::logic_error("search.html lacks " + std::string(start));
  const std::size_t end = sjis::find(page, "\r\n", at + 2);
  page.replace(at + 2, end - (at + 2), line);
}

}  // namespace

std::string_view search_page_sjis() {
  static const std::string page = convert_page();
  return page;
}

std::string search_page(const Settings& set) {
  std::string page(search_page_sjis());
  replace_line(page, "<BODY ", body_tag(set));
  replace_line(page, "<FONT SIZE=", font_size_tag(set));
  return page;
}

std::string_view search_script() { return {embedded_find_js, embedded_find_js_size}; }
