// Header lines and the collectors that turn a message's header fields into
// the values of its record (core/message_record.h).
//
// All text is Shift_JIS once decoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/line_lists.h"
#include "mail/message_sink.h"
#include "mail/message_values.h"

// True when the line starts a known header field ("X-...:" or one of the
// listed names, at the very start of the line).
bool Header_Check(std::string_view line);
// True when the line ends a header block of the dot format: an empty line,
// or, in an input file whose path ends in "txt", the line "--------". A line
// of blanks only is no separator: it continues a folded field.
bool Check_Honbun(const std::string& path, std::string_view line);

// The collectors of the values of a work_list line. Each takes the raw value
// of its field, unfolded (mime_reader.h), of the field's first copy.
// From and Subject are decoded (Decode_Header, raw 8-bit text read by
// text_charset, MailHeader's); every TAB, CR and LF goes.
void get_from(std::string_view value, MessageValues& m, std::string_view text_charset = {});
void get_subject(std::string_view value, MessageValues& m, std::string_view text_charset = {});
// Date: stored as "yyyy-mm-dd hh:mm:ss" in Japan time when readable, else as
// its text (never an error).
void get_date(std::string_view value, MessageValues& m);
// Message-ID, with the duplicate check: a message whose id is already listed
// in work_list, or else held by a message of an earlier run that earlier
// (when given) takes out, takes over that entry's page.
// The Message-ID a Message-ID header value gives, as the archive keeps it.
std::string message_id_of(std::string_view value);
void get_message_id(std::string_view value, WorkList& work_list, MessageValues& m, MessageSink* earlier = nullptr);
// The duplicate check alone, for the id already in m.message_id.
void take_listed(WorkList& work_list, MessageValues& m, MessageSink* earlier);
// The parent id: from In-Reply-To when it names one, else the last id of
// References.
void get_parent(std::string_view in_reply_to, std::string_view references, MessageValues& m);

// Menu subject clean-up by the settings SBJ_KAK and SBJ_RES (off: "re:"
// prefixes, or "[...]" parts, are removed); subj comes back with its leading
// spaces removed.
std::string Del_Subj_Opt(std::string& subj, bool SBJ_KAK, bool SBJ_RES);
