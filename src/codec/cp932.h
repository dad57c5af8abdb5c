// Conversion between the archive's Shift_JIS (code page 932) and UTF-8, the
// encoding of file names and of every text shown to the user.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cp932 {

// UTF-8 to code page 932. Characters without a code page 932 form become "?".
std::string from_utf8(std::string_view utf8);
// UTF-8 to code page 932, or nothing when a character has no code page 932 form.
std::optional<std::string> from_utf8_exact(std::string_view utf8);
// Code page 932 to UTF-8. Bytes that form no character become U+FFFD.
std::string to_utf8(std::string_view sjis);
// True when every character of s is a valid code page 932 character that
// converts to UTF-8 and back unchanged.
bool round_trips(std::string_view sjis);

}  // namespace cp932
