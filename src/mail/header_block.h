// The header blocks our own quick readers take (mail/plain_message.h,
// mail/mixed_message.h), read exactly as the GMime reader reads them.
//
// Accepted, and nothing else:
//   header  = 1*field empty-line      (line ends LF or CR LF)
//   field   = name ":" value *(("SP" / "TAB") continuation)
//   name    = 1*(printable ASCII but ":")
// with no NUL anywhere in the block. Anything else (a line without a colon,
// a first line folded, no empty line) is left to GMime.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "mail/part_text.h"

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
