// Text functions shared by the archive writers, and the fixed texts of the
// program converted once to Shift_JIS.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The subject reduced for comparison: leading spaces, everything up to the
// last "]", and leading "re:" prefixes removed. Changes subj to the result too.
std::string Trim_Subj(std::string& subj);

// "<", ">" and "&" become "&lt;", "&gt;" and "&amp;", so that a text shows as
// written; a numeric reference ("&#248;", a character code page 932 lacks,
// as the readers of mail write it) is kept. Nothing else changes.
std::string Html_Esc(std::string_view text);
// The same, appended to out.
void html_esc_to(std::string& out, std::string_view text);

// Every e-mail address of text in a form address harvesters do not match:
// its "@" becomes the full-width "＠" (Shift_JIS 81 97), as in
// "taro＠example.jp". An address is an "@" standing as a character of its own
// (never the second byte of a double-byte character such as 院 "\x89\x40"),
// with a character of a local part (ASCII letter, digit or one of
// "!#$%&'*+-/=?^_`{|}~.") right before it and a letter or digit right after
// it. Text that holds no such "@" comes back unchanged, and so does text
// already hidden.
std::string hide_addresses(std::string_view text);
void hide_addresses_to(std::string& out, std::string_view text);
// Whether hide_addresses would change text.
bool holds_address(std::string_view text);

// "(" num "／" total ")" in UTF-8, for the progress labels.
std::string progress_text(std::int64_t num, std::int64_t total);

// A UTF-8 literal of the program's own (a caption, a mark) in Shift_JIS.
std::string sj(std::string_view utf8);

// Page file name for a page number: "m" + 7 digits + ".htm". A number
// outside 0 .. kLastPage has no such name: VbError 6 (overflow).
std::string page_name(std::int64_t number);

// The highest page number a name of seven digits can hold.
inline constexpr std::int64_t kLastPage = 9999999;

// Raises Mail_No, the highest page number used, for a new page and gives the
// new number. When the numbers are used up it throws VbError 6 naming the
// output folder instead and leaves Mail_No as it was, so that no page is
// written under a number that would wrap over the first pages.
std::int64_t next_page_number(std::int64_t& Mail_No, std::string_view folder);
