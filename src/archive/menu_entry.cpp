#include "archive/menu_entry.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "archive/menu_comment.h"
#include "archive/page_head.h"
#include "archive/removed_messages.h"
#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/common_text.h"
#include "core/vb_error.h"
#include "mail/header_fields.h"
#include "mail/mail_date.h"

// The sender column: "[" name " " address "]" or a part of it by the
// settings. The name is the text before the first "<", the address the text
// after it without its last character (the closing ">"); a sender without
// "<" is all address.
namespace {

// The column appended to line, each part escaped.
void put_sender_column(std::string& line, std::string_view sender, const Settings& set) {
  std::string_view name;
  std::string_view address = sjis::trim(sender);
  const std::size_t lt = sjis::find_char(sender, '<');
  if (lt != std::string::npos) {
    name = sjis::trim(sender.substr(0, lt));
    std::string_view after = sjis::trim(sender.substr(lt + 1));
    const std::size_t chars = sjis::length(after);
    address = sjis::left(after, chars == 0 ? 0 : chars - 1);
  }
  if (!set.MN_HASN && !set.MN_ADRS) return;
  line += '[';
  if (set.MN_HASN) html_esc_to(line, name);
  if (set.MN_HASN && set.MN_ADRS) line += ' ';
  if (set.MN_ADRS) html_esc_to(line, address);
  line += ']';
}

}  // namespace

namespace {

// The tree marks and the link's start tag, title included.
void entry_start(std::string& line, std::string_view page, std::string_view sender, std::size_t depth) {
  static const std::string kBranch = sj("└");
  static const std::string kIndent = sj("　");
  line.clear();
  if (depth >= 1) {
    for (std::size_t d = 1; d < depth; ++d) line += kIndent;
    line += kBranch;
  }
  line += "<A HREF=\"";
  line += page;
  line += "\" target=\"frame2\" title=\"";
  line += sender;
  line += "\">";
}

// The comment and the end of the link.
void entry_comment(std::string& line, const MessageRecord& f, std::string_view sender, std::string_view subject) {
  std::string escaped;
  if (menu_comment::subject_needs_escape(subject)) subject = escaped = menu_comment::escape_subject(subject);
  line += menu_comment::kStart;
  menu_comment::escape_to(line, f.message_id());
  line += menu_comment::kParent;
  menu_comment::escape_to(line, f.parent_id());
  line += menu_comment::kSubjectLen;
  line += std::to_string(sjis::length(subject));
  line += menu_comment::kSender;
  menu_comment::escape_to(line, sender);
  line += menu_comment::kDate;
  menu_comment::escape_to(line, f.date());
  line += menu_comment::kSubject;
  line += subject;
  line += menu_comment::kEnd;
  line += "</A>";
}

}  // namespace

void menu_entry(std::string& line, const MessageRecord& f, std::size_t depth, const Settings& set, bool removed) {
  if (removed) {
    const MessageRecord kept = removed_record(f);
    entry_start(line, kept.page_name(), {}, depth);
    line += removed_entry_text();
    entry_comment(line, kept, {}, {});
    return;
  }
  // The sender and page as the index reads them: no double quotes in the
  // sender ('"' is never a second byte), the page's last twelve characters.
  std::string unquoted;
  std::string_view sender = f.sender();
  if (sender.find('"') != std::string_view::npos) sender = unquoted = f.sender_unquoted();
  // With ADR_HID the addresses of sender and subject are hidden everywhere
  // in the entry, the comment too, so the next run reads them back hidden.
  std::string hidden_sender, hidden_subject;
  std::string_view subject_text = f.subject();
  if (set.ADR_HID && holds_address(sender)) sender = hidden_sender = hide_addresses(sender);
  if (set.ADR_HID && holds_address(subject_text)) subject_text = hidden_subject = hide_addresses(subject_text);
  entry_start(line, f.page_name(), sender, depth);

  // Visible text: every value from the message is escaped, so nothing in it
  // can open a tag or end the link's comment early.
  if (set.MN_SUBJ) {
    std::string subject(subject_text);
    html_esc_to(line, Del_Subj_Opt(subject, set.SBJ_KAK, set.SBJ_RES));
  }
  if (set.MN_DATE) {
    line += '(';
    html_esc_to(line, render_date(f.date(), set.DAT_FMT));
    line += ')';
  }
  put_sender_column(line, sender, set);
  entry_comment(line, f, sender, subject_text);
}

void menu_head(AtomicOut& out, const Settings& set) {
  // The list frame names the feed, when the archive has one, for browsers
  // and feed readers that look for it.
  std::string feed;
  if (!sjis::trim(set.BAS_URL).empty())
    feed = "<link rel=\"alternate\" type=\"application/atom+xml\" title=\"Atom\" href=\"" +
           std::string(kFeedFile.name) + "\">\r\n";
  out.part(page_head(" MENU", TitleEnd::NextLine, &set, feed));
  out.line("<PRE>");
  out.line(font_size_tag(set));
  if (set.SRCH_IX) {
    static const std::string kSearch = sj("<A HREF=\"search.html\" target=\"frame2\" title=\"検索\">検索</A><BR>");
    out.line(kSearch);
  }
  if (set.ML_RANK) {
    static const std::string kRank =
        sj("<A HREF=\"rank_hyo.htm\" target=\"frame2\" title=\"発信者ランキング\">発信者、発信数ランキング</A><BR>");
    out.line(kRank);
  }
}

void menu_tail(AtomicOut& out) {
  out.line("</FONT>");
  out.line("</PRE>");
  out.line("</BODY>");
  out.line("</HTML>");
}

std::vector<std::uint32_t> thread_numbers(const ThreadKeys& syo_list, std::size_t n) {
  std::vector<std::uint32_t> up(n);
  std::iota(up.begin(), up.end(), 0u);
  const auto find = [&up](std::uint32_t x) {
    while (up[x] != x) x = up[x] = up[up[x]];
    return x;
  };
  for (std::size_t k = 0; k < syo_list.count(); ++k) {
    const ThreadLine t = syo_list.at(k);
    if (t.number >= n) throw VbError(9, "thread line names no message");
    std::uint32_t own = find(static_cast<std::uint32_t>(t.number));
    for (std::size_t s = 0; (s + 1) * ThreadKeys::kStep <= t.key.size(); ++s) {
      const std::size_t step = ThreadKeys::step_number(t.key, s);
      if (step >= n) throw VbError(9, "thread key names no message");
      const std::uint32_t other = find(static_cast<std::uint32_t>(step));
      if (other == own) continue;
      // The smaller number stays the root, so a thread's root is its first message.
      up[std::max(other, own)] = std::min(other, own);
      own = std::min(other, own);
    }
  }
  // Dense numbers in order of each thread's smallest message.
  std::vector<std::uint32_t> label(n, 0xffffffffu);
  std::uint32_t next = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t r = find(i);
    if (label[r] == 0xffffffffu) label[r] = next++;
    label[i] = label[r];
  }
  return label;
}
