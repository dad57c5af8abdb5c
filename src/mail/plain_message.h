// Most mail is one text part: a header block, an empty line and the text.
// Handing such a message to GMime costs more than all the rest of its page
// (building and freeing GMime's objects), so the plainest of them are read
// here and must come out exactly as GMime reads them; anything this reader
// is not sure of it leaves to GMime.
//
// Accepted, and nothing else: a header block as mail/header_block.h reads
// it, with at most one Content-Type, which is text/plain with no parameter
// but charset (token or quoted, no comments, no RFC 2231 form, no 8-bit
// byte) and others that name no file; at most one Content-Transfer-Encoding
// among 7bit, 8bit, binary, base64 and quoted-printable; no
// Content-Disposition.
#pragma once

#include <optional>
#include <string_view>

#include "mail/mail_message.h"

// The message, or nothing when it is not one this reader takes.
std::optional<MailMessage> read_plain_message(std::string_view raw);
