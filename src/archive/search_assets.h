// The search page and its script, as the archive gets them.
#pragma once

#include <string_view>

// search.html, Shift_JIS.
std::string_view search_page_sjis();
// srch/find.js, ASCII JavaScript.
std::string_view search_script();
