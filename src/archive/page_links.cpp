#include "archive/page_links.h"

#include <algorithm>
#include <exception>
#include <thread>

#include "archive/archive_records.h"
#include "archive/archive_state.h"
#include "archive/menu_reader.h"
#include "archive/removed_messages.h"
#include "archive/thread_lists.h"
#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/common_text.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/file_write.h"
#include "core/line_store.h"
#include "core/split_lines.h"
#include "core/text_out.h"
#include "core/workspace.h"

namespace {

constexpr std::string_view kNavStart = "<SPAN class=\"vorn-nav\">";
constexpr std::string_view kScriptStart = "<SCRIPT>";
const char kLink[] = "<A HREF=\"m";

// Follows the links of the line by their keys; a key pressed with a
// modifier, or while a text field or an editable element has the focus,
// is left to the browser.
constexpr std::string_view kKeyScript =
    "<SCRIPT>document.addEventListener(\"keydown\",function(e){var t=e.target;"
    "if(e.ctrlKey||e.altKey||e.metaKey||e.defaultPrevented)return;"
    "if(t&&(t.isContentEditable||/^(INPUT|TEXTAREA|SELECT)$/.test(t.tagName)))return;"
    "var a=document.querySelector('a[data-key=\"'+e.key+'\"]');if(a)location.href=a.href;});</SCRIPT>";

// Stored dates "yyyy-mm-dd hh:mm:ss"; any other text is no date.
bool is_stamp(std::string_view d) {
  if (d.size() != 19) return false;
  for (std::size_t i = 0; i < 19; ++i) {
    const char c = d[i];
    const bool digit = c >= '0' && c <= '9';
    if (i == 4 || i == 7 ? c != '-' : i == 10 ? c != ' ' : i == 13 || i == 16 ? c != ':' : !digit) return false;
  }
  return true;
}

// "[" link or label "]", the link followed by key.
void put_item(std::string& out, const std::string& page, std::string_view label, std::string_view key) {
  out += '[';
  if (page.empty()) {
    out += label;
  } else {
    out += "<A HREF=\"" + page + "\" data-key=\"";
    out += key;
    out += "\">";
    out += label;
    out += "</A>";
  }
  out += ']';
}

}  // namespace

std::vector<ListedMessage> read_listed(Workspace& ws, const std::string& folder) {
  std::vector<ListedMessage> listed;
  const std::string menu = join_path(folder, kMenuFile.name);
  if (!is_regular_file(menu)) return listed;
  LineStore lines;
  lines.open(menu, nullptr);
  for (std::size_t i = 0; lines.has(i); lines.release_before(++i)) {
    const std::string& line = lines[i];
    if (sjis::find(line, kLink) == std::string::npos) continue;
    try {
      MessageRecord record = read_menu_line(ws, line);
      // A removed message is nobody's neighbour and no entry of the feed.
      if (is_removed(ws, record)) continue;
      listed.push_back({std::move(record), line.rfind("<A HREF", 0) == 0});
    } catch (const std::exception&) {
      // A line the menu reader cannot take is no entry.
    }
  }
  return listed;
}

std::vector<std::size_t> date_order(const std::vector<ListedMessage>& listed) {
  std::vector<std::size_t> order(listed.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto before = [&listed](std::size_t a, std::size_t b) {
    const MessageRecord& x = listed[a].record;
    const MessageRecord& y = listed[b].record;
    const bool dx = is_stamp(x.date()), dy = is_stamp(y.date());
    if (dx != dy) return !dx;
    if (dx && x.date() != y.date()) return x.date() < y.date();
    return x.page_name() < y.page_name();  // seven digits each: text order is number order
  };
  std::stable_sort(order.begin(), order.end(), before);
  return order;
}

std::vector<Neighbours> neighbours(const std::vector<ListedMessage>& listed) {
  std::vector<Neighbours> n(listed.size());
  const std::vector<std::size_t> order = date_order(listed);
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (k > 0) n[order[k]].previous_by_date = listed[order[k - 1]].record.page_name();
    if (k + 1 < order.size()) n[order[k]].next_by_date = listed[order[k + 1]].record.page_name();
  }
  for (std::size_t i = 1; i < listed.size(); ++i) {
    if (listed[i].starts_thread) continue;
    n[i].previous_in_thread = listed[i - 1].record.page_name();
    n[i - 1].next_in_thread = listed[i].record.page_name();
  }
  return n;
}

