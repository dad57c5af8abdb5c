#include "run/conversion.h"

#include <chrono>
#include <exception>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_records.h"
#include "archive/archive_state.h"
#include "archive/atom_feed.h"
#include "archive/index_page.h"
#include "archive/menu_index.h"
#include "archive/menu_page.h"
#include "archive/old_archive.h"
#include "archive/page_links.h"
#include "archive/rank_page.h"
#include "archive/removed_messages.h"
#include "archive/restyle_pages.h"
#include "archive/search_collect.h"
#include "archive/search_index.h"
#include "archive/thread_lists.h"
#include "core/archive_files.h"
#include "core/common_text.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/run_journal.h"
#include "core/run_steps.h"
#include "core/workspace.h"
#include "mail/mailbox.h"
#include "run/archive_sink.h"
#include "run/check_dir.h"
#include "run/folder_lock.h"
#include "run/stopped_run.h"

namespace {

// Every input file is opened before anything in the output folder changes,
// so that an input the run cannot read never costs the old archive (a
// rebuild deletes it first) or leaves it half appended.
bool inputs_readable(Workspace& ws, const std::vector<std::string>& files) {
  try {
    for (const std::string& file : files) ReadOnlyFile check(file);
    return true;
  } catch (const std::exception& e) {
    ws.report_error("File_Syori", e);
    return false;
  }
}

// The bytes of all input files, for the front end's estimate of the time
// left; a file that cannot be measured counts 0 (reading it reports why).
std::int64_t input_bytes(const std::vector<std::string>& files) {
  std::int64_t bytes = 0;
  for (const std::string& file : files) {
    try {
      bytes += file_size(file);
    } catch (const std::exception&) {
    }
  }
  return bytes;
}

}  // namespace

