// Reading menu.html back into work_list.
//
// Grammar of an entry line (any other line is skipped):
//   {tree marks} <A HREF="{page}" target="frame2" title="{sender}">{visible}
//   <!-- Message-ID:{id} / In-Reply-To:{parent} / Subject_Len:{L} /
//   From_Data:{sender} / Date_Data:{date} / Subj_Data:{subject}--></A>
// (one line). A line is an entry when it holds `<A HREF="m`; the 12
// characters after `<A HREF="` are the page name "m" + 7 digits + ".htm".
// The sender in the title attribute starts at the 47th character of the link
// and holds no double quote; the visible text starts after the `">` that
// follows it.
//
// The comment is found by its opening "<!-- Message-ID:" after the visible
// text (which the writer escapes, so it holds no "<"), and every label is
// looked for only after the one before it, so a visible text that happens to
// hold label words does not misplace them. Each value runs up to the text of
// the next label (" / In-Reply-To:" ...), the date included (it may be empty
// or a raw date text); the writer escapes the "/" of a label text inside a
// value, so a value never ends early. The subject is the Subject_Len
// characters after "Subj_Data:", so it may hold " / " or "-->". Values are
// unescaped as the writer escaped them (menu_comment.h); menus of earlier
// runs hold no label escapes and read as they always did. TAB characters,
// which no work_list field may hold, are dropped from the values.
//
// The sender in the title attribute ends at the first double quote: the
// writer drops double quotes from it, and a double quote is never the second
// byte of a character, so no sender can move the visible text.
//
// Tolerated: tree marks of any kind before the link, any text after the
// comment, any head lines (with or without the charset line). An entry whose
// page number is not a number, whose page name does not end in ".htm", whose
// link is too short, whose comment lacks a label, or whose subject does not
// end with the comment after Subject_Len characters is an error: the lines
// read so far stay in work_list, and the reader stops. The error names
// menu.html, the line (counted from 1) and what is wrong.
//
// State: Mail_No is raised to the highest page number read.

#include "archive/menu_reader.h"

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "archive/archive_records.h"
#include "archive/menu_comment.h"
#include "archive/menu_index.h"
#include "archive/old_archive.h"
#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/file_info.h"
#include "core/vb_error.h"
#include "core/workspace.h"

