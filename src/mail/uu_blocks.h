// Uuencoded files inside plain text, as old mailers sent them.
#pragma once

#include <string>
#include <vector>

struct UuFile {
  std::string name;  // as the "begin" line gives it (Shift_JIS)
  std::string data;
};

// Takes the uuencoded blocks out of a text (Shift_JIS as to_sjis writes it,
// lines ended by LF or CR LF) and returns their files in order; their lines
// leave the text. to_sjis writes a "&" that stands before "#" as "&#38;"
// (charsets.h); in a data line that is read back as the "&" it was.
//
// Grammar: "begin" SP mode SP name, mode being 3 or 4 octal digits; then data
// lines, each a length character (" " to "`", the byte count plus 32, "`"
// meaning 0) and the groups of four characters that hold the bytes; a line
// of count 0; "end". Tolerated: a missing count-0 line or "end" line (the
// block ends at the first line that is no data line, which stays text);
// blanks after "end"; data lines that lost their trailing blanks (a line
// yields only the bytes its characters hold, never made-up zero bytes) or
// carry a checksum character and blanks or TABs after their data, which
// are ignored.
// A "begin" line followed by no data line and no "end" is text.
std::vector<UuFile> take_uu_blocks(std::string& text);

// The bytes of a part sent with the transfer encoding x-uuencode: its block,
// or, without a "begin" line, all its lines read as data lines.
std::string uu_decode_part(const std::string& raw);
