// The archive's search page and its script, kept as the files
// src/archive/search_assets/search.html and find.js and built into the
// program. The page is written into the archive as search.html, the script
// as srch/find.js; the script reads the index that the run writes into srch/.
#pragma once

#include <string>
#include <string_view>

struct Settings;

// search.html in Shift_JIS with CR LF line ends, in the default colours.
// Converted once, at the first call.
std::string_view search_page_sjis();

// search.html with the BODY line and the font size in the colours and size
// of set, as the archive's other pages have them.
std::string search_page(const Settings& set);

// srch/find.js, ASCII, as it stands in the source.
std::string_view search_script();
