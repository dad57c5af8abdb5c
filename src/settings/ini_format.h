// The layout of "vorn_htm.ini" shared by its readers and writers: how a line
// is recognised, and the lines both writers emit. The keys, their lines and
// their defaults are the rows of settings/settings_table.h.
//
// Line grammar (Shift_JIS, one item per line):
//   key line   = KEY "=" value   KEY: exactly seven characters, compared
//                                case-sensitively with the keys of the table
//   anything else (the section line, "#" comments, blank lines, unknown keys,
//   a key preceded by blanks or written in lower case) is ignored.
// The eighth character is never examined, so "S_TITLE:1" sets S_TITLE too;
// the value is everything from the ninth character to the end of the line,
// untrimmed. Characters are Shift_JIS characters: a double-byte eighth
// character moves the value one byte further.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_table.h"

// "vorn_htm.ini" in the program folder.
std::string ini_path(const std::string& App_Dir);

// The row of the key a line sets, or nullptr for a line every reader skips.
const SettingRow* ini_key_of(std::string_view line);
// The value of a key line: the line from its ninth character on.
std::string_view ini_value(std::string_view line);

// The whole file: the section line "[vorn_htm]", then for every row its
// version line (when it has one), its comment line and its key line, each
// ended by CR LF. values hold the text after "=" for every row, in the order
// of setting_rows() (switches "1"/"0", colours with their "#"). saved picks
// the settings screen's wording of the comment lines (they differ for one
// key); otherwise the new-file wording is used. Line breaks inside a value
// would start lines of their own in the file, so CR and LF are left out of
// values.
std::string ini_file_text(const std::vector<std::string>& values, bool saved);
