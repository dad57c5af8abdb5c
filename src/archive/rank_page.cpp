#include "archive/rank_page.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "archive/old_archive.h"
#include "archive/page_head.h"
#include "archive/removed_messages.h"
#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/common_text.h"
#include "core/file_info.h"
#include "core/text_out.h"
#include "core/workspace.h"

namespace {

std::string count_line(long long count, const std::string& sender) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%09lld:", count);
  return buf + sender;
}

// Single precision, one decimal, at least one digit before the point.
std::string share_text(float v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(v));
  return buf;
}

// Single precision in general form: up to seven significant digits, no
// trailing zeros.
std::string bar_text(float v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(v));
  return buf;
}

}  // namespace

bool Address_Count(Workspace& ws, const std::string& folder) {
  return put_rank_page(ws, folder, [&ws] { return rank_page(ws, nullptr); });
}

bool put_rank_page(Workspace& ws, const std::string& folder, const std::function<std::string()>& page) {
  try {
    write_file_atomic(join_path(folder, kRankFile.name), page());
    return true;
  } catch (const std::exception& e) {
    ws.report_error("Address_Count", e);
    return false;
  }
}

namespace {

// A sender as the ranking counts and shows it: with ADR_HID its addresses
// hidden, so that a sender read back hidden from the menu and the same
// sender of this run's mail count as one.
std::string ranked_sender(const Settings& set, std::string sender) {
  if (set.ADR_HID && holds_address(sender)) return hide_addresses(sender);
  return sender;
}

// Counts by sender, looked up by a view of the sender's text: a sender
// counted before costs no copy.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using SenderCounts = std::unordered_map<std::string, long long, TextHash, std::equal_to<>>;

// Counts a message of this run for its sender: without double quotes ('"'
// is never the second byte of a double-byte character), as ranked_sender
// gives it.
void count_message(SenderCounts& counts, const Settings& set, const MessageRecord& f) {
  std::string held;
  std::string_view sender = f.sender();
  if (sender.find('"') != std::string_view::npos) sender = held = f.sender_unquoted();
  if (set.ADR_HID && holds_address(sender)) sender = held = hide_addresses(sender);
  auto it = counts.find(sender);
  if (it == counts.end()) it = counts.emplace(std::string(sender), 0).first;
  ++it->second;
}

// ml_count from counts by sender; returns the total and sets top.
long long put_counts(Workspace& ws, const SenderCounts& counts, long long& top) {
  long long total = 0;
  top = 0;
  for (const auto& [sender, count] : counts) {
    if (count <= 0) continue;
    ws.ml_count.add(count_line(count, sender));
    total += count;
    if (count > top) top = count;
  }
  return total;
}

// ml_count from every line of work_list; returns the total and sets top.
// The counts are kept by sender, so the memory grows with the senders, not
// with the messages.
long long count_senders(Workspace& ws, long long& top) {
  SenderCounts counts;
  const std::size_t n = ws.work_list.count();
  for (std::size_t i = 0; i < n; ++i) {
    // A removed message counts for nobody.
    const MessageRecord& f = ws.work_list.at(i);
    if (!is_removed(ws, f)) count_message(counts, ws.set, f);
  }
  return put_counts(ws, counts, top);
}

// ml_count from the old archive's counts and this run's messages; returns
// the total and sets top.
long long count_with_archive(Workspace& ws, const OldArchive& old, long long& top) {
  SenderCounts counts;
  for (const auto& [sender, count] : old.index().senders) counts[sender] += count;
  for (const std::string& sender : old.taken_senders()) --counts[ranked_sender(ws.set, sender)];
  const std::size_t n = ws.work_list.count();
  for (std::size_t i = 0; i < n; ++i) {
    const MessageRecord& f = ws.work_list.at(i);
    if (!f.from_this_run()) continue;  // counted in the archive's counts
    count_message(counts, ws.set, f);
  }
  return put_counts(ws, counts, top);
}

}  // namespace

std::vector<std::pair<std::string, long long>> sender_counts(const Workspace& ws) {
  std::vector<std::pair<std::string, long long>> out;
  out.reserve(ws.ml_count.count());
  for (std::size_t k = 0; k < ws.ml_count.count(); ++k) {
    const std::string& line = ws.ml_count.at(k);
    out.emplace_back(line.substr(10), std::stoll(line.substr(0, 9)));
  }
  return out;
}

std::string rank_page(Workspace& ws, const OldArchive* old) {
  ws.ml_count.clear();
  long long top = 0;
  long long total = 0;
  if (old) {
    total = count_with_archive(ws, *old, top);
  } else {
    total = count_senders(ws, top);
  }

  const Settings& st = ws.set;
  TextOut out;
  static const std::string title = sj("発信数ランキング");
  out.part(page_head(title, TitleEnd::SameLine, &st));
  out.line(font_size_tag(st));
  out.line("<TABLE BORDER=1>");
  out.line("  <TR>");
  static const std::string heads[] = {sj("    <TD ALIGN=center>発信者</TD>"), sj("    <TD ALIGN=center>発言数</TD>"),
                                      sj("    <TD ALIGN=center>割合</TD>"), sj("    <TD ALIGN=center>グラフ</TD>")};
  for (const std::string& h : heads) out.line(h);
  out.line("  </TR>");

  // Largest count first; equal counts in descending text order.
  for (std::size_t k = ws.ml_count.count(); k-- > 0;) {
    const std::string& line = ws.ml_count.at(k);
    long long c = std::stoll(line.substr(0, 9));
    std::string sender = line.substr(10);
    // Worked out in double and kept in single precision, as the page has
    // always shown them (a third of the top count reads 33.33333).
    float share = static_cast<float>(static_cast<double>(c) / static_cast<double>(total) * 100.0);
    float bar = static_cast<float>(static_cast<double>(c) / static_cast<double>(top) * 100.0);
    out.line("  <TR>");
    out.line("    <TD WIDTH=5%>" + Html_Esc(sender) + "</TD>");
    out.line("    <TD><DIV ALIGN=right>" + std::to_string(c) + "</DIV></TD>");
    out.line("    <TD><DIV ALIGN=right>" + share_text(share) + "</DIV></TD>");
    out.line("    <TD WIDTH=95%><HR noshade ALIGN=left SIZE=8 WIDTH=" + bar_text(bar) + "%></TD>");
    out.line("  </TR>");
  }
  out.line("</TABLE>");
  out.line("</HTML>");
  return out.take();
}
