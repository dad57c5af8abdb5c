// The mailbox walk: one input into messages, each message into its
// work_list line, its page and its files.
//
// Inputs, told apart by what they hold (not by their names):
//   - a folder: a Maildir, whose cur/ and new/ hold one message per file,
//     read in the order of their delivery names;
//   - a file whose first line starts "From ": a Unix mbox (mbox_file.h);
//   - any other file: the dot format. Each message is a header block that
//     starts at a known header line, a separator line (empty, or "--------"
//     in a file whose name ends in "txt"), its body and a line "."; lines
//     after the "." that are no header line belong to no message. A header
//     block without a separator ends at its first line that is no field and
//     no continuation (mail/header_block.h), which starts the body. A file
//     without "." lines is one message, so a single stored message (.eml)
//     reads as itself.
// Every message, whatever its input, is read by read_message.
//
// Each message's work_list line is added and its page handed to the sink
// the run supplied when the message has been read whole. Malformed input is
// tolerated: lines of any length and content, any number of lines, a file
// that ends inside a header block (that message gets a page with its header
// values only). What cannot be handled ends in the single error report of
// File_Syori.
#include "mail/mailbox.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/common_text.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/folder_list.h"
#include "core/vb_error.h"
#include "core/workspace.h"
#include "mail/attachments.h"
#include "mail/header_block.h"
#include "mail/header_fields.h"
#include "mail/mbox_file.h"
#include "mail/message_sink.h"
#include "mail/message_values.h"
#include "mail/mime_reader.h"

namespace {

// The names in a Maildir's cur/ and new/, in delivery order: by the number
// a delivery name starts with (its time), then by the whole name.
std::vector<std::string> maildir_files(const std::string& dir) {
  struct Entry {
    long long time;
    std::string name, path;
  };
  std::vector<Entry> entries;
  for (const char* sub : {"cur", "new"}) {
    const std::string folder = join_path(dir, sub);
    if (!is_directory(folder)) continue;
    for (const std::string& name : list_files(folder)) {
      if (name.empty() || name[0] == '.') continue;
      const std::string path = join_path(folder, name);
      if (!is_regular_file(path)) continue;
      long long time = 0;
      for (char c : name) {
        if (c < '0' || c > '9' || time > 1'000'000'000'000'000LL) break;
        time = time * 10 + (c - '0');
      }
      entries.push_back({time, name, path});
    }
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.time != b.time ? a.time < b.time : a.name < b.name; });
  std::vector<std::string> paths;
  for (Entry& e : entries) paths.push_back(std::move(e.path));
  return paths;
}

enum class DotState { Header, Body, Between };

class Walk {
 public:
  Walk(Workspace& ws, MessageSink& sink, PageWriter& writer, const std::string& folder, const std::string& path)
      : ws_(ws), sink_(sink), writer_(writer), folder_(folder), path_(path) {}

  void run();

 private:
  void maildir();
  void mbox();
  void dot_format();
  void header_line(std::string_view line);
  void body_line(std::string_view line);
  void between_line(std::string_view line);
  void end_message();
  void take(MailMessage& message);
  void save_files(MailMessage& message, AttachList& list, const std::string& page);
  std::string new_page(const MessageValues& m);
  void progress(std::int64_t bytes, bool force = false);

  Workspace& ws_;
  MessageSink& sink_;
  PageWriter& writer_;
  const std::string& folder_;
  const std::string& path_;
  std::int64_t total_ = 0;
  std::int64_t reported_ = -1;
  std::int64_t reported_messages_ = -1;

