// PLACEHOLDER until the search page lands: a page that says the search is
// not there yet, and an empty script. The real page and script replace this
// file; nothing else refers to its contents.
#include "archive/search_assets.h"

#include <string>

#include "codec/cp932.h"

std::string_view search_page_sjis() {
  static const std::string page = cp932::from_utf8(
      "<HTML>\r\n<HEAD>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\r\n"
      "<TITLE>検索</TITLE>\r\n</HEAD>\r\n<BODY>\r\n<P>検索ページ (準備中)</P>\r\n"
      "<SCRIPT src=\"srch/find.js\"></SCRIPT>\r\n</BODY>\r\n</HTML>\r\n");
  return page;
}

std::string_view search_script() { return "// search page script (placeholder)\n"; }
