#include "archive/thread_lists.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_set>

#include "archive/archive_records.h"
#include "archive/archive_state.h"
#include "archive/menu_comment.h"
#include "archive/page_links.h"
#include "codec/sjis_text.h"
#include "core/archive_files.h"
#include "core/atomic_out.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/file_write.h"
#include "core/split_lines.h"
#include "core/text_out.h"
#include "core/workspace.h"

namespace {

const std::string kRule(30, '-');
const char kLinkStart[] = "<A HREF=\"m";
const char kBranch[] = "\x84\xA4";            // └
const char kIdeographicSpace[] = "\x81\x40";  // 　

bool blank(std::string_view s) { return sjis::trim(s).empty(); }

std::string_view strip_marks(std::string_view s) {
  for (;;) {
    if (s.substr(0, 2) == kBranch || s.substr(0, 2) == kIdeographicSpace)
      s.remove_prefix(2);
    else
      return s;
  }
}

// 1 for a linked entry line of a thread list, 0 for a plain one, -1 for a
// line that is no entry. Visible texts never hold "<": they are escaped.
int entry_kind(std::string_view line) {
  std::string_view s = strip_marks(line);
  if (s.substr(0, 10) == kLinkStart) {
    // <A HREF="mNNNNNNN.htm">text</A>
    if (s.size() < 24 + 4 || s.substr(9, 12).size() != 12) return -1;
    std::string_view page = s.substr(9, 12);
    if (!is_page_name(page) || s.substr(21, 2) != "\">") return -1;
    std::string_view text = s.substr(23);
    if (text.size() < 4 || text.substr(text.size() - 4) != "</A>") return -1;
    text.remove_suffix(4);
    return sjis::find_char(text, '<') == std::string_view::npos ? 1 : -1;
  }
  return sjis::find_char(s, '<') == std::string_view::npos ? 0 : -1;
}

// Start of an earlier thread list that ends right before line `end`: the index
// of its empty line, or npos.
std::size_t earlier_list(const std::vector<std::string_view>& lines, std::size_t end, const std::string& own_text) {
  std::size_t k = end;
  std::size_t plain = 0, linked = 0;
  bool own_seen = false;
  while (k > 0 && lines[k - 1] != kRule) {
    int kind = entry_kind(lines[k - 1]);
    if (kind < 0) return std::string::npos;
    if (kind == 0) {
      ++plain;
      own_seen = lines[k - 1] == own_text;
    } else {
      ++linked;
    }
    --k;
  }
  if (k < 2 || !blank(lines[k - 2])) return std::string::npos;
  // Exactly one unlinked entry, the page's own; a list of that one entry alone
  // must read as this run draws it, so that a body merely ending in a rule
  // and a line of text is never taken for a list.
  if (plain != 1) return std::string::npos;
  if (linked == 0 && !own_seen) return std::string::npos;
  return k - 2;
}

}  // namespace

std::string with_thread_list(const std::string& page, const std::vector<ThreadEntry>& thread, std::size_t own,
                             bool may_hold_list) {
  bool all_crlf = true;
  const std::vector<std::string_view> lines = split_line_views(page, &all_crlf);
  std::size_t cut = std::string::npos;
  for (std::size_t k = lines.size(); k-- > 0;) {
    if (sjis::trim(lines[k]) == "</FONT>") {
      cut = k;
      break;
    }
  }
  if (cut == std::string::npos) return page;
  // A page of this run holds no list yet, whatever its body ends with: a body
  // whose last lines are an empty line, a rule and the page's own entry text
  // reads exactly like a list of one.
  if (may_hold_list) {
    std::size_t old = earlier_list(lines, cut, thread[own].text);
    if (old != std::string::npos) cut = old;
  }
  while (cut > 0 && blank(lines[cut - 1])) --cut;

  TextOut out;
  if (all_crlf && cut > 0) {
    // Lines 0 .. cut-1 with their CR LF, as they stand in the page.
    out.part(std::string_view(page).substr(
        0, static_cast<std::size_t>(lines[cut - 1].data() - page.data()) + lines[cut - 1].size() + 2));
  } else {
    for (std::size_t k = 0; k < cut; ++k) out.line(lines[k]);
  }
  out.line("");
  out.line(kRule);
  for (std::size_t c = 0; c < thread.size(); ++c) out.line(c == own ? thread[c].text : thread[c].link);
  out.line("</FONT>");
  out.line("</PRE>");
  out.line("</BODY>");
  out.line("</HTML>");
  return out.take();
}

