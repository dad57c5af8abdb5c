#include "archive/page_links.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <thread>

#include "archive/archive_records.h"
#include "archive/archive_state.h"
#include "archive/menu_reader.h"
#include "archive/old_archive.h"
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
#include "core/thread_keys.h"
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

// Date order: stored dates before pages whose date is no date, those first,
// then the dates, ties by page (seven digits each: text order is number
// order).
struct DateKey {
  bool stamp;
  std::string_view date, page;
};
DateKey date_key(std::string_view date, std::string_view page) { return {is_stamp(date), date, page}; }
bool key_before(const DateKey& a, const DateKey& b) {
  if (a.stamp != b.stamp) return !a.stamp;
  if (a.stamp && a.date != b.date) return a.date < b.date;
  return a.page < b.page;
}
bool date_before(std::string_view date_a, std::string_view page_a, std::string_view date_b, std::string_view page_b) {
  return key_before(date_key(date_a, page_a), date_key(date_b, page_b));
}

// An entry of the menu as the plan reads it: its record, wherever that is
// kept, and whether it starts a thread.
struct PlanEntry {
  const MessageRecord* record;
  bool starts_thread;
};
std::vector<PlanEntry> entries_of(const std::vector<ListedMessage>& listed) {
  std::vector<PlanEntry> entries;
  entries.reserve(listed.size());
  for (const ListedMessage& l : listed) entries.push_back({&l.record, l.starts_thread});
  return entries;
}

// The indexes of entries in date order.
std::vector<std::size_t> order_by_date(const std::vector<PlanEntry>& entries) {
  // Each entry's key once: a page name is found from the end of its path.
  std::vector<DateKey> keys;
  keys.reserve(entries.size());
  for (const PlanEntry& e : entries) keys.push_back(date_key(e.record->date(), e.record->page_name()));
  std::vector<std::size_t> order(entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&keys](std::size_t a, std::size_t b) { return key_before(keys[a], keys[b]); });
  return order;
}

// The neighbours of an entry as views of the entries' page names.
struct NeighbourViews {
  std::string_view previous_by_date, next_by_date, previous_in_thread, next_in_thread;
};
// Those of entries[order[k]], the k-th by date.
NeighbourViews neighbours_at(const std::vector<PlanEntry>& entries, const std::vector<std::size_t>& order,
                             std::size_t k) {
  const std::size_t i = order[k];
  NeighbourViews n;
  if (k > 0) n.previous_by_date = entries[order[k - 1]].record->page_name();
  if (k + 1 < order.size()) n.next_by_date = entries[order[k + 1]].record->page_name();
  if (i > 0 && !entries[i].starts_thread) n.previous_in_thread = entries[i - 1].record->page_name();
  if (i + 1 < entries.size() && !entries[i + 1].starts_thread) n.next_in_thread = entries[i + 1].record->page_name();
  return n;
}

