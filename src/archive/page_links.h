// Links from every message page to its neighbours (NAV_LNK on): the
// previous and next message by date, the previous and next message of its
// thread, and the list.
//
// A page carries its links twice, as one line right after its font size
// line (above the header block) and as one line right before its closing
// "</PRE>" (below the text and the thread list), each
//   <SPAN class="vorn-nav">[link] [link] [link] [link] [link]</SPAN>
// where a neighbour that does not exist is its label without a link. The
// line "<SCRIPT>" ... "</SCRIPT>" after "</PRE>" follows the links by the
// keys j and k (next and previous by date) and n and p (next and previous in
// the thread), unless a text field has the focus. Body text never starts a
// line with "<" (it is escaped), so these lines are found again by their
// start and replaced whole.
//
// Date order: the messages' stored dates, those that are no date first,
// ties by page number. Thread order: the order of menu.html, a thread
// starting at each entry at the left margin (as the thread lists group
// them). Both are known only once the whole menu is written, so the links
// are put in after it; a page's links change only when a neighbour does,
// and the archive state keeps every page's neighbours for the next run.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/message_record.h"

struct ArchiveRecords;
struct Workspace;

// One entry of menu.html, in menu order.
struct ListedMessage {
  MessageRecord record;
  bool starts_thread = false;  // at the left margin
};

// The entries of folder's menu.html; none when there is no menu. Lines that
// are no well-formed entry, and the entries of removed messages, are passed
// over. Throws VbError when the menu
// cannot be read.
std::vector<ListedMessage> read_listed(Workspace& ws, const std::string& folder);

// The indexes of listed in date order, oldest first.
std::vector<std::size_t> date_order(const std::vector<ListedMessage>& listed);

// The pages an entry's links lead to; empty where there is none.
struct Neighbours {
  std::string previous_by_date, next_by_date, previous_in_thread, next_in_thread;
};
// The neighbours of every entry, by index in listed.
std::vector<Neighbours> neighbours(const std::vector<ListedMessage>& listed);

// The line of links for a page.
std::string nav_line(const Neighbours& n);
// The page's bytes with its lines of links and its key script replaced by
// nav (or only taken out, when nav is null). A page without its font size
// line or its "</PRE>" is returned unchanged.
std::string with_nav_lines(const std::string& page, const std::string* nav);
// Whether the line is one that with_nav_lines puts in.
bool is_nav_line(std::string_view line);

// The links of every page of the archive, and the pages whose links must be
// written in this run.
struct NavPlan {
  std::unordered_map<std::string, std::string> line;  // page -> its nav_line
  std::unordered_set<std::string> due;
};

// The plan for the archive listed: every page this run wrote is due, and
// every page whose neighbours are not those records.Old_State holds for it.
// Notes each page's neighbours in records.New_State.
NavPlan plan_navigation(const Workspace& ws, ArchiveRecords& records, const std::vector<ListedMessage>& listed);

// Writes the links of every page still due in plan (the thread lists' pass
// takes those of the pages it rewrites out of it). A missing page is passed
// over with a warning. Throws on failure.
void Make_NavLinks(Workspace& ws, const std::string& folder, NavPlan& plan);

// Rewrites one page with its links nav; a page this run wrote (fresh) is
// changed in place, any other is replaced whole. An unchanged page is not
// written.
void rewrite_nav_page(const std::string& path, const std::string& nav, bool fresh);
