// A removal, step by step, and what makes it safe to stop anywhere:
//  1. lock the folder, read the removed list and the whole menu, and check
//     every id; nothing has changed yet, so an unknown id costs nothing;
//  2. write the removed list with the new ids: from here on the removal is
//     decided, and a rerun finds its ids known;
//  3. drop the menu's index (the menu changes) and take the state away;
//  4. delete the files only the removed pages link, then write the notice
//     over each page (a rerun finds the files gone and the notice written);
//     the search index, where there is one, forgets the pages;
//  5. write the ranking, menu, thread lists, links and feed as a run with no
//     input does, with the removed messages' records cut down to what stays;
//  6. save the state and index for the next run.
#include "run/removal.h"

#include <chrono>
#include <exception>
#include <unordered_map>

#include "archive/archive_records.h"
#include "archive/archive_state.h"
#include "archive/menu_index.h"
#include "archive/menu_reader.h"
#include "archive/removed_messages.h"
#include "archive/search_collect.h"
#include "archive/search_index.h"
#include "core/archive_files.h"
#include "core/file_info.h"
#include "core/run_steps.h"
#include "core/workspace.h"
#include "run/check_dir.h"
#include "run/conversion.h"
#include "run/folder_lock.h"

namespace {

constexpr const char* kRunName = "remove_messages";

// The ids as work_list or the removed list holds them; the ids found in
// neither go to unknown.
std::vector<std::string> resolve_ids(const Workspace& ws, const std::vector<std::string>& ids,
                                     std::vector<std::string>& unknown) {
  std::unordered_map<std::string, bool> listed;
  for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
    const std::string_view id = ws.work_list.at(i).message_id();
    if (!id.empty()) listed.emplace(std::string(id), true);
  }
  std::vector<std::string> found;
  for (const std::string& given : ids) {
    bool known = false;
    for (const std::string& form : id_forms(given)) {
      if (!listed.count(form) && !ws.removed_ids.count(form)) continue;
      found.push_back(form);
      known = true;
      break;
    }
    if (!known) unknown.push_back(given);
  }
  return found;
}

// The pages of the messages being removed now, and their records cut down
// to what stays of them.
std::vector<std::string> cut_records(Workspace& ws, const std::vector<std::string>& ids) {
  const std::unordered_map<std::string, bool> now = [&ids] {
    std::unordered_map<std::string, bool> m;
    for (const std::string& id : ids) m.emplace(id, true);
    return m;
  }();
  std::vector<MessageRecord> records;
  std::vector<std::string> pages;
  records.reserve(ws.work_list.count());
  for (std::size_t i = 0; i < ws.work_list.count(); ++i) {
    const MessageRecord& f = ws.work_list.at(i);
    const bool removed = is_removed(ws, f);
    if (removed && now.count(std::string(f.message_id()))) pages.emplace_back(f.page_name());
    records.push_back(removed ? removed_record(f) : f);
  }
  ws.work_list.clear();
  for (MessageRecord& f : records) ws.work_list.add(std::move(f));
  return pages;
}

std::vector<std::uint32_t> page_numbers(const std::vector<std::string>& pages) {
  std::vector<std::uint32_t> numbers;
  for (const std::string& p : pages) numbers.push_back(search_page_number(p));
  return numbers;
}

// Steps 1 and 2: false (reported) when the run stops, changing nothing.
bool decide(Workspace& ws, const std::string& folder, const std::vector<std::string>& ids,
            std::vector<std::string>& found) {
  ws.removed_ids = load_removed(folder);
  read_whole_menu(ws, folder);
  std::vector<std::string> unknown;
  found = resolve_ids(ws, ids, unknown);
  if (!unknown.empty()) {
    std::string named;
    for (const std::string& id : unknown) named += "\r\n  " + id;
    ws.ui->message("エラー",
                   folder + " のアーカイブに次の Message-ID のメッセージはありません。" + named +
                       "\r\n何も削除せずに処理を終了します。",
                   RunUi::Icon::Critical);
    ws.ui->clear_progress();
    return false;
  }
  for (const std::string& id : found) ws.removed_ids.insert(id);
  save_removed(folder, ws.removed_ids);
  return true;
}

}  // namespace

std::vector<std::string> id_forms(const std::string& given) {
  std::vector<std::string> forms{given};
  if (given.size() >= 2 && given.front() == '<' && given.back() == '>')
    forms.push_back(given.substr(1, given.size() - 2));
  else if (!given.empty())
    forms.push_back("<" + given + ">");
  return forms;
}

bool remove_messages(Workspace& ws, const std::string& folder, const std::vector<std::string>& ids) {
  reset_run(ws);
  const auto started = std::chrono::steady_clock::now();
  try {
    if (!is_regular_file(join_path(folder, kMenuFile.name))) {
      ws.ui->message("エラー", folder + " にはアーカイブ (menu.html) がありません。\r\n処理を終了します。",
                     RunUi::Icon::Critical);
      ws.ui->clear_progress();
      return false;
    }
    FolderLock lock;
    if (!lock_folder(ws, &lock, folder)) return false;
    std::vector<std::string> found;
    if (!decide(ws, folder, ids, found)) return false;
    remove_search_leftovers(folder);  // what a stopped removal began there
    ArchiveRecords records;
    drop_menu_index(folder);
    if (std::optional<ArchiveState> old = take_state(folder))
      records.Old_State = std::make_shared<const ArchiveState>(std::move(*old));
    records.New_State = std::make_shared<ArchiveState>();
    const std::vector<std::string> pages = cut_records(ws, found);
    remove_pages(folder, pages, ws.set);
    forget_search_pages(folder, page_numbers(pages));
    if (!write_archive(ws, records, folder, 0, step_total(0, ws.set), kRunName)) return false;
    finish_run(ws, records, folder);
    RunUi::RunSummary summary;
    summary.removed = static_cast<std::int64_t>(pages.size());
    summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ws.ui->finished(summary);
    return true;
  } catch (const std::exception& e) {
    ws.report_error(kRunName, e);
  }
  return false;
}