// "[" link or label "]", the link followed by key.
void put_item(std::string& out, std::string_view page, std::string_view label, std::string_view key) {
  out += '[';
  if (page.empty()) {
    out += label;
  } else {
    out += "<A HREF=\"";
    out += page;
    out += "\" data-key=\"";
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
  bool start = false;  // the next entry kept starts a thread
  for (std::size_t i = 0; lines.has(i); lines.release_before(++i)) {
    const std::string& line = lines[i];
    if (sjis::find(line, kLink) == std::string::npos) continue;
    try {
      MessageRecord record = read_menu_line(ws, line);
      start = start || line.rfind("<A HREF", 0) == 0;
      // A removed message is nobody's neighbour and no entry of the feed;
      // the replies of a removed first message start the thread.
      if (is_removed(ws, record)) continue;
      listed.push_back({std::move(record), start});
      start = false;
    } catch (const std::exception&) {
      // A line the menu reader cannot take is no entry.
    }
  }
  return listed;
}

std::vector<std::size_t> date_order(const std::vector<ListedMessage>& listed) {
  return order_by_date(entries_of(listed));
}

std::vector<Neighbours> neighbours(const std::vector<ListedMessage>& listed) {
  const std::vector<PlanEntry> entries = entries_of(listed);
  const std::vector<std::size_t> order = order_by_date(entries);
  std::vector<Neighbours> n(listed.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    const NeighbourViews v = neighbours_at(entries, order, k);
    n[order[k]] = {std::string(v.previous_by_date), std::string(v.next_by_date), std::string(v.previous_in_thread),
                   std::string(v.next_in_thread)};
  }
  return n;
}

namespace {

std::string nav_line_of(const NeighbourViews& n) {
  static const std::string kPreviousDate = sj("前 (日付)"), kNextDate = sj("次 (日付)");
  static const std::string kPreviousThread = sj("前 (スレッド)"), kNextThread = sj("次 (スレッド)");
  static const std::string kList = sj("一覧");
  std::string out;
  out.reserve(320);
  out += kNavStart;
  put_item(out, n.previous_by_date, kPreviousDate, "k");
  out += ' ';
  put_item(out, n.next_by_date, kNextDate, "j");
  out += ' ';
  put_item(out, n.previous_in_thread, kPreviousThread, "p");
  out += ' ';
  put_item(out, n.next_in_thread, kNextThread, "n");
  // The list opens the archive again: in the frameset it shows the list
  // beside the message, on a narrow screen the list alone.
  out.append(" [<A HREF=\"").append(kIndexFile.name).append("\" target=\"_top\">").append(kList).append("</A>]</SPAN>");
  return out;
}

}  // namespace

std::string nav_line(const Neighbours& n) {
  return nav_line_of({n.previous_by_date, n.next_by_date, n.previous_in_thread, n.next_in_thread});
}

bool is_nav_line(std::string_view line) {
  return line.substr(0, kNavStart.size()) == kNavStart || line.substr(0, kScriptStart.size()) == kScriptStart;
}

namespace {

// Where a page's links go when every line of it ends in CR LF and none is a
// line of links (a page as written, before its links): the end of its font
// size line, and the start and end of its last "</PRE>" line, as byte
// offsets; none for any other page.
struct LinkPlaces {
  std::size_t top_end = std::string_view::npos, bottom_start = std::string_view::npos, bottom_end = 0;
};
std::optional<LinkPlaces> plain_link_places(std::string_view page) {
  LinkPlaces at;
  std::size_t start = 0;
  while (start < page.size()) {
    const void* lf = std::memchr(page.data() + start, '\n', page.size() - start);
    if (!lf) return std::nullopt;  // a last line without its line end
    const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(lf) - page.data());
    if (end == start || page[end - 1] != '\r') return std::nullopt;
    const std::string_view line = page.substr(start, end - 1 - start);
    if (std::memchr(line.data(), '\r', line.size()) || is_nav_line(line)) return std::nullopt;
    if (at.top_end == std::string_view::npos && sjis::starts_with_nocase(line, "<FONT SIZE")) at.top_end = end + 1;
    if (line.size() >= 6 && sjis::trim(line) == "</PRE>") at.bottom_start = start, at.bottom_end = end + 1;
    start = end + 1;
  }
  return at;
}

// with_nav_lines for a page of lines split and joined again.
std::string with_nav_lines_split(const std::string& page, const std::string* nav) {
  std::vector<std::string_view> lines = split_line_views(page);
  std::erase_if(lines, [](std::string_view l) { return is_nav_line(l); });
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

}  // namespace

std::string with_nav_lines(const std::string& page, const std::string* nav) {
  const std::optional<LinkPlaces> at = plain_link_places(page);
  if (!at) return with_nav_lines_split(page, nav);
  // Nothing to take out; the lines go in between the page's own bytes.
  if (!nav || at->top_end == std::string_view::npos || at->bottom_start == std::string_view::npos ||
      at->bottom_start < at->top_end)
    return page;
  const std::string_view p = page;
  std::string out;
  out.reserve(page.size() + 2 * nav->size() + kKeyScript.size() + 6);
  out.append(p.substr(0, at->top_end)).append(*nav).append("\r\n");
  out.append(p.substr(at->top_end, at->bottom_start - at->top_end)).append(*nav).append("\r\n");
  out.append(p.substr(at->bottom_start, at->bottom_end - at->bottom_start)).append(kKeyScript).append("\r\n");
  out.append(p.substr(at->bottom_end));
  return out;
}

namespace {

// The entries of the menu as written from syo_list over work_list.
std::vector<PlanEntry> entries_from_lists(const Workspace& ws) {
  std::vector<PlanEntry> entries;
  entries.reserve(ws.syo_list.count());
  bool start = false;  // as read_listed takes removed messages out
  for (std::size_t k = 0; k < ws.syo_list.count(); ++k) {
    const ThreadLine t = ws.syo_list.at(k);
    const MessageRecord& record = ws.work_list.at(t.number);
    start = start || t.depth == 0;
    if (is_removed(ws, record)) continue;
    entries.push_back({&record, start});
    start = false;
  }
  return entries;
}

}  // namespace

std::vector<ListedMessage> listed_from_lists(const Workspace& ws) {
  const std::vector<PlanEntry> entries = entries_from_lists(ws);
  std::vector<ListedMessage> listed;
  listed.reserve(entries.size());
  for (const PlanEntry& e : entries) listed.push_back({*e.record, e.starts_thread});
  return listed;
}

namespace {

std::string links_key(std::string_view k, std::string_view j, std::string_view p, std::string_view n) {
  std::string key;
  key.reserve(k.size() + j.size() + p.size() + n.size() + 3);
  key.append(k).append(1, '\t').append(j).append(1, '\t').append(p).append(1, '\t').append(n);
  return key;
}

// The fields of a key, TAB separated; missing ones are empty.
std::array<std::string_view, 4> key_fields(std::string_view key) {
  std::array<std::string_view, 4> f;
  for (std::string_view& field : f) {
    const std::size_t tab = key.find('\t');
    field = key.substr(0, tab);
    key = tab == std::string_view::npos ? std::string_view() : key.substr(tab + 1);
  }
  return f;
}

// Every page of listed with its links, in date order; due gets those whose
// links differ from the ones old (if any) holds.
std::vector<NavRecord> plan_whole(const ArchiveState* old, const std::vector<PlanEntry>& entries,
                                  std::unordered_set<std::string>& due) {
  std::unordered_map<std::string_view, std::string_view> was;
  if (old) {
    was.reserve(old->nav.size());
    for (const NavRecord& r : old->nav) was.emplace(r.page, r.links);
  }
  const std::vector<std::size_t> order = order_by_date(entries);
  std::vector<NavRecord> pages;
  pages.reserve(entries.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    const MessageRecord& r = *entries[order[k]].record;
    const NeighbourViews n = neighbours_at(entries, order, k);
    NavRecord rec{std::string(r.page_name()),
                  links_key(n.previous_by_date, n.next_by_date, n.previous_in_thread, n.next_in_thread),
                  std::string(r.date())};
    auto w = was.find(rec.page);
    if (w == was.end() || w->second != rec.links) due.insert(rec.page);
    pages.push_back(std::move(rec));
  }
  return pages;
}

// A page of work_list, in menu order, with its neighbours in the thread.
struct WorkPage {
  std::string_view page, date, previous, next;
  const std::string* old_links = nullptr;  // as old held them, for a page of an earlier run
};

// One place of the new date order: a page of the old state or of work_list.
struct Placed {
  bool work;
  std::size_t i;
};

// The date order of old's pages with those of work_list taken out and put
// in again at their dates.
std::vector<Placed> merged_order(const ArchiveState& old, std::vector<WorkPage>& work) {
  std::unordered_map<std::string_view, std::size_t> in_work;
  in_work.reserve(work.size());
  for (std::size_t k = 0; k < work.size(); ++k) in_work.emplace(work[k].page, k);
  std::vector<std::size_t> kept;
  kept.reserve(old.nav.size());
  for (std::size_t i = 0; i < old.nav.size(); ++i) {
    auto w = in_work.find(old.nav[i].page);
    if (w == in_work.end())
      kept.push_back(i);
    else
      work[w->second].old_links = &old.nav[i].links;
  }
  const auto old_before = [&old](std::size_t a, std::size_t b) {
    return date_before(old.nav[a].date, old.nav[a].page, old.nav[b].date, old.nav[b].page);
  };
  // A state edited by hand may have lost its order.
  if (!std::is_sorted(kept.begin(), kept.end(), old_before)) std::stable_sort(kept.begin(), kept.end(), old_before);
  std::vector<std::size_t> added(work.size());
  for (std::size_t k = 0; k < added.size(); ++k) added[k] = k;
  std::stable_sort(added.begin(), added.end(), [&work](std::size_t a, std::size_t b) {
    return date_before(work[a].date, work[a].page, work[b].date, work[b].page);
  });
  std::vector<Placed> order;
  order.reserve(kept.size() + added.size());
  std::size_t a = 0, b = 0;
  while (a < kept.size() || b < added.size()) {
    const bool take_work =
        a == kept.size() || (b < added.size() && date_before(work[added[b]].date, work[added[b]].page,
                                                             old.nav[kept[a]].date, old.nav[kept[a]].page));
    order.push_back(take_work ? Placed{true, added[b++]} : Placed{false, kept[a++]});
  }
  return order;
}

// The plan of an append run from old and work_list (see plan_navigation).
std::vector<NavRecord> plan_append(const Workspace& ws, const ArchiveState& old, std::unordered_set<std::string>& due) {
  std::vector<WorkPage> work;
  work.reserve(ws.syo_list.count());
  bool start = false;  // as read_listed takes removed messages out
  for (std::size_t k = 0; k < ws.syo_list.count(); ++k) {
    const ThreadLine t = ws.syo_list.at(k);
    const MessageRecord& f = ws.work_list.at(t.number);
    start = start || t.depth == 0;
    if (is_removed(ws, f)) continue;
    WorkPage w{f.page_name(), f.date(), {}, {}};
    if (!start && !work.empty()) {
      w.previous = work.back().page;
      work.back().next = w.page;
    }
    start = false;
    work.push_back(w);
  }
  const std::vector<Placed> order = merged_order(old, work);
  const auto page_at = [&](std::size_t q) -> std::string_view {
    return order[q].work ? work[order[q].i].page : std::string_view(old.nav[order[q].i].page);
  };
  std::vector<NavRecord> pages;
  pages.reserve(order.size());
  for (std::size_t q = 0; q < order.size(); ++q) {
    const std::string_view k = q > 0 ? page_at(q - 1) : std::string_view();
    const std::string_view j = q + 1 < order.size() ? page_at(q + 1) : std::string_view();
    NavRecord rec;
    const std::string* was = nullptr;
    if (order[q].work) {
      const WorkPage& w = work[order[q].i];
      rec = {std::string(w.page), links_key(k, j, w.previous, w.next), std::string(w.date)};
      was = w.old_links;
    } else {
      // A thread this run did not change keeps its links in the thread.
      const NavRecord& o = old.nav[order[q].i];
      const std::array<std::string_view, 4> f = key_fields(o.links);
      rec = {o.page, links_key(k, j, f[2], f[3]), o.date};
      was = &o.links;
    }
    if (!was || *was != rec.links) due.insert(rec.page);
    pages.push_back(std::move(rec));
  }
  return pages;
}

}  // namespace

NavPlan plan_navigation(Workspace& ws, ArchiveRecords& records, const std::string& folder) {
  NavPlan plan;
  const ArchiveState* old = records.Old_State.get();
  std::vector<NavRecord> pages;
  if (!records.Old_Archive)
    pages = plan_whole(old, entries_from_lists(ws), plan.due);
  else if (old && old->nav_dated && old->nav.size() == records.Old_Archive->index().records.size())
    pages = plan_append(ws, *old, plan.due);
  else {
    const std::vector<ListedMessage> listed = read_listed(ws, folder);
    pages = plan_whole(old, entries_of(listed), plan.due);
  }
  // Pages written by this run carry no links yet.
  for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
    const MessageRecord& f = ws.work_list.at(i);
    if (f.from_this_run()) plan.due.emplace(f.page_name());
  }
  if (!records.New_State) records.New_State = std::make_shared<ArchiveState>();
  records.New_State->nav = std::move(pages);
  plan.pages = &records.New_State->nav;
  plan.at.reserve(plan.pages->size());
  for (std::size_t i = 0; i < plan.pages->size(); ++i) plan.at.emplace((*plan.pages)[i].page, i);
  return plan;
}