PageWriters::PageWriters(std::size_t count) {
  for (std::size_t k = 0; k < std::max<std::size_t>(count, 1); ++k) writers_.push_back(std::make_unique<PageWriter>());
}

PageWriter& PageWriters::for_page(const std::string& page) {
  return *writers_[std::hash<std::string>()(page) % writers_.size()];
}

void PageWriters::finish() {
  std::exception_ptr first;
  for (auto& w : writers_) {
    try {
      w->finish();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}

void change_page(const std::string& path, bool fresh, const std::function<std::string(const std::string&)>& change) {
  if (fresh) {
    change_in_place(path, change);
    return;
  }
  const std::string old_page = read_file(path);
  const std::string new_page = change(old_page);
  if (new_page != old_page) write_file_atomic(path, new_page);
}

namespace {

// With nav, the page's links are taken out before the list is put in, and
// put back after it.
void rewrite_page(const std::string& path, const std::vector<ThreadEntry>& thread, std::size_t own, bool fresh,
                  const std::string* nav) {
  change_page(path, fresh, [&](const std::string& page) {
    return nav ? with_nav_lines(with_thread_list(with_nav_lines(page, nullptr), thread, own, !fresh), nav)
               : with_thread_list(page, thread, own, !fresh);
  });
}

}  // namespace

void Put_ThreadList(Workspace& ws, const std::string& folder, const std::vector<ThreadEntry>& thread,
                    PageWriters* writers, const std::unordered_set<std::string>* fresh, NavPlan* nav) {
  std::shared_ptr<const std::vector<ThreadEntry>> shared;
  if (writers) shared = std::make_shared<const std::vector<ThreadEntry>>(thread);
  for (std::size_t i = 0; i < thread.size(); ++i) {
    std::string path = join_path(folder, thread[i].page);
    if (!is_regular_file(path)) {
      ws.ui->warn("警告: " + path + " がありません。このページのスレッド一覧を飛ばします。");
      continue;
    }
    const bool new_page = fresh && fresh->count(thread[i].page);
    std::optional<std::string> links;
    if (nav) {
      links = nav->line_of(thread[i].page);
      nav->due.erase(thread[i].page);
    }
    if (writers) {
      // About the size of a page: it bounds how many wait.
      constexpr std::size_t kPageHint = 8 << 10;
      writers->for_page(thread[i].page)
          .run([path = std::move(path), shared, i, new_page,
                links = std::move(links)] { rewrite_page(path, *shared, i, new_page, links ? &*links : nullptr); },
               kPageHint);
    } else {
      rewrite_page(path, thread, i, new_page, links ? &*links : nullptr);
    }
  }
}

namespace {

std::uint64_t list_hash(const std::vector<ThreadEntry>& thread) {
  std::uint64_t h = stable_hash("");
  for (const ThreadEntry& e : thread) {
    h = stable_hash(e.link, h);
    h = stable_hash("\n", h);
  }
  return h;
}

// Hands a complete thread to Put_ThreadList, unless the last finished run
// left every page of it with this very list and no page of it was written
// since.
void finish_thread(Workspace& ws, ArchiveRecords& records, const std::string& folder,
                   const std::vector<ThreadEntry>& thread, const std::unordered_set<std::string>& written,
                   PageWriters& writers, NavPlan* nav) {
  if (thread.empty()) return;
  const std::uint64_t hash = list_hash(thread);
  if (records.New_State) records.New_State->threads[thread.front().page] = hash;
  if (records.Old_State && records.Old_State->lists) {
    auto old = records.Old_State->threads.find(thread.front().page);
    bool same = old != records.Old_State->threads.end() && old->second == hash;
    for (std::size_t i = 0; same && i < thread.size(); ++i) same = !written.count(thread[i].page);
    if (same) return;
  }
  Put_ThreadList(ws, folder, thread, &writers, &written, nav);
}

// The end of the start tag of the link at u: the ">" after its title
// attribute, whose value (the sender) never holds a double quote but may
// hold "<" or ">" of any balance. A tag without a title ends at the ">" that
// balances its "<". npos when the tag never closes.
std::size_t tag_end(const std::string& line, std::size_t u) {
  const std::size_t title = sjis::find(line, "\" title=\"", u);
  if (title != std::string::npos) {
    const std::size_t quote = line.find('"', title + 9);
    return quote == std::string::npos ? std::string::npos : line.find('>', quote);
  }
  int depth = 1;
  for (std::size_t j = u + 1; j < line.size(); j += sjis::char_len(line, j)) {
    if (line[j] == '<')
      ++depth;
    else if (line[j] == '>' && --depth == 0)
      return j;
  }
  return std::string::npos;
}

// The entry of a menu line whose link starts at u; nothing for a line too
// short or a link that never closes, which is no entry.
std::optional<ThreadEntry> thread_entry(const std::string& line, std::size_t u) {
  if (line.size() < u + 21) return std::nullopt;
  const std::size_t k = tag_end(line, u);
  if (k == std::string::npos) return std::nullopt;
  ThreadEntry e;
  e.page = line.substr(u + 9, 12);
  std::string visible = line.substr(k + 1);
  const std::size_t comment = sjis::find(visible, "<!--");
  if (comment != std::string::npos) visible.resize(comment);
  const std::string marks = line.substr(0, u);
  e.link = marks + "<A HREF=\"" + e.page + "\">" + visible + "</A>";
  e.text = marks + visible;
  return e;
}

// Whether the menu line is the entry of a removed message, which no thread
// list shows and whose page keeps its notice alone.
bool removed_entry(const Workspace& ws, const std::string& line) {
  if (ws.removed_ids.empty()) return false;
  const std::size_t start = sjis::find(line, menu_comment::kStart);
  if (start == std::string::npos) return false;
  const std::size_t from = start + menu_comment::kStart.size();
  const std::size_t end = sjis::find(line, menu_comment::kParent, from);
  if (end == std::string::npos) return false;
  return ws.removed_ids.count(menu_comment::unescape(std::string_view(line).substr(from, end - from))) != 0;
}

}  // namespace

void Make_ThreadList(Workspace& ws, ArchiveRecords& records, const std::string& folder, NavPlan* nav) {
  const std::string menu = join_path(folder, kMenuFile.name);
  if (!is_regular_file(menu)) return;
  // Pages written by this run carry no list yet.
  std::unordered_set<std::string> written;
  for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
    const MessageRecord& f = ws.work_list.at(i);
    if (f.from_this_run()) written.emplace(f.page_name());
  }
  const std::int64_t size = file_size(menu);
  LineStore lines;
  lines.open(menu, nullptr);
  std::int64_t done = 0;
  ws.Syosai_no(0, size);

  // Pages are read and rewritten on as many threads as there are cores,
  // while this one reads the menu.
  PageWriters writers(std::thread::hardware_concurrency());
  std::vector<ThreadEntry> thread;
  for (std::size_t i = 0; lines.has(i); lines.release_before(++i)) {
    const std::string& line = lines[i];
    done += static_cast<std::int64_t>(line.size()) + 2;
    ws.Syosai_no(done, size);
    std::size_t u = sjis::find(line, kLinkStart);
    if (u == std::string::npos) continue;
    if (line.rfind("<A HREF", 0) == 0) {
      finish_thread(ws, records, folder, thread, written, writers, nav);
      thread.clear();
    }
    if (removed_entry(ws, line)) continue;
    if (std::optional<ThreadEntry> e = thread_entry(line, u)) thread.push_back(std::move(*e));
  }
  finish_thread(ws, records, folder, thread, written, writers, nav);
  writers.finish();
}
