// The mailbox walk.
//
// Input: a text file of lines (CR LF, lone CR or lone LF end a line), each
// converted to Shift_JIS on reading. Messages are found by a three-state
// machine over the line store ws.lstData:
//
//   Header  -- a blank line (or "--------" in a .txt file) -------> Body
//   Body    -- a line "." (spaces trimmed) -----------------------> Between
//   Between -- a known header line: the message before is done --> Header
//
// The file starts in Header. A header line met in Header does not start a new
// message; in Body it is body text; lines in Between belong to no message.
// A file without "." lines is therefore one message whose body runs to the end.
//
// Each message's page is written when the next message's body starts, or at
// the end of the file; its work_list line is added when the next message
// starts, or at the end of the file. Every message that gets a work_list line
// also gets its page, written with its own subject, date, sender and
// attachments, even when it has no body lines or the file ends inside its
// header block.
//
// Malformed input is tolerated: lines of any length and content (NUL bytes,
// binary data), any number of lines, attachment parts that never end. What
// cannot be handled ends in the single error report of File_Syori.
#include "mail/mailbox.h"

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "codec/jis.h"
#include "codec/sjis_text.h"
#include "codec/transfer_codings.h"
#include "mail/attachments.h"
#include "mail/header_fields.h"
#include "mail/message_values.h"
#include "run/common_text.h"
#include "run/file_ops.h"
#include "run/workspace.h"

namespace {

// Hands a message's page to the sink the run supplied.
void Put_Page(Workspace& ws, const std::string& page_path, const std::string& subject, const std::string& date,
              const std::string& sender, const AttachList& attachments) {
  if (!ws.Page_Sink) throw VbError(5, "no page writer supplied for the mailbox walk");
  ws.Page_Sink(ws, page_path, subject, date, sender, attachments);
}

// A work_list field never holds the line's separator or a line break (none
// of them is ever the second byte of a double-byte character).
void Put_Field(std::string& out, std::string_view s) {
  if (s.find_first_of("\t\r\n") == std::string_view::npos) {
    out.append(s);
    return;
  }
  for (char c : s)
    if (c != '\t' && c != '\r' && c != '\n') out += c;
}

std::string Work_Line(const MessageValues& m, const std::string& page) {
  std::string line;
  line.reserve(m.date.size() + m.subject.size() + m.from.size() + m.message_id.size() + m.parent_id.size() +
               page.size() + 8);
  for (const std::string* field : {&m.date, &m.subject, &m.from, &m.message_id, &m.parent_id, &page}) {
    Put_Field(line, *field);
    line += '\t';
  }
  line += '0';
  return line;
}

// The boundary parameter of a multipart Content-Type field: on the line
// itself or on one of its folded continuation lines (starting with a space or
// TAB). A quoted value runs to its closing quote; a bare one to ";" or the end
// of the text. Empty when there is none.
std::string Boundary_Of(const LineStore& lines, std::size_t i) {
  for (std::size_t k = i; lines.has(k); ++k) {
    const std::string& line = lines[k];
    if (k > i && (line.empty() || (line[0] != ' ' && line[0] != '\t'))) break;
    std::size_t p = sjis::find_nocase(line, "boundary=");
    if (p == std::string::npos) continue;
    std::string_view v = sjis::trim(std::string_view(line).substr(p + 9));
    if (!v.empty() && v[0] == '"') {
      v.remove_prefix(1);
      v = v.substr(0, v.find('"'));  // '"' is never a trail byte
    } else {
      v = v.substr(0, v.find(';'));  // nor is ';'
    }
    std::string b;
    for (char c : sjis::trim(v))
      if (c != '"') b += c;
    return b;
  }
  return {};
}

// Part and encoding lines: tested on every line that no header-field
// collector took, in the header and in the body alike.
void Part_Line(const LineStore& lines, std::size_t i, MessageValues& m, std::string& boundary) {
  const std::string& line = lines[i];
  // Every field below starts with "c" (never a lead byte): most lines end here.
  if (line.empty() || (line[0] | 0x20) != 'c') return;
  if (sjis::starts_with_nocase(line, "content-type: application") ||
      sjis::starts_with_nocase(line, "content-type: image") ||
      sjis::starts_with_nocase(line, "content-type: text/html; name=\"")) {
    m.attach_mode = true;
  } else if (sjis::starts_with_nocase(line, "content-type: multipart/mixed")) {
    std::string b = Boundary_Of(lines, i);
    if (!b.empty()) boundary = std::move(b);
  } else if (sjis::starts_with_nocase(line, "content-transfer-encoding:")) {
    std::size_t colon = line.find(':');
    if (sjis::to_lower(sjis::trim(std::string_view(line).substr(colon + 1))) == "quoted-printable")
      m.quoted_printable = true;
  }
}

// Byte length of s without its trailing blanks and its final "=" when the
// last character of s (blanks trimmed) is "=": a quoted-printable soft line
// break. Blanks are spaces and tabs, the padding a transport may add after
// the "=". npos when s does not end in one. "=" is never the second byte of
// a double-byte character, so a last byte "=" is a character of its own and
// only the end of s is looked at: a body of many soft breaks, joined into
// one growing line, is still read in linear time.
std::size_t Soft_Break_Keep(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\t')) --n;
  if (n > 0 && s[n - 1] == '=') return n - 1;
  return std::string_view::npos;
}

bool Is_Field(const std::string& line, std::string_view name) { return sjis::starts_with_nocase(line, name); }

struct PageValues {
  std::string subject, date, from;
};

class Walk {
 public:
  Walk(Workspace& ws, const std::string& folder, const std::string& path)
      : ws_(ws), folder_(folder), path_(path), lines_(ws.lstData) {}

