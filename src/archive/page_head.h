// The head of the archive's pages and the tags that carry the look chosen in
// the settings. Every page is written with them, and restyling finds and
// replaces the same tags in the pages of earlier runs, so they are spelled
// here only.
#pragma once

#include <string>
#include <string_view>

struct Settings;

// How the title stands in the head: "<TITLE>" text "</TITLE>" on one line,
// or "</TITLE>" on a line of its own (as message pages and the menu have it).
enum class TitleEnd { SameLine, NextLine };

// Appends the head of a page to out, each line ended by CR LF: <HTML>,
// <HEAD>, the character set line, the lines for phones (when body is given
// with NAV_LNK on), the title (text escaped), the extra lines (each ended by
// CR LF already), </HEAD>, and, when body is given, the BODY line in its
// colours. The frameset of index.html has no body.
void put_page_head(std::string& out, std::string_view title, TitleEnd end, const Settings* body,
                   std::string_view extra = {});
std::string page_head(std::string_view title, TitleEnd end, const Settings* body, std::string_view extra = {});

// The lines a page's head gets for phones with NAV_LNK on, right after the
// character set line: the viewport line, and the style that wraps long lines
// of preformatted text at the screen's edge (line breaks stay). Restyling
// recognises them by their whole text.
inline constexpr std::string_view kViewportLine =
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">";
inline constexpr std::string_view kWrapStyleLine =
    "<STYLE>PRE{white-space:pre-wrap;overflow-wrap:anywhere;word-wrap:break-word}</STYLE>";

// The BODY tag in the page colours of set (put_: appended to out).
std::string body_tag(const Settings& set);
void put_body_tag(std::string& out, const Settings& set);
// The tag that sets the font size of a page's text.
std::string font_size_tag(const Settings& set);
// The opening tag of a run of quoted lines (put_: appended to out).
std::string quote_colour_tag(const Settings& set);
void put_quote_colour_tag(std::string& out, const Settings& set);
