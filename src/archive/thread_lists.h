// Thread lists at the end of message pages.
//
// Every page of a thread ends with the list of the whole thread, drawn as in
// menu.html: an empty line, a rule of 30 hyphens, one line per entry (a link
// to the entry's page, except the page's own entry, which is plain text), and
// the page's four closing lines. A page that already carries such a list from
// an earlier run gets it replaced, not a second one.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/page_writer.h"

struct ArchiveRecords;
struct NavPlan;
struct Workspace;

// One entry of the thread being collected.
struct ThreadEntry {
  std::string page;  // "m" + 7 digits + ".htm"
  std::string link;  // tree marks, <A HREF="page">, visible text, </A>
  std::string text;  // tree marks and visible text
};

// Reads menu.html of folder and hands each thread to Put_ThreadList, but for
// the threads records.Old_State shows unchanged; notes each thread's list in
// records.New_State. Does nothing when there is no menu.html. Throws on
// failure. With nav, every page rewritten gets its links too and is taken
// out of nav->due.
void Make_ThreadList(Workspace& ws, ArchiveRecords& records, const std::string& folder, NavPlan* nav = nullptr);

// Rewrites a page as change makes it: a page this run wrote (fresh) is
// changed in place from its first changed byte, so that only what a reader
// could meet half written anyway is; any other is replaced whole, so that a
// run that stops never leaves it half changed. An unchanged page is not
// written.
void change_page(const std::string& path, bool fresh, const std::function<std::string(const std::string&)>& change);

// Page rewriting threads: a page always goes to the same one, so two
// rewrites of one page keep their order.
class PageWriters {
 public:
  explicit PageWriters(std::size_t count);
  PageWriter& for_page(const std::string& page);
  // Waits for every writer; throws the first failure.
  void finish();

 private:
  std::vector<std::unique_ptr<PageWriter>> writers_;
};

// Rewrites the pages of the thread's entries with the thread list at their
// end. A page that is missing is skipped with a warning; a page that would
// not change is not written. With writers, the pages are read and written
// on their threads (and their failures reported by writers->finish()).
// Pages named in fresh were written by this run and are changed in place.
// With nav, each page gets its links as well (page_links.h).
void Put_ThreadList(Workspace& ws, const std::string& folder, const std::vector<ThreadEntry>& thread,
                    PageWriters* writers = nullptr, const std::unordered_set<std::string>* fresh = nullptr,
                    NavPlan* nav = nullptr);

// The page text with the thread list for entry own put at its end; the page
// unchanged when it has no closing "</FONT>" line. may_hold_list false (a
// page this run wrote) keeps the whole body: no end of it is taken for a list
// of an earlier run.
std::string with_thread_list(const std::string& page, const std::vector<ThreadEntry>& thread, std::size_t own,
                             bool may_hold_list = true);