std::optional<std::string> NavPlan::line_of(std::string_view page) const {
  auto i = at.find(page);
  if (i == at.end()) return std::nullopt;
  const std::array<std::string_view, 4> f = key_fields((*pages)[i->second].links);
  return nav_line_of({f[0], f[1], f[2], f[3]});
}

void rewrite_nav_page(const std::string& path, const std::string& nav, bool fresh) {
  change_page(path, fresh, [&nav](const std::string& page) { return with_nav_lines(page, &nav); });
}

void Make_NavLinks(Workspace& ws, const std::string& folder, NavPlan& plan) {
  // The pages taken out of the plan's set one by one, so that the set's
  // nodes go as the list grows.
  std::vector<std::string> due;
  due.reserve(plan.due.size());
  while (!plan.due.empty()) due.push_back(std::move(plan.due.extract(plan.due.begin()).value()));
  std::sort(due.begin(), due.end());
  // The pages this run wrote, sorted like due: one walk along both.
  std::vector<std::string_view> fresh;
  for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
    const MessageRecord& f = ws.work_list.at(i);
    if (f.from_this_run()) fresh.push_back(f.page_name());
  }
  if (!std::is_sorted(fresh.begin(), fresh.end())) std::sort(fresh.begin(), fresh.end());
  auto next_fresh = fresh.begin();
  PageWriters writers(std::thread::hardware_concurrency());
  const std::int64_t total = static_cast<std::int64_t>(due.size());
  for (std::size_t k = 0; k < due.size(); ++k) {
    ws.Syosai_no(static_cast<std::int64_t>(k) + 1, total);
    while (next_fresh != fresh.end() && *next_fresh < due[k]) ++next_fresh;
    const bool is_fresh = next_fresh != fresh.end() && *next_fresh == due[k];
    std::optional<std::string> line = plan.line_of(due[k]);
    if (!line) continue;  // a page of this run that no entry names
    std::string path = join_path(folder, due[k]);
    if (!is_regular_file(path)) {
      ws.ui->warn("警告: " + path + " がありません。このページの前後リンクを飛ばします。");
      continue;
    }
    constexpr std::size_t kPageHint = 8 << 10;
    writers.for_page(due[k]).run(
        [path = std::move(path), nav = std::move(*line), is_fresh] { rewrite_nav_page(path, nav, is_fresh); },
        kPageHint);
  }
  writers.finish();
}
