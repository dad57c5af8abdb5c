// Text functions shared by the archive writers, and the fixed texts of the
// program converted once to Shift_JIS.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The subject reduced for comparison: leading spaces, everything up to the
// last "]", and leading "re:" prefixes removed. Changes subj to the result too.
std::string Trim_Subj(std::string& subj);

// "<" and ">" become "&lt;" and "&gt;"; nothing else changes ("&" stays).
std::string Html_Esc(std::string_view text);
// The same, appended to out.
void Html_Esc_To(std::string& out, std::string_view text);

// "(" num "／" total ")" in UTF-8, for the progress labels.
std::string Progress_Text(std::int64_t num, std::int64_t total);

// A UTF-8 literal of the program's own (a caption, a mark) in Shift_JIS.
std::string sj(std::string_view utf8);

// Page file name for a page number: "m" + 7 digits + ".htm".
std::string Page_Name(std::int64_t number);
