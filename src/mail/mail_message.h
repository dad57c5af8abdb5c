// One message as the mail reader hands it on: the header fields a work_list
// line and a page need, the text a page shows and the files it carries.
#pragma once

#include <string>
#include <vector>

#include "core/text_lines.h"

// A part's transfer encoding.
enum class BodyEncoding { Plain, Base64, QuotedPrintable, Uuencode };

// A file carried by a message. name is Shift_JIS as the message names it
// (empty when it names none); type is the lower-case media type. data may
// still be in its transfer encoding, which decoded_data undoes: a reader
// leaves that to whoever saves the file, off the reading thread.
struct MailAttachment {
  std::string name;
  std::string type;
  std::string data;
  BodyEncoding encoding = BodyEncoding::Plain;
};

// The file's bytes.
std::string decoded_data(const MailAttachment& file);

// The raw values of the header fields (unfolded: only the line breaks are
// removed, blanks kept; not decoded). Of a field written twice the first
// copy counts; has_* tells whether the message has the field at all.
struct MailHeader {
  std::string from, subject, date, message_id, in_reply_to, references;
  bool has_from = false, has_subject = false, has_date = false, has_message_id = false;
  // The charset the message's first text part (text/*, in reading order)
  // names, as written; empty when it names none. Raw 8-bit text in From and
  // Subject is read in it (raw_text_charset).
  std::string text_charset;
};

struct MailMessage {
  MailHeader header;
  // The page text in Shift_JIS, one entry per line, in reading order.
  TextLines text;
  std::vector<MailAttachment> attachments;
};
