// A Unix mbox file into its messages.
//
// Grammar: a message starts after a line that begins "From " (the
// separator line, which is no line of the message) and runs up to the next
// such line or to the end of the file. Anything before the first separator
// belongs to no message. The separator is looked for at the start of every
// line, inside a header block or a MIME part too, and Content-Length is not
// trusted. The empty line an mbox writer puts after each message (before the
// next separator, or at the end of the file) is no line of the message; a
// message that does not end in an empty line keeps all of its lines. Lines
// of ">"s followed by "From " lose one ">", as mboxrd writes them. A file
// whose first 64 KB hold lone CRs and no LF is a file of old Macintosh line
// ends, and its CRs are taken as LFs.
//
// Each message is then read by read_message (mime_reader.h), exactly as a
// message of the dot format or a Maildir file is, so that the same message
// gives the same reading whatever mailbox holds it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "mail/mail_message.h"

// Every message of the mbox file at path, in file order; each gets the
// message and the bytes of the file read so far. Throws VbError when the
// file cannot be read.
void read_mbox(const std::string& path, const std::function<void(MailMessage&, std::int64_t)>& each);
