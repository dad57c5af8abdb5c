// What the GMime reader and the plain-message reader share: the header
// values they keep, undoing a part's transfer encoding, and cutting its text
// into page lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/text_lines.h"
#include "mail/mail_message.h"

// A raw field value unfolded: the line breaks go, the blanks stay, also the
// blank after the colon (archives have always kept it: a sender's text in
// the menu is the text after the colon, and the ranking counts texts); a
// TAB that leads a folded line becomes a space (the values keep no TAB, and
// "demonstration<CR LF><TAB>1234" shows as two words, as mail readers show
// it); blanks at its end go.
std::string Unfold(std::string_view raw);

// Keeps the field in h when it is one a work_list line needs (From, Subject,
// Date, Message-ID, In-Reply-To, References; the name in any letter case)
// and the first copy of it; raw is its value as written.
void take_field(std::string_view name, std::string_view raw, MailHeader& h);

// The decoded bytes of a part's body as written (after any mbox unquoting);
// without a transfer encoding, the bytes as they stand.
// Quoted-printable lines first lose the blanks a transport added at their
// ends, so that "=" followed by blanks still breaks softly.
std::string decode_body(std::string_view body, BodyEncoding encoding);

// Adds a block of text to a page: its lines, after an empty line when text
// came before (has_text tells, and is set). One line end at its end ends the
// last line; it adds no empty line.
void add_text_block(TextLines& text, std::string_view sjis, bool& has_text);
// Ends a page text made by add_text_block: a text that is one empty line
// (no text, or a body of one line end) is none, so that a message without
// body lines gets a page without any.
void end_text(TextLines& text);

// The value of the parameter `name` ("filename", "name") as written in a
// raw field value, without its quotes; nothing for an RFC 2231 form
// ("name*="), which GMime reads. Grammar: ";" blanks name blanks "=" blanks
// (quoted string | token up to ";"); the name in any letter case.
std::optional<std::string> raw_parameter(const std::string& field, std::string_view name);

// The file name a part gives itself, in Shift_JIS, from the name it was
// given in UTF-8 (given, not empty) and its raw Content-Disposition and
// Content-Type values: a name written as encoded words, also inside quotes
// and split over folded lines as Japanese mailers write them, is decoded
// from the field as written. A name written raw in 8-bit bytes that are
// neither UTF-8 nor Shift_JIS is read in the charset raw_text_charset finds
// with fallback (the part's charset, else the message's text charset) when
// it is valid in that; otherwise each of its 8-bit bytes, which no charset
// explains, becomes "_".
std::string part_file_name(std::string_view given, const std::string& disposition, const std::string& type,
                           std::string_view fallback = {});

// The name of the number-th file without a name of a message: "attach",
// the number and the extension of its media type (lower case): from the
// program's own list, else from the system's table of media types
// (/etc/mime.types), else ".bin".
std::string unnamed_file(int number, const std::string& type);