std::string nav_line(const Neighbours& n) {
  static const std::string kPreviousDate = sj("前 (日付)"), kNextDate = sj("次 (日付)");
  static const std::string kPreviousThread = sj("前 (スレッド)"), kNextThread = sj("次 (スレッド)");
  static const std::string kList = sj("一覧");
  std::string out(kNavStart);
  put_item(out, n.previous_by_date, kPreviousDate, "k");
  out += ' ';
  put_item(out, n.next_by_date, kNextDate, "j");
  out += ' ';
  put_item(out, n.previous_in_thread, kPreviousThread, "p");
  out += ' ';
  put_item(out, n.next_in_thread, kNextThread, "n");
  // The list opens the archive again: in the frameset it shows the list
  // beside the message, on a narrow screen the list alone.
  out += " [<A HREF=\"" + std::string(kIndexFile.name) + "\" target=\"_top\">" + kList + "</A>]</SPAN>";
  return out;
}

bool is_nav_line(std::string_view line) {
  return line.substr(0, kNavStart.size()) == kNavStart || line.substr(0, kScriptStart.size()) == kScriptStart;
}

std::string with_nav_lines(const std::string& page, const std::string* nav) {
  std::vector<std::string> lines = split_lines(page);
  std::erase_if(lines, [](const std::string& l) { return is_nav_line(l); });
  std::size_t top = lines.size(), bottom = lines.size();
  for (std::size_t k = 0; k < lines.size() && top == lines.size(); ++k)
    if (sjis::starts_with_nocase(lines[k], "<FONT SIZE")) top = k;
  for (std::size_t k = lines.size(); k-- > 0 && bottom == lines.size();)
    if (sjis::trim(lines[k]) == "</PRE>") bottom = k;
  if (top == lines.size() || bottom == lines.size() || bottom < top) return page;
  TextOut out;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k == bottom && nav) out.line(*nav);
    out.line(lines[k]);
    if (k == top && nav) out.line(*nav);
    if (k == bottom && nav) out.line(kKeyScript);
  }
  return out.take();
}

namespace {

std::string links_key(const Neighbours& n) {
  return n.previous_by_date + "\t" + n.next_by_date + "\t" + n.previous_in_thread + "\t" + n.next_in_thread;
}

}  // namespace

NavPlan plan_navigation(const Workspace& ws, ArchiveRecords& records, const std::vector<ListedMessage>& listed) {
  NavPlan plan;
  const std::vector<Neighbours> n = neighbours(listed);
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const std::string page(listed[i].record.page_name());
    const std::string key = links_key(n[i]);
    plan.line[page] = nav_line(n[i]);
    bool same = false;
    if (records.Old_State) {
      auto old = records.Old_State->nav.find(page);
      same = old != records.Old_State->nav.end() && old->second == key;
    }
    if (!same) plan.due.insert(page);
    if (records.New_State) records.New_State->nav[page] = key;
  }
  // Pages written by this run carry no links yet.
  for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
    const MessageRecord& f = ws.work_list.at(i);
    if (f.from_this_run()) plan.due.emplace(f.page_name());
  }
  return plan;
}

void rewrite_nav_page(const std::string& path, const std::string& nav, bool fresh) {
  const std::string old_page = read_file(path);
  const std::string new_page = with_nav_lines(old_page, &nav);
  if (new_page == old_page) return;
  if (fresh)
    update_in_place(path, old_page, new_page);
  else
    write_file_atomic(path, new_page);
}

void Make_NavLinks(Workspace& ws, const std::string& folder, NavPlan& plan) {
  std::vector<std::string> due(plan.due.begin(), plan.due.end());
  std::sort(due.begin(), due.end());
  std::unordered_set<std::string> fresh;
  for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
    const MessageRecord& f = ws.work_list.at(i);
    if (f.from_this_run()) fresh.emplace(f.page_name());
  }
  PageWriters writers(std::thread::hardware_concurrency());
  const std::int64_t total = static_cast<std::int64_t>(due.size());
  for (std::size_t k = 0; k < due.size(); ++k) {
    ws.Syosai_no(static_cast<std::int64_t>(k) + 1, total);
    auto line = plan.line.find(due[k]);
    if (line == plan.line.end()) continue;  // a page of this run that no entry names
    std::string path = join_path(folder, due[k]);
    if (!is_regular_file(path)) {
      ws.ui->warn("警告: " + path + " がありません。このページの前後リンクを飛ばします。");
      continue;
    }
    constexpr std::size_t kPageHint = 8 << 10;
    writers.for_page(due[k]).run([path = std::move(path), nav = line->second,
                                  is_fresh = fresh.count(due[k]) != 0] { rewrite_nav_page(path, nav, is_fresh); },
                                 kPageHint);
  }
  plan.due.clear();
  writers.finish();
}
