// ISO-2022-JP to Shift_JIS, one line at a time.
#pragma once

#include <string>
#include <string_view>

// Converts one line (no line terminator) of ISO-2022-JP text to Shift_JIS.
//
// Accepted escape sequences (ESC = 0x1B):
//   ESC $ B, ESC $ @        JIS X 0208 pairs follow
//   ESC & @ ESC $ B         the same, with the revision prefix
//   ESC $ ( D               JIS X 0212 pairs follow; Shift_JIS has no room for
//                           them, so each pair becomes the geta mark 0x81 0xAC
//   ESC ( B, ESC ( J        single-byte text follows
//   ESC ( I                 7-bit half-width katakana follows: 0x21-0x5F become
//                           the Shift_JIS bytes 0xA1-0xDF, other bytes pass as is
// Malformed input that is tolerated:
//   - any other ESC with at least two bytes after it is dropped and the bytes
//     after it are taken as text;
//   - an ESC with fewer than two bytes after it is an ordinary byte;
//   - ESC $ ( and ESC & @ (with or without part of its ESC $ B) cut off by the
//     end of the line are copied unchanged, as they stand;
//   - a line that ends inside a pair drops its lone last byte;
//   - a JIS X 0208 pair whose Shift_JIS bytes fall outside 0-255 is dropped.
// Text without ESC bytes comes back unchanged, so Shift_JIS input is safe too.
// State: the current character set, which starts as single-byte text on every
// call; nothing is kept between calls.
std::string Jis_To_Sjis(std::string_view line);
// The same into out (cleared first), reusing its storage.
void jis_to_sjis_to(std::string_view line, std::string& out);

// The common line in one pass: converts a line that uses only ESC $ B,
// ESC $ @, ESC ( B and ESC ( J, holds only pairs of 0x21-0x7E in the
// two-byte set and only bytes below 0x80 but "&" in the one-byte sets, and
// appends it to out with every pair code page 932 lacks written as the geta
// mark 0x81 0xAC (a lone last byte of a pair is dropped). That is what
// jis_to_sjis_to and then the check of every pair give such a line. Any other
// line leaves out as it was and gives false.
bool append_plain_jis_line(std::string_view line, std::string& out);