namespace {

constexpr std::string_view kLink = "<A HREF=\"m";

// VORN_HTM_NO_INDEX=1 in the environment: always read the menu whole.
bool no_index() {
  const char* v = std::getenv("VORN_HTM_NO_INDEX");
  return v != nullptr && *v != '\0' && std::string_view(v) != "0";
}

[[noreturn]] void Malformed(const std::string& what) { throw VbError(5, "メニューの項目が壊れています: " + what); }

// The label's position at or after from, or an error that names it.
std::size_t Label(std::string_view r, std::string_view label, std::size_t from) {
  const std::size_t p = sjis::find_after(r, label, from);
  if (p == std::string_view::npos) {
    const std::string_view name = label.substr(label.find_first_not_of(" /<!-"));
    Malformed("隠しコメントに " + std::string(name) + " がありません");
  }
  return p;
}

// A value as the record holds it, in room when it had to be unescaped.
// subject: the value was taken by its length and escaped only against ending
// the comment. (TAB characters the record drops itself.)
std::string_view Value(std::string_view written, std::string& room, bool subject = false) {
  if (written.find('&') == std::string_view::npos) return written;  // the usual case: nothing to undo
  room = subject ? menu_comment::unescape_subject(written) : menu_comment::unescape(written);
  return room;
}

MessageRecord read_entry(Workspace& ws, std::string_view line, std::size_t at) {
  const std::string_view link = line.substr(at);
  const std::string_view page = sjis::mid(link, 9, 12);
  if (sjis::length(page) != 12) Malformed("ページ名が途中で切れています");
  const long long number = sjis::parse_digits(sjis::mid(page, 1, 7));
  if (number < 0) throw VbError(13, "メニューの項目が壊れています: ページ名の番号が数字ではありません");
  // The run finds the page by this name in the output folder: any other
  // tail ("m0000001/../") would name a path below another folder.
  if (sjis::mid(page, 8) != ".htm") Malformed("ページ名が .htm で終わっていません");
  if (number > ws.Mail_No) ws.Mail_No = number;

  // The title attribute, then the visible text after its closing quote.
  const std::string_view title = sjis::mid(link, 46);
  if (title.empty()) Malformed("リンクが途中で切れています");
  const std::size_t quote = sjis::find_char(title, '"');
  if (quote == std::string_view::npos) Malformed("title 属性が閉じていません");
  const std::string_view r = sjis::mid(title.substr(quote), 2);

  std::size_t pos = Label(r, menu_comment::kStart, 0) + menu_comment::kStart.size();
  const std::size_t p_parent = Label(r, menu_comment::kParent, pos);
  const std::string_view id = r.substr(pos, p_parent - pos);
  pos = p_parent + menu_comment::kParent.size();
  const std::size_t p_len = Label(r, menu_comment::kSubjectLen, pos);
  const std::string_view parent = r.substr(pos, p_len - pos);
  pos = p_len + menu_comment::kSubjectLen.size();
  const std::size_t p_sender = Label(r, menu_comment::kSender, pos);
  const long long subject_len = sjis::parse_digits(r.substr(pos, p_sender - pos));
  if (subject_len < 0) throw VbError(13, "メニューの項目が壊れています: Subject_Len が数字ではありません");
  pos = p_sender + menu_comment::kSender.size();
  const std::size_t p_date = Label(r, menu_comment::kDate, pos);
  const std::string_view sender = r.substr(pos, p_date - pos);
  pos = p_date + menu_comment::kDate.size();
  const std::size_t p_subject = Label(r, menu_comment::kSubject, pos);
  const std::string_view date = r.substr(pos, p_subject - pos);
  pos = p_subject + menu_comment::kSubject.size();
  const std::string_view subject = sjis::left(r.substr(pos), static_cast<std::size_t>(subject_len));
  if (sjis::length(subject) != static_cast<std::size_t>(subject_len) ||
      !r.substr(pos + subject.size()).starts_with(menu_comment::kEnd))
    Malformed("件名の長さが Subject_Len と合いません");

  // The record holds the fields alone, not the whole menu line: an
  // archive's index is held in these records.
  std::string room[5];
  return MessageRecord(Value(date, room[0]), Value(subject, room[1], true), Value(sender, room[2]), Value(id, room[3]),
                       Value(parent, room[4]), page, MessageRecord::kEarlierRun);
}

}  // namespace

MessageRecord read_menu_line(Workspace& ws, std::string_view line) {
  const std::size_t at = sjis::find(line, kLink);
  if (at == std::string_view::npos) Malformed("メッセージへのリンクがありません");
  return read_entry(ws, line, at);
}

void read_whole_menu(Workspace& ws, const std::string& folder) {
  const std::string path = join_path(folder, kMenuFile.name);
  LineStore menu;
  menu.open(path, nullptr);
  for (std::size_t i = 0; menu.has(i); ++i) {
    const std::string& line = menu[i];
    const std::size_t at = sjis::find(line, kLink);
    if (at != std::string::npos) {
      MessageRecord entry;
      try {
        entry = read_entry(ws, line, at);
      } catch (const VbError& e) {
        throw VbError(e.number, path + " の " + std::to_string(i + 1) + " 行目: " + e.what());
      }
      ws.work_list.add(std::move(entry));
    }
    menu.release_before(i + 1);
  }
}

bool Read_Menu(Workspace& ws, ArchiveRecords& records, const std::string& folder) {
  try {
    const std::string path = join_path(folder, kMenuFile.name);
    records.Old_Archive.reset();
    // The index the last finished run left stands in for the whole menu.
    std::optional<SavedMenuIndex> index = take_menu_index(folder, ws.set);
    if (!exists(path)) return true;
    if (index && !no_index()) {
      if (index->mail_no > ws.Mail_No) ws.Mail_No = index->mail_no;
      records.Old_Archive = std::make_shared<OldArchive>(std::move(*index), path);
      return true;
    }
    read_whole_menu(ws, folder);
    return true;
  } catch (const std::exception& e) {
    ws.report_error("Read_Menu", e);
  } catch (...) {
    ws.report_error("Read_Menu", 5);
  }
  return false;
}
