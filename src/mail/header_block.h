// The header blocks our own quick readers take (mail/plain_message.h,
// mail/mixed_message.h), read exactly as the GMime reader reads them.
//
// Accepted, and nothing else:
//   header  = 1*field empty-line      (line ends LF or CR LF)
//   field   = name ":" value *(("SP" / "TAB") continuation)
//   name    = 1*998(printable ASCII but ":"), not starting an encoded word
// with no NUL anywhere in the block. Anything else (a line without a colon,
// a first line folded, no empty line) is left to GMime.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "mail/part_text.h"

// Where a header block ends, as mail readers (Python's email package) take
// it: the block is fields and their continuation lines, and it ends at an
// empty line, which is no line of the body, or at the first line that is
// neither, which is the first line of the body. So a line of blanks and TABs
// continues the field before it, and the line after it ends the block when
// it is no field and no continuation ("--------" of an old mailer's memo, a
// boundary line, the body's first line); no line is lost. GMime instead
// passes such lines by and reads fields on up to an empty line.
//
// A line, without its line end (LF or CR LF):
//   empty                          End
//   SP or TAB, anything            Continuation (blanks only, too)
//   "=?" charset "?" B/Q "?" ...   BareContinuation: an encoded word that old
//                                  Japanese mailers folded without the blank
//                                  (the field goes on, as it always did here)
//   "From " anything               Field (a misplaced envelope line: passed by)
//   name *(SP / TAB) ":" anything  Field, where name holds no SP, TAB or ":"
//                                  (it may be empty or hold 8-bit bytes:
//                                  GMime keeps such a field, Python too or
//                                  drops it; neither shows it)
//   anything else                  Other: the block has ended before it
enum class HeaderLine { End, Continuation, BareContinuation, Field, Other };
HeaderLine header_line_kind(std::string_view line);

struct BlockField {
  std::string_view name;
  std::string_view raw;  // the value as written, line breaks and all (Unfold reads it)
};

// The fields of the block at the start of raw and the offset of what
// follows its empty line; false when the block is not one of those above.
bool read_header_block(std::string_view raw, std::vector<BlockField>& fields, std::size_t& body);

bool same_field(std::string_view a, std::string_view b);

// s without blanks around it, in lower case.
std::string lower_trimmed(std::string_view s);

// A Content-Transfer-Encoding value GMime reads as we do: 7bit, 8bit,
// binary, base64 or quoted-printable, in any letter case.
bool known_encoding(std::string_view value, BodyEncoding& encoding);
