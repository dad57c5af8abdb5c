// HTML mail as text, for a page that shows text only.
#pragma once

#include <string>
#include <string_view>

// The text an HTML part (Shift_JIS) shows, as lines ended by LF.
//
// Tags are removed; <br> ends a line, block elements (p, div, h1-h6, li, tr,
// table, blockquote, pre, hr, ...) stand on lines of their own, paragraphs
// and headings with an empty line between them; script, style, head and
// comments are dropped; outside <pre> runs of blanks and line ends become one
// blank. Entities are decoded: the named ones of everyday mail (&nbsp; as a
// blank) and numeric ones; a character code page 932 lacks becomes a numeric
// reference, and a decoded "&" is written "&#38;", so that the page shows
// both as the mail did. Loose: unclosed tags and comments end at the end of
// the text, "<" not followed by a tag name is text, an unknown entity stays
// as written.
std::string html_to_text(std::string_view sjis);
