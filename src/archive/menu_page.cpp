// menu.html: the message list drawn as a thread tree, one link per message,
// each with the hidden comment that lets a later run read the list back.

#include "archive/menu_page.h"

#include <algorithm>
#include <cstddef>
#include <future>
#include <string>
#include <string_view>

#include "archive/menu_comment.h"
#include "codec/sjis_text.h"
#include "mail/header_fields.h"
#include "mail/mail_date.h"
#include "run/common_text.h"
#include "run/file_ops.h"
#include "run/workspace.h"

namespace {

// The sender column: "[" name " " address "]" or a part of it by the
// settings. The name is the text before the first "<", the address the text
// after it without its last character (the closing ">"); a sender without
// "<" is all address.
std::string Sender_Column(std::string_view sender, const Settings& set) {
  std::string name;
  std::string address(sjis::trim(sender));
  const std::size_t lt = sjis::find_char(sender, '<');
  if (lt != std::string::npos) {
    name = std::string(sjis::trim(sender.substr(0, lt)));
    std::string_view after = sjis::trim(sender.substr(lt + 1));
    const std::size_t chars = sjis::length(after);
    address = std::string(sjis::left(after, chars == 0 ? 0 : chars - 1));
  }
  if (set.MN_HASN && set.MN_ADRS) return "[" + name + " " + address + "]";
  if (set.MN_HASN) return "[" + name + "]";
  if (set.MN_ADRS) return "[" + address + "]";
  return {};
}

// One entry line of the list into line (cleared first).
void Entry(std::string& line, const WorkFieldViews& f, std::size_t depth, const Settings& set) {
  static const std::string kBranch = sj("└");
  static const std::string kIndent = sj("　");
  // The sender and page as the index reads them: no double quotes in the
  // sender ('"' is never a second byte), the page's last twelve characters.
  std::string unquoted;
  std::string_view sender = f.sender;
  if (sender.find('"') != std::string_view::npos) {
    unquoted = sender;
    std::erase(unquoted, '"');
    sender = unquoted;
  }
  const std::string_view page = sjis::right(f.page, 12);

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

  // Visible text: every value from the message is escaped, so nothing in it
  // can open a tag or end the link's comment early.
  if (set.MN_SUBJ) {
    std::string subject(f.subject);
    Html_Esc_To(line, Del_Subj_Opt(subject, set.SBJ_KAK, set.SBJ_RES));
  }
  if (set.MN_DATE) {
    line += '(';
    Html_Esc_To(line, Render_Date(std::string(f.date), set.DAT_FMT));
    line += ')';
  }
  if (set.MN_HASN || set.MN_ADRS) Html_Esc_To(line, Sender_Column(sender, set));

  std::string escaped;
  std::string_view subject = f.subject;
  if (menu_comment::needs_escape(subject)) subject = escaped = menu_comment::escape(f.subject);
  line += menu_comment::kStart;
  menu_comment::escape_to(line, f.message_id);
  line += menu_comment::kParent;
  menu_comment::escape_to(line, f.parent_id);
  line += menu_comment::kSubjectLen;
  line += std::to_string(sjis::length(subject));
  line += menu_comment::kSender;
  menu_comment::escape_to(line, sender);
  line += menu_comment::kDate;
  menu_comment::escape_to(line, f.date);
  line += menu_comment::kSubject;
  line += subject;
  line += menu_comment::kEnd;
  line += "</A>";
}

}  // namespace

bool Make_Menu(Workspace& ws, const std::string& folder) {
  try {
    const Settings& set = ws.set;
    const std::size_t n = ws.syo_list.count();
    ws.Syosai_no(0, static_cast<std::int64_t>(n));

    // Written beside the old list and renamed over it, so that a run that
    // stops half-way never leaves a cut-off list behind.
    AtomicOut out(join_path(folder, "menu.html"));
    out.line("<HTML>");
    out.line("<HEAD>");
    out.line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">");
    out.line("<TITLE> MENU");
    out.line("</TITLE>");
    out.line("</HEAD>");
    out.line("<BODY BGCOLOR=\"" + set.BGR_COL + "\" TEXT=\"" + set.TXT_COL + "\" LINK=\"" + set.LNK_COL +
             "\" VLINK=\"" + set.VLK_COL + "\" ALINK=\"#000000\">");
    out.line("<PRE>");
    out.line("<FONT SIZE=" + std::to_string(set.FT_SIZE) + ">");
    if (set.ML_RANK) {
      static const std::string kRank =
          sj("<A HREF=\"rank_hyo.htm\" target=\"frame2\" title=\"発信者ランキング\">発信者、発信数ランキング</A><BR>");
      out.line(kRank);
    }

    // Entry lines are rendered in rounds: a helper thread renders the second
    // half of a round while this one renders the first, and both halves go
    // out in order. The lists are settled first, so both threads only read.
    ws.syo_list.settle();
    ws.work_list.settle();
    const auto render = [&ws, &set](std::size_t from, std::size_t to, TextOut& block) {
      block.clear();
      std::string entry;
      for (std::size_t k = from; k < to; ++k) {
        const std::string& row = ws.syo_list.at(k);
        const std::size_t tab = row.find('\t');
        if (tab == std::string::npos) throw VbError(5, "thread line without a number");
        const long long number = sjis::parse_digits(std::string_view(row).substr(tab + 1));
        if (number < 0) throw VbError(13, "thread line with a bad number");
        const std::size_t depth = tab / 8 == 0 ? 0 : tab / 8 - 1;

        const WorkFieldViews f = Split_Work_Views(ws.work_list.at(static_cast<std::size_t>(number)));
        // An empty line before every thread but the first.
        if (depth == 0 && k > 0) block.end_line();
        Entry(entry, f, depth, set);
        block.line(entry);
      }
    };
    constexpr std::size_t kRound = 8192;
    TextOut first, second;
    for (std::size_t from = 0; from < n; from += kRound) {
      ws.Syosai_no(static_cast<std::int64_t>(from), static_cast<std::int64_t>(n));
      const std::size_t to = std::min(n, from + kRound);
      const std::size_t mid = from + (to - from) / 2;
      std::future<void> helper;
      if (mid > from) helper = std::async(std::launch::async, [&] { render(mid, to, second); });
      try {
        render(from, mid, first);
      } catch (...) {
        if (helper.valid()) helper.wait();
        throw;
      }
      if (helper.valid())
        helper.get();
      else
        render(mid, to, second);
      out.part(first.data());
      out.part(second.data());
    }

    out.line("</FONT>");
    out.line("</PRE>");
    out.line("</BODY>");
    out.line("</HTML>");
    out.commit();
    return true;
  } catch (const std::exception& e) {
    ws.Report_Error("Make_Menu", vb_error_number(e));
  } catch (...) {
    ws.Report_Error("Make_Menu", 5);
  }
  return false;
}
