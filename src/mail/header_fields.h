// Header lines and the collectors that turn a message's header fields into
// the values of its work_list line.
//
// All text is Shift_JIS. Collectors that may take continuation lines get the
// walk's line store and index and advance the index past what they consume.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "mail/message_values.h"
#include "run/line_lists.h"
#include "run/line_store.h"

// True when the line starts a known header field ("X-...:" or one of the
// listed names, at the very start of the line).
bool Header_Check(const std::string& line);
// True when the line ends a header block: blank after trimming spaces, or, in
// an input file whose path ends in "txt", the line "--------".
bool Check_Honbun(const std::string& path, const std::string& line);
// True when next continues the current header field: it is no header line,
// does not open another field ("Cc: ...") and does not end the header block;
// a line with an encoded word continues unless it opens a field.
bool Check_NextSubj(const std::string& next, const std::string& path);

// "from:" and "subject:" lines, with their continuation lines.
void Get_From(const LineStore& lines, std::size_t& i, const std::string& path, MessageValues& m);
void Get_Subject(const LineStore& lines, std::size_t& i, const std::string& path, MessageValues& m);
// "date:" line: stored as "yyyy-mm-dd hh:mm:ss" in Japan time when readable,
// else as its text (never an error).
void Get_Date(const std::string& line, MessageValues& m);
// "message-id:" line, with the duplicate check against work_list: a message
// whose id is already listed takes over that entry's page.
void Get_MessageID(const std::string& line, WorkList& work_list, MessageValues& m);
// "in-reply-to:" and "references:" lines (told apart by the line's start);
// In-Reply-To wins over References in either order.
void Get_Parent(const LineStore& lines, std::size_t& i, MessageValues& m);

// The seven fields of a work_list line. sender has its double quotes removed;
// page is the last 12 characters of the page field.
struct WorkFields {
  std::string date, subject, sender, message_id, parent_id, page, origin;
};
// Throws VbError(9) for a line of fewer than seven fields.
WorkFields Split_Work_Line(const std::string& line);
// The seven fields as they stand in the line (the sender keeps its double
// quotes, the page field is whole), for passes that only look at them.
// Throws like Split_Work_Line.
struct WorkFieldViews {
  std::string_view date, subject, sender, message_id, parent_id, page, origin;
};
WorkFieldViews Split_Work_Views(std::string_view line);
// The last two fields, page (whole) and origin, found from the end of the
// line without going over the others: for passes over the whole list that
// need nothing else. The same as Split_Work_Views for the lines this program
// writes, which have exactly seven fields. Throws VbError(9) for a line of
// fewer than three.
struct WorkTail {
  std::string_view page, origin;
};
WorkTail Split_Work_Tail(std::string_view line);

// Menu subject clean-up by the settings SBJ_KAK and SBJ_RES (off: "re:"
// prefixes, or "[...]" parts, are removed); subj comes back with its leading
// spaces removed.
std::string Del_Subj_Opt(std::string& subj, bool SBJ_KAK, bool SBJ_RES);