  void run();

 private:
  void walk();
  void count_through();
  void report(std::int64_t bytes);
  void add_entry(const MessageValues& m, const std::string& page);
  void body_line(std::size_t& i);
  std::string new_page(const MessageValues& m);

  Workspace& ws_;
  const std::string& folder_;
  const std::string& path_;
  LineStore& lines_;
  std::int64_t reported_ = -1;  // bytes read as last shown
  std::int64_t reported_messages_ = -1;
  std::int64_t total_ = 0;
  std::int64_t end_bytes_ = 0;  // bytes read when the last line had been walked
};

// The progress is the bytes of the file the line store has taken in, as read
// (before any conversion, line ends included), so it runs from 0 to the
// file's size; the store reads at most a few lines ahead of the walk. It is
// shown every 64 KB and when the walk is through (with the last message
// counted): no caption needs every line.
void Walk::count_through() {
  if (lines_.bytes_read() - reported_ >= (64 << 10)) report(lines_.bytes_read());
}

void Walk::report(std::int64_t bytes) {
  const std::int64_t messages = ws_.Mails_Added + ws_.Mails_Replaced;
  if (bytes == reported_ && messages == reported_messages_) return;
  reported_ = bytes;
  reported_messages_ = messages;
  ws_.ui->read_progress({bytes, total_, messages});
}

// The message's work_list line; counted as added, or as replaced when its
// Message-ID took over an earlier entry.
void Walk::add_entry(const MessageValues& m, const std::string& page) {
  ws_.work_list.add(Work_Line(m, page));
  ++(m.duplicate ? ws_.Mails_Replaced : ws_.Mails_Added);
}

// "m" + 7 digits + ".htm".
bool Is_Page_Name(const std::string& name) {
  if (name.size() != 12 || name[0] != 'm' || name.compare(8, 4, ".htm") != 0) return false;
  for (std::size_t k = 1; k < 8; ++k)
    if (name[k] < '0' || name[k] > '9') return false;
  return true;
}

// The page of a message whose body starts: the page of the entry it replaces,
// or the next page number. A replaced entry read back from an existing
// archive may name anything; only a page file name is taken over, so a page
// is never written outside the output folder.
std::string Walk::new_page(const MessageValues& m) {
  if (m.duplicate && Is_Page_Name(m.reused_page)) return join_path(folder_, m.reused_page);
  return join_path(folder_, Page_Name(Next_Page_Number(ws_.Mail_No, folder_)));
}

// A body line for the page. Quoted-printable text has its soft line breaks
// joined first: the joined lines are consumed here and take no other step.
void Walk::body_line(std::size_t& i) {
  std::string text = lines_[i];
  for (;;) {
    std::size_t keep = Soft_Break_Keep(text);
    if (keep == std::string::npos) break;
    text.resize(keep);
    if (!lines_.has(i + 1)) break;  // a soft break at the end of the file joins nothing
    ++i;
    text += lines_[i];
  }
  ws_.out_buf.push_back(QP_Line(text));
}

void Walk::run() {
  walk();
  if (total_ > 0) report(end_bytes_);
}

void Walk::walk() {
  ws_.out_buf.clear();
  const long long length = file_size(path_);
  if (length == 0) return;
  total_ = static_cast<std::int64_t>(length);

  MessageValues m;
  lines_.open(path_, [scratch = std::string()](std::string& line) mutable {
    // Converted through a second buffer that is swapped in, so both keep
    // their storage for the lines to come.
    Jis_To_Sjis_To(line, scratch);
    line.swap(scratch);
  });
  report(0);

  std::string cur_page;   // page of the message whose body started last
  bool own_page = false;  // cur_page belongs to m (its body has started)
  PageValues pending;     // values of the message whose page is pending
  AttachList cur_attach = Attach_List({""});
  AttachList pending_attach = Attach_List({""});
  std::string boundary;
  AttachCollector collector;

  for (std::size_t i = 0; lines_.has(i); ++i) {
    count_through();
    // The walk never looks back: what lies before line i can go.
    lines_.release_before(i);
    const std::string& line = lines_[i];

    // A known header line in Between: the message before is complete.
    if (!m.header_mode && !m.body_mode && Header_Check(line)) {
      pending = {m.subject, m.date, m.from};
      pending_attach = std::move(cur_attach);
      cur_attach = Attach_List({""});
      add_entry(m, cur_page);
      m = MessageValues{};
      own_page = false;
      // An attachment left unfinished by the message before is dropped, so
      // that no line of this message is decoded into it.
      collector = AttachCollector{};
    }

    // Header fields and the terminator take no further step.
    if (!m.body_mode && Is_Field(line, "from:")) {
      Get_From(lines_, i, path_, m);
      continue;
    }
    if (sjis::trim(line) == ".") {
      m.body_mode = false;
      continue;
    }
    if (!m.body_mode) {
      if (Is_Field(line, "date:")) {
        Get_Date(line, m);
        continue;
      }
      if (Is_Field(line, "subject:")) {
        Get_Subject(lines_, i, path_, m);
        continue;
      }
      if (Is_Field(line, "message-id:")) {
        Get_MessageID(line, ws_.work_list, m);
        continue;
      }
      if (Is_Field(line, "in-reply-to:") || Is_Field(line, "references:")) {
        Get_Parent(lines_, i, m);
        continue;
      }
    }
    Part_Line(lines_, i, m, boundary);

    if (m.body_mode && !m.attach_mode) {
      if (m.quoted_printable)
        body_line(i);
      else
        ws_.out_buf.push_back(line);
    }
    if (m.attach_mode) Collect_Attach(ws_, collector, boundary, lines_, i, folder_, cur_attach);

    if (m.header_mode && !m.body_mode && Check_Honbun(path_, line)) {
      // The page of the message before is complete now.
      if (!cur_page.empty()) Put_Page(ws_, cur_page, pending.subject, pending.date, pending.from, pending_attach);
      pending_attach = Attach_List({""});
      m.body_mode = true;
      m.header_mode = false;
      cur_page = new_page(m);
      own_page = true;
    }
  }
  end_bytes_ = lines_.bytes_read();
  report(end_bytes_);
  lines_.clear();

  if (own_page) {
    Put_Page(ws_, cur_page, m.subject, m.date, m.from, cur_attach);
    add_entry(m, cur_page);
    return;
  }
  // The file ended inside the last message's header block: the page still
  // pending is that of the message before, with its own values; the last
  // message gets a page of its own with its header block only.
  if (!cur_page.empty()) Put_Page(ws_, cur_page, pending.subject, pending.date, pending.from, pending_attach);
  ws_.out_buf.clear();
  const std::string page = new_page(m);
  Put_Page(ws_, page, m.subject, m.date, m.from, cur_attach);
  add_entry(m, page);
}

}  // namespace

bool File_Syori(Workspace& ws, const std::string& folder, const std::string& path) {
  try {
    PageWriter writer;
    ws.page_writer = &writer;
    struct Detach {
      Workspace& ws;
      ~Detach() { ws.page_writer = nullptr; }
    } detach{ws};
    Walk(ws, folder, path).run();
    writer.finish();
    return true;
  } catch (const std::exception& e) {
    // Say which mailbox was being converted, unless the reason names it.
    const bool names_it = std::string_view(e.what()).starts_with(path + ":");
    ws.Report_Error("File_Syori", e, names_it ? std::string() : path + " の変換中");
  } catch (...) {
    ws.Report_Error("File_Syori", 5);
  }
  return false;
}
