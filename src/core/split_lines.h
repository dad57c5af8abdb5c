// Text split into lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits text into lines. A line ends at CR LF, at a lone CR or at a lone LF;
// the terminator is not part of the line, and a final terminator does not
// start another line.
std::vector<std::string> split_lines(std::string_view text);
// The same lines as views into data; all_crlf, when given, tells whether
// every line ends in CR LF (so a run of them can be copied as it stands).
std::vector<std::string_view> split_line_views(std::string_view data, bool* all_crlf = nullptr);