std::string run_folder(const std::string& typed) {
  std::string folder = typed;
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

void reset_run(Workspace& ws) {
  ws.Mail_No = 0;
  ws.work_list.clear();
  ws.Mails_Added = ws.Mails_Replaced = ws.Pages_Written = ws.mails_skipped = 0;
  ws.Folder_Busy = false;
  ws.removed_ids.clear();
}

namespace {

using Step = RunStep;

// Check_Dir, then what the folder's hidden records say of the archive in it.
bool prepare_folder(Workspace& ws, const std::string& folder, ArchiveRecords& records, FolderLock& lock,
                    const char* run_name) {
  if (!Check_Dir(ws, folder, records, &lock)) return false;
  try {
    ws.removed_ids = load_removed(folder);
  } catch (const std::exception& e) {
    ws.report_error(run_name, e);
    return false;
  }
  // An index the run did not take describes a menu this run replaces; a
  // file system with coarse times could not tell the two menus apart.
  if (!records.Old_Archive) {
    try {
      drop_menu_index(folder);
    } catch (const std::exception& e) {
      ws.report_error(run_name, e);
      return false;
    }
  }
  try {
    prepare_search_index(folder, ws.set.SRCH_IX);
  } catch (const std::exception& e) {
    ws.report_error(run_name, e);
    return false;
  }
  if (ws.set.SRCH_IX) {
    records.Search = std::make_shared<SearchCollector>();
    records.Search->spill_to(join_path(folder, kSearchFolder.name));
  }
  // Taken away before any page changes: a run that stops leaves no state.
  if (std::optional<ArchiveState> old = take_state(folder))
    records.Old_State = std::make_shared<const ArchiveState>(std::move(*old));
  records.New_State = std::make_shared<ArchiveState>();
  return true;
}

// What the run writes that no menu lists yet, and the menu it found.
struct RunWrites {
  RunJournal journal;
  std::optional<FileStamp> menu_before;
};

// The pages a stopped run wrote that the search index may not hold as they
// are: the pages of earlier runs it wrote again, and its own pages that the
// menu lists (it stopped after its menu, before its index was saved).
std::vector<std::string> stale_pages(const RunRecord& stopped, std::int64_t last_listed) {
  std::vector<std::string> pages = stopped.rewritten;
  for (std::int64_t n = stopped.first_page; n <= last_listed; ++n) pages.push_back(page_name(n));
  return pages;
}

// Starts the record of what this run writes, once the folder is ready. A
// record that a stopped run left is taken back first, against the menu the
// folder holds now (Mail_No is the highest page it lists). The pages it
// names that the search index may hold stale go to this run's index step,
// and into this run's record, so that they are not lost when this run
// stops too.
bool start_record(Workspace& ws, ArchiveRecords& records, const std::string& folder, RunWrites& writes,
                  const char* run_name) {
  try {
    std::vector<std::string> stale;
    if (std::optional<RunRecord> stopped = read_run_record(folder)) {
      take_back_run(folder, *stopped, ws.Mail_No);
      if (records.Search) stale = stale_pages(*stopped, ws.Mail_No);
    }
    writes.menu_before = file_stamp(join_path(folder, kMenuFile.name));
    writes.journal.start(folder, ws.Mail_No + 1, stale);
    for (const std::string& page : stale) records.Search->read_back(search_page_number(page));
    return true;
  } catch (const std::exception& e) {
    ws.report_error(run_name, e);
    return false;
  }
}

// A run that stops takes back what it wrote and the menu does not list:
// every page and file of it while the menu is the one it found, only files
// no page links once it has written its own (which lists all its pages). The
// record stays for the next run when something could not be removed, and
// when it names pages of earlier runs written again that the search index,
// not saved, still holds as they were: the next run reads them back.
void take_back(Workspace& ws, const ArchiveRecords& records, const std::string& folder, RunWrites& writes) {
  if (!writes.journal.started()) return;
  const bool menu_written = file_stamp(join_path(folder, kMenuFile.name)) != writes.menu_before;
  const std::int64_t last_listed = menu_written ? ws.Mail_No : writes.journal.first_page() - 1;
  const std::optional<RunRecord> record = read_run_record(folder);
  const bool index_behind = records.Search && !records.Search_Saved && record &&
                            (!record->rewritten.empty() || (menu_written && last_listed >= record->first_page));
  if (records.Search) remove_search_leftovers(folder);
  if (record && take_back_run(folder, *record, last_listed) && !index_behind) writes.journal.remove();
}

// File_Syori on every input in order; then, when appending, the old
// messages of the threads this run changes join work_list.
bool read_files(Workspace& ws, ArchiveRecords& records, const std::string& folder,
                const std::vector<std::string>& files, std::int64_t total, RunJournal& journal) {
  std::int64_t step = 0;
  const std::int64_t run_bytes = input_bytes(files);
  for (const std::string& file : files) {
    ws.ui->step(Step::Reading, ++step, total);
    ws.ui->read_file(file, run_bytes);
    ArchiveSink sink(ws, records.Old_Archive.get(), &journal, records.Search.get());
    if (!File_Syori(ws, sink, folder, file)) return false;
  }
  if (!records.Old_Archive) return true;
  try {
    records.Old_Archive->Recall(ws);
  } catch (const std::exception& e) {
    ws.report_error("Read_Menu", e);
    return false;
  }
  return true;
}

// The steps after the menu, which work from it as written: the thread
// lists, the links between pages and the feed, each when it is on. The
// thread lists' pass puts in the links of the pages it rewrites.
bool after_menu(Workspace& ws, ArchiveRecords& records, const std::string& folder,
                const std::function<void(Step)>& begin, const char* run_name) {
  const bool nav_on = step_taken(Step::Navigation, ws.set);
  try {
    std::optional<NavPlan> nav;
    if (nav_on) nav = plan_navigation(ws, records, folder);
    if (step_taken(Step::ThreadLists, ws.set)) {
      begin(Step::ThreadLists);
      Make_ThreadList(ws, records, folder, nav ? &*nav : nullptr);
    }
    if (nav) {
      begin(Step::Navigation);
      Make_NavLinks(ws, folder, *nav);
    }
    // work_list holds every message unless an append run has the old
    // menu's index; then the feed reads the menu.
    std::vector<ListedMessage> listed;
    if (step_taken(Step::Feed, ws.set)) {
      begin(Step::Feed);
      listed = records.Old_Archive ? read_listed(ws, folder) : listed_from_lists(ws);
    }
    return Make_Feed(ws, folder, listed);
  } catch (const std::exception& e) {
    ws.report_error(run_name, e);
    return false;
  }
}

}  // namespace

bool write_archive(Workspace& ws, ArchiveRecords& records, const std::string& folder, std::int64_t n,
                   std::int64_t total, const char* run_name) {
  // The ranking is counted on a thread of its own while the list is
  // threaded (both only read work_list); it is written, or its failure
  // reported, before anything else of the archive changes.
  std::future<std::string> rank;
  if (step_taken(Step::Ranking, ws.set)) {
    ws.work_list.settle();
    rank = std::async(std::launch::async, [&ws, old = records.Old_Archive.get()] { return rank_page(ws, old); });
  }
  const auto begin = [&ws, n, total](Step step) { ws.ui->step(step, step_number(step, n), total); };
  std::vector<MessageRecord> read_back;  // for the search index
  if (records.Search) {
    try {
      read_back = close_search_lists(ws, *records.Search, folder);
    } catch (const std::exception& e) {
      ws.report_error(run_name, e);
      return false;
    }
  }
  begin(Step::Threads);
  const bool threaded = Syosai_Make(ws);
  if (rank.valid()) begin(Step::Ranking);
  if (rank.valid() && !put_rank_page(ws, folder, [&rank] { return rank.get(); })) return false;
  if (!threaded) return false;
  begin(Step::Index);
  if (!Make_Index(ws, folder)) return false;
  begin(Step::Restyle);
  if (!Update_Text(ws, records, folder)) return false;
  // The index's files before the menu, its manifest once the menu lists
  // every page it names (search_index.h).
  std::optional<SearchIndexUpdate> search;
  if (records.Search) {
    begin(Step::Search);
    try {
      search = write_search_index(ws, *records.Search, folder, read_back);
    } catch (const std::exception& e) {
      ws.report_error(run_name, e);
      return false;
    }
  }
  begin(Step::Menu);
  if (!Make_Menu(ws, records, folder)) return false;
  if (search) {
    try {
      commit_search_index(*search);
      records.Search_Saved = true;
    } catch (const std::exception& e) {
      ws.report_error(run_name, e);
      return false;
    }
  }
  return after_menu(ws, records, folder, begin, run_name);
}

void finish_run(Workspace& ws, ArchiveRecords& records, const std::string& folder) {
  records.New_State->style = page_style(ws.set);
  records.New_State->lists = ws.set.KB_THRE;
  try {
    save_state(folder, *records.New_State);
    if (records.New_Index) save_menu_index(folder, *records.New_Index);
  } catch (const std::exception&) {
    // Without a state the next run goes over every page, and without an
    // index it reads the menu whole; nothing is lost.
  }
}

bool run_conversion(Workspace& ws, const std::string& folder, const std::vector<std::string>& files,
                    const char* run_name) {
  reset_run(ws);
  const auto started = std::chrono::steady_clock::now();
  const std::int64_t n = static_cast<std::int64_t>(files.size());
  const std::int64_t total = step_total(n, ws.set);

  if (!inputs_readable(ws, files)) return false;
  // The lock on the folder and the archive's records live as long as the run.
  FolderLock lock;
  ArchiveRecords records;
  if (!prepare_folder(ws, folder, records, lock, run_name)) return false;
  RunWrites writes;
  if (!start_record(ws, records, folder, writes, run_name)) return false;
  if (!read_files(ws, records, folder, files, total, writes.journal) ||
      !write_archive(ws, records, folder, n, total, run_name)) {
    take_back(ws, records, folder, writes);
    return false;
  }
  finish_run(ws, records, folder);
  writes.journal.remove();
  ws.ui->finished({ws.Mails_Added, ws.Mails_Replaced, ws.Pages_Written,
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                   ws.mails_skipped});
  return true;
}
