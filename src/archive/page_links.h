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

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "archive/archive_state.h"
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
  // The page's line of links (nav_line); nothing for a page no entry names.
  std::optional<std::string> line_of(std::string_view page) const;

  const std::vector<NavRecord>* pages = nullptr;         // every page with its links, in date order
  std::unordered_map<std::string_view, std::size_t> at;  // page -> its place in pages
  std::unordered_set<std::string> due;
};

// The plan for the archive as this run's menu lists it, kept in
// records.New_State->nav (which plan.pages then points to). Every page this
// run wrote is due, and every page whose neighbours are not those
// records.Old_State holds for it.
//
// Where work_list holds every message (no records.Old_Archive), the menu's
// order is that of syo_list. An append run with the old menu's index holds
// only the messages of the threads it changed: the other pages keep their
// neighbours in the thread, and the date order is the one the old state
// kept, with the messages of work_list taken out and put in again at their
// dates. No entry of the old menu is read: an old page costs its line of
// the state and a comparison, all else grows with work_list. Without a
// state that lists every page of the old menu, with its date, the menu is
// read whole (read_listed).
NavPlan plan_navigation(Workspace& ws, ArchiveRecords& records, const std::string& folder);

// The entries of the menu as written from syo_list over work_list.
std::vector<ListedMessage> listed_from_lists(const Workspace& ws);

// Writes the links of every page still due in plan (the thread lists' pass
// takes those of the pages it rewrites out of it). A missing page is passed
// over with a warning. Throws on failure.
void Make_NavLinks(Workspace& ws, const std::string& folder, NavPlan& plan);

// Rewrites one page with its links nav; a page this run wrote (fresh) is
// changed in place, any other is replaced whole. An unchanged page is not
// written.
void rewrite_nav_page(const std::string& path, const std::string& nav, bool fresh);
