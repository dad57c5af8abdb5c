// The other common shape of mail: one multipart/mixed level holding a text
// part and the files sent with it, as most mailers send an attachment. It
// is read here for the reason plain messages are (mail/plain_message.h) and
// to the same rule: exactly as the GMime reader reads it, and anything this
// reader is not sure of is left to GMime.
//
// Accepted, and nothing else:
//   message   = header-block body                 (mail/header_block.h)
//   body      = preamble 1*(delimiter part) close epilogue
//   delimiter = "--" boundary line-end             (nothing after it)
//   close     = "--" boundary "--" [line-end]
//   part      = header-block content
// where the message's Content-Type is multipart/mixed with a boundary, it
// has no Content-Disposition and no Content-Transfer-Encoding but 7bit,
// 8bit or binary; a part has at most one Content-Type (neither multipart
// nor message), Content-Disposition and Content-Transfer-Encoding (7bit,
// 8bit, binary, base64, quoted-printable); no other line of the body starts
// with "--" boundary; no NUL anywhere. Their values are read by the strict
// grammar
//   value  = token ["/" token] *(";" [param])    blanks around every item
//   param  = token "=" (token / quoted)
//   quoted = DQUOTE *(printable ASCII or blank, but DQUOTE and "\") DQUOTE
// with no 8-bit byte, no comment, no RFC 2231 form, a parameter at most
// once and encoded words ("=?") only in a quoted file name. A part's
// content ends before the line end that precedes the next delimiter, which
// is LF or CR LF as the message's first line ends.
#pragma once

#include <optional>
#include <string_view>

#include "mail/mail_message.h"

// The message, or nothing when it is not one this reader takes.
std::optional<MailMessage> read_mixed_message(std::string_view raw);

// The tree reader: to the same rule, also a multipart of any subtype but
// digest (alternative, related, ...), multiparts nested in one another (each
// to the grammar above, up to eight levels), a message that is one text part
// (text/plain or text/html, in any transfer encoding, without name or
// disposition) and file names given in RFC 2231 form: "name*=" or
// "name*0*=" ... "name*N*=", the sections in order, the first
// "UTF-8''" (or US-ASCII, with a language or none) and percent-encoded
// bytes that decode to valid UTF-8 without control characters or encoded
// words. message/* parts are left to GMime.
std::optional<MailMessage> read_mime_tree(std::string_view raw);
