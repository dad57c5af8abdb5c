#include "run/conversion.h"

#include <chrono>
#include <exception>
#include <future>

#include "archive/archive_state.h"
#include "archive/index_page.h"
#include "archive/menu_index.h"
#include "archive/menu_page.h"
#include "archive/message_page.h"
#include "archive/old_archive.h"
#include "archive/rank_page.h"
#include "archive/restyle_pages.h"
#include "archive/thread_lists.h"
#include "core/file_info.h"
#include "core/file_read.h"
#include "core/workspace.h"
#include "mail/mailbox.h"
#include "run/check_dir.h"
#include "run/folder_lock.h"

namespace {

// Every input file is opened before anything in the output folder changes,
// so that an input the run cannot read never costs the old archive (a
// rebuild deletes it first) or leaves it half appended.
bool Inputs_Readable(Workspace& ws, const std::vector<std::string>& files) {
  try {
    for (const std::string& file : files) ReadOnlyFile check(file);
    return true;
  } catch (const std::exception& e) {
    ws.Report_Error("File_Syori", e);
    return false;
  }
}

// The run's hold on its folder lock, released when the run returns.
struct HeldLock {
  explicit HeldLock(Workspace& ws) : ws(ws) { ws.Folder_Lock = &lock; }
  ~HeldLock() { ws.Folder_Lock = nullptr; }
  Workspace& ws;
  FolderLock lock;
};

// The bytes of all input files, for the front end's estimate of the time
// left; a file that cannot be measured counts 0 (reading it reports why).
std::int64_t Input_Bytes(const std::vector<std::string>& files) {
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

std::string Run_Folder(const std::string& typed) {
  std::string folder = typed;
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

bool Run_Conversion(Workspace& ws, const std::string& folder, const std::vector<std::string>& files,
                    const char* run_name) {
  ws.Mail_No = 0;
  ws.work_list.clear();
  ws.Old_Archive.reset();
  ws.New_Index.reset();
  const auto started = std::chrono::steady_clock::now();
  ws.Mails_Added = ws.Mails_Replaced = ws.Pages_Written = 0;
  const std::int64_t n = static_cast<std::int64_t>(files.size());
  const std::int64_t total = n + 4 + (ws.set.KB_THRE ? 1 : 0);

  ws.Folder_Busy = false;
  ws.Page_Sink = Make_Page;
  if (!Inputs_Readable(ws, files)) return false;
  HeldLock held(ws);
  if (!Check_Dir(ws, folder)) return false;
  // An index the run did not take describes a menu this run replaces; a
  // file system with coarse times could not tell the two menus apart.
  if (!ws.Old_Archive) {
    try {
      Drop_Menu_Index(folder);
    } catch (const std::exception& e) {
      ws.Report_Error(run_name, e);
      return false;
    }
  }
  // Taken away before any page changes: a run that stops leaves no state.
  if (std::optional<ArchiveState> old = Take_State(folder))
    ws.Old_State = std::make_shared<const ArchiveState>(std::move(*old));
  else
    ws.Old_State.reset();
  ws.New_State = std::make_shared<ArchiveState>();

  std::int64_t step = 0;
  const std::int64_t run_bytes = Input_Bytes(files);
  for (const std::string& file : files) {
    ws.ui->step(RunUi::Step::Reading, ++step, total);
    ws.ui->read_file(file, run_bytes);
    if (!File_Syori(ws, folder, file)) return false;
  }
  if (ws.Old_Archive) {
    // The old messages of the threads this run changes join work_list.
    try {
      ws.Old_Archive->Recall(ws);
    } catch (const std::exception& e) {
      ws.Report_Error("Read_Menu", e);
      return false;
    }
  }

  // The ranking is counted on a thread of its own while the list is
  // threaded (both only read work_list); it is written, or its failure
  // reported, before anything else of the archive changes.
  std::future<std::string> rank;
  if (ws.set.ML_RANK) {
    ws.work_list.settle();
    rank = std::async(std::launch::async, [&ws] { return Rank_Page(ws); });
  }
  ws.ui->step(RunUi::Step::Threads, n + 1, total);
  const bool threaded = Syosai_Make(ws);
  if (rank.valid()) ws.ui->step(RunUi::Step::Ranking, n + 1, total);
  if (rank.valid() && !Put_Rank_Page(ws, folder, [&rank] { return rank.get(); })) return false;
  if (!threaded) return false;
  ws.ui->step(RunUi::Step::Index, n + 2, total);
  if (!Make_Index(ws, folder)) return false;
  ws.ui->step(RunUi::Step::Restyle, n + 3, total);
  if (!Update_Text(ws, folder)) return false;
  ws.ui->step(RunUi::Step::Menu, n + 4, total);
  if (!Make_Menu(ws, folder)) return false;
  if (ws.set.KB_THRE) {
    ws.ui->step(RunUi::Step::ThreadLists, n + 5, total);
    try {
      Make_ThreadList(ws, folder);
    } catch (const std::exception& e) {
      ws.Report_Error(run_name, e);
      return false;
    }
  }
  ws.New_State->style = Page_Style(ws.set);
  ws.New_State->lists = ws.set.KB_THRE;
  try {
    Save_State(folder, *ws.New_State);
    if (ws.New_Index) Save_Menu_Index(folder, *ws.New_Index);
  } catch (const std::exception&) {
    // Without a state the next run goes over every page, and without an
    // index it reads the menu whole; nothing is lost.
  }
  ws.Old_Archive.reset();
  ws.work_list.take_elsewhere = nullptr;
  ws.New_Index.reset();
  ws.ui->finished({ws.Mails_Added, ws.Mails_Replaced, ws.Pages_Written,
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count()});
  return true;
}
