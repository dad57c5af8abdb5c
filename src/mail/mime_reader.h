// Reading messages: the MIME structure of each, its text in Shift_JIS and the
// files it carries.
//
// Mail is read loosely, as broken mailers of twenty years wrote it: every
// rule below accepts more than the standards allow, and nothing a message
// holds makes reading fail. Which part is text and which a file:
//   - a text/plain part without a file name and not marked as an attachment
//     is text; several are shown one after the other with an empty line
//     between them;
//   - multipart/alternative shows its plain alternative (failing that, its
//     HTML one, rendered as text); the other alternatives give only the files
//     they carry;
//   - multipart/related shows its first part; the others are files;
//   - an inline text/html part is rendered as text where it stands in a
//     multipart without a text/plain part of its own (an HTML-only message);
//     otherwise it is a file;
//   - a message/rfc822 part shows its From, Date and Subject lines, an empty
//     line and its own text, and carries its files on;
//   - every other part is a file; a file without a name is called "attach"
//     with its number in the message and the extension of its type.
// A "begin NNN name" ... "end" block in plain text is a file too.
#pragma once

#include <string>
#include <string_view>

#include "mail/mail_message.h"

// One message from its bytes: a header block, an empty line, the body. A
// header block (also a part's) without the empty line ends at its first line
// that is no field and no continuation, which starts the body
// (mail/header_block.h). The plainest messages (mail/plain_message.h,
// mail/mixed_message.h) are read without GMime.
MailMessage read_message(std::string_view raw);
// The same, always through GMime (what the plain reader must agree with).
MailMessage read_message_with_gmime(std::string_view raw);
