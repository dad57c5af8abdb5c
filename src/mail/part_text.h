// What the GMime reader and the plain-message reader share: undoing a
// part's transfer encoding, and cutting its text into page lines.
#pragma once

#include <string>
#include <string_view>

#include "core/text_lines.h"

enum class BodyEncoding { Plain, Base64, QuotedPrintable, Uuencode };

// The decoded bytes of a part's body as written (after any mbox unquoting).
// Quoted-printable lines first lose the blanks a transport added at their
// ends, so that "=" followed by blanks still breaks softly.
std::string Decode_Body(std::string raw, BodyEncoding encoding);

// Adds a block of text to a page: its lines, after an empty line when text
// came before (has_text tells, and is set). One line end at its end ends the
// last line; it adds no empty line.
void Add_Text_Block(TextLines& text, std::string_view sjis, bool& has_text);
