// What the GMime reader and the plain-message reader share: the header
// values they keep, undoing a part's transfer encoding, and cutting its text
// into page lines.
#pragma once

#include <string>
#include <string_view>

#include "core/text_lines.h"
#include "mail/mail_message.h"

// A raw field value unfolded: the line breaks go, the blanks stay, also the
// blank after the colon (archives have always kept it: a sender's text in
// the menu is the text after the colon, and the ranking counts texts);
// blanks at its end go.
std::string Unfold(std::string_view raw);

// Keeps the field in h when it is one a work_list line needs (From, Subject,
// Date, Message-ID, In-Reply-To, References; the name in any letter case)
// and the first copy of it; raw is its value as written.
void Take_Field(std::string_view name, std::string_view raw, MailHeader& h);

enum class BodyEncoding { Plain, Base64, QuotedPrintable, Uuencode };

// The decoded bytes of a part's body as written (after any mbox unquoting).
// Quoted-printable lines first lose the blanks a transport added at their
// ends, so that "=" followed by blanks still breaks softly.
std::string Decode_Body(std::string raw, BodyEncoding encoding);

// Adds a block of text to a page: its lines, after an empty line when text
// came before (has_text tells, and is set). One line end at its end ends the
// last line; it adds no empty line.
void Add_Text_Block(TextLines& text, std::string_view sjis, bool& has_text);