  // The dot format's walk.
  DotState state_ = DotState::Header;
  std::string raw_;  // the message being collected, lines ended by LF
  bool any_line_ = false;
};

// The progress is the bytes of the input read so far (before any
// conversion, line ends included), from 0 to its size. It is shown every
// 64 KB and when the walk is through.
void Walk::progress(std::int64_t bytes, bool force) {
  if (!force && bytes - reported_ < (64 << 10)) return;
  const std::int64_t messages = ws_.Mails_Added + ws_.Mails_Replaced;
  if (bytes == reported_ && messages == reported_messages_) return;
  reported_ = bytes;
  reported_messages_ = messages;
  ws_.ui->read_progress({bytes, total_, messages});
}

// The page of a message: the page of the entry it replaces, or the next page
// number. A replaced entry read back from an existing archive may name
// anything; only a page file name is taken over, so a page is never written
// outside the output folder.
std::string Walk::new_page(const MessageValues& m) {
  if (m.duplicate && is_page_name(m.reused_page)) {
    if (RunJournal* journal = sink_.journal()) journal->rewrites(m.reused_page);
    return join_path(folder_, m.reused_page);
  }
  return join_path(folder_, page_name(next_page_number(ws_.Mail_No, folder_)));
}

// Saves a file of page, decoding it first when it still has its transfer
// encoding; the journal, when the run keeps one, records it.
void save_file(const std::string& folder, std::string& name, const MailAttachment& file, RunJournal* journal,
               const std::string& page) {
  if (file.encoding == BodyEncoding::Plain) return Save_Attach(folder, name, file.data, journal, page);
  Save_Attach(folder, name, decoded_data(file), journal, page);
}

// The files go to the page writer's thread, which decodes and saves them
// before it renders the page that links them.
void Walk::save_files(MailMessage& message, AttachList& list, const std::string& page) {
  if (!ws_.set.TE_FILE) return;
  RunJournal* journal = sink_.journal();
  const std::string page_file = page.substr(page.rfind('/') + 1);
  for (MailAttachment& file : message.attachments) {
    auto name = std::make_shared<std::string>(std::move(file.name));
    list.push_back(name);
    const std::size_t size = file.data.size();
    writer_.run([folder = folder_, name, file = std::move(file), journal,
                 page_file] { save_file(folder, *name, file, journal, page_file); },
                size);
  }
}

// One message read whole: its values, its files, its page, its entry. The
// entry's record copies the values; the page takes them over.
void Walk::take(MailMessage& message) {
  const MailHeader& h = message.header;
  MessageValues m;
  if (h.has_message_id) m.message_id = message_id_of(h.message_id);
  if (h.has_message_id && sink_.removed(m.message_id)) {
    ++ws_.mails_skipped;
    return;
  }
  if (h.has_from) get_from(h.from, m, h.text_charset);
  if (h.has_subject) get_subject(h.subject, m, h.text_charset);
  if (h.has_date) get_date(h.date, m);
  if (h.has_message_id) take_listed(ws_.work_list, m, &sink_);
  get_parent(h.in_reply_to, h.references, m);

  std::string page = new_page(m);
  AttachList files = placeholder_list(message.attachments.size());
  save_files(message, files, page);
  ws_.out_buf = std::move(message.text);
  MessageRecord record(m.date, m.subject, m.from, m.message_id, m.parent_id, page, MessageRecord::kThisRun);
  sink_.page(writer_, std::move(page), std::move(m.subject), std::move(m.date), std::move(m.from), std::move(files));
  ws_.work_list.add(std::move(record));
  ++(m.duplicate ? ws_.Mails_Replaced : ws_.Mails_Added);
}

void Walk::maildir() {
  if (!is_directory(join_path(path_, "cur")) && !is_directory(join_path(path_, "new")))
    throw VbError(75, path_ + ": メールボックスではありません (cur/ も new/ もないフォルダです)");
  const std::vector<std::string> files = maildir_files(path_);
  for (const std::string& file : files) total_ += file_size(file);
  progress(0, true);
  std::int64_t done = 0;
  for (const std::string& file : files) {
    const std::string raw = read_file(file);
    MailMessage message = read_message(raw);
    take(message);
    done += static_cast<std::int64_t>(raw.size());
    progress(done);
  }
  progress(done, true);
}

void Walk::mbox() {
  progress(0, true);
  std::int64_t done = 0;
  read_mbox(path_, [&](MailMessage& message, std::int64_t bytes) {
    take(message);
    done = bytes;
    progress(done);
  });
  progress(total_, true);
}

void Walk::end_message() {
  if (!any_line_) return;
  MailMessage message = read_message(raw_);
  raw_.clear();
  any_line_ = false;
  take(message);
}

// Header: the lines belong to the header block until the separator, or
// until a line that is no field and no continuation, which is the body's
// first line (the "." of a message without body lines, too).
void Walk::header_line(std::string_view line) {
  any_line_ = true;
  const bool separator = Check_Honbun(path_, line);
  const HeaderLine kind = separator ? HeaderLine::End : header_line_kind(line);
  if (kind == HeaderLine::End || kind == HeaderLine::Other) {
    raw_ += '\n';  // "--------" of a .txt file counts as the blank line
    state_ = DotState::Body;
    if (!separator) body_line(line);
    return;
  }
  if (kind == HeaderLine::BareContinuation) raw_ += ' ';  // the blank its mailer left out
  raw_ += line;
  raw_ += '\n';
}

void Walk::body_line(std::string_view line) {
  // The end is "." with blanks around it allowed: the first byte tells the
  // other lines apart.
  if (!line.empty() && (line[0] == '.' || line[0] == ' ') && sjis::trim(line) == ".") {
    state_ = DotState::Between;
    return;
  }
  raw_ += line;
  raw_ += '\n';
}

// Between: a known header line starts the next message; others are dropped.
void Walk::between_line(std::string_view line) {
  if (!Header_Check(line)) return;
  end_message();
  state_ = DotState::Header;
  header_line(line);
}

void Walk::dot_format() {
  LineStore& lines = ws_.lstData;
  lines.open(path_, nullptr);
  progress(0, true);
  std::string_view line;
  while (lines.next(line)) {
    switch (state_) {
      case DotState::Header:
        header_line(line);
        break;
      case DotState::Body:
        body_line(line);
        break;
      case DotState::Between:
        between_line(line);
        break;
    }
    progress(lines.bytes_read());
  }
  const std::int64_t read = lines.bytes_read();
  lines.clear();
  end_message();
  progress(read, true);
}

bool starts_mbox(const std::string& path) {
  ReadOnlyFile file(path);
  char head[5];
  std::size_t got = 0;
  while (got < sizeof head) {
    const ssize_t n = ::pread(file.fd(), head + got, sizeof head - got, static_cast<off_t>(got));
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got == sizeof head && std::string_view(head, sizeof head) == "From ";
}

void Walk::run() {
  ws_.out_buf.clear();
  if (is_directory(path_)) return maildir();
  const long long length = file_size(path_);
  if (length == 0) return;
  total_ = static_cast<std::int64_t>(length);
  if (starts_mbox(path_)) return mbox();
  dot_format();
}

}  // namespace

bool File_Syori(Workspace& ws, MessageSink& sink, const std::string& folder, const std::string& path) {
  try {
    PageWriter writer;
    Walk(ws, sink, writer, folder, path).run();
    writer.finish();
    return true;
  } catch (const std::exception& e) {
    // Say which mailbox was being converted, unless the reason names it.
    const bool names_it = std::string_view(e.what()).starts_with(path + ":");
    ws.report_error("File_Syori", e, names_it ? std::string() : path + " の変換中");
  } catch (...) {
    ws.report_error("File_Syori", 5);
  }
  return false;
}
